#include "cli/link_session.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>

#include "base/ascii_case.h"
#include "base/c_locale.h"
#include "base/ini_file.h"
#include "base/result_codes.h"
#include "files/config_keys.h"
#include "cli/trace_printer.h"
#include "link/port_failure.h"
#include "link/port_map.h"

namespace orvadw::cli {

namespace {

constexpr int kMaxCom = 255;
// Longer than any line needs; a typo such as 10000000 must not freeze a run.
constexpr long long kMaxTimeoutMs = 60000;

// "3" or "COM3" (any case): the COM number; 0 when the text is neither (a
// device path); -1 for a number out of range.
int com_number_of(const std::string& text) {
  std::string digits = text;
  if (text.size() > 3 && istarts_with(text, "COM")) digits = text.substr(3);
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  if (digits.size() > 4) return -1;
  const int number = static_cast<int>(c_strtoll(digits));
  return number >= 1 && number <= kMaxCom ? number : -1;
}

}  // namespace

LinkSession::~LinkSession() {
  master_.stop_polling();
  master_.disconnect();
}

int LinkSession::com_number_for_device(const std::string& device) {
  PortMap& map = PortMap::instance();
  const std::vector<int> used = map.com_numbers();
  for (int number : used) {
    if (map.device_for(number) == device) return number;
  }
  const std::set<int> taken(used.begin(), used.end());
  for (int number = kMaxCom; number >= 1; --number) {
    if (taken.count(number) == 0) return number;
  }
  return 0;
}

int LinkSession::load_port_map(const GlobalOptions& options, std::ostream& err) {
  if (options.config && PortMap::instance().load(*options.config) != 0) {
    err << "orvadw-cli: cannot read the configuration file " << *options.config << "\n";
    return 2;
  }
  return 0;
}

int LinkSession::com_number_for_port(const std::string& text, std::ostream& err, int* status) {
  const int number = com_number_of(text);
  if (number != 0) {
    if (number < 1 || number > kMaxCom) {
      err << "orvadw-cli: --port: COM numbers go from 1 to " << kMaxCom << "\n";
      *status = 2;
      return 0;
    }
    return number;
  }
  const int mapped = com_number_for_device(text);
  if (mapped == 0) {
    err << "orvadw-cli: every COM number is taken; cannot map " << text << "\n";
    *status = 1;
    return 0;
  }
  PortMap::instance().set_device(mapped, text);
  return mapped;
}

int LinkSession::open(const GlobalOptions& options, std::ostream& err) {
  if (options.baud_index < 0 || options.baud_index >= master_.baud_count()) {
    err << "orvadw-cli: --baud-index must be 0 to " << master_.baud_count() - 1 << " (5 is 9600 baud)\n";
    return 2;
  }
  if (options.jbus < 0 || options.jbus > 255) {
    err << "orvadw-cli: --jbus must be 0 to 255\n";
    return 2;
  }
  if (options.timeout_ms < 1 || options.timeout_ms > kMaxTimeoutMs) {
    err << "orvadw-cli: --timeout must be 1 to " << kMaxTimeoutMs << " ms\n";
    return 2;
  }
  if (const int status = load_port_map(options, err); status != 0) return status;

  std::string port_text;
  if (options.port) {
    port_text = *options.port;
  } else if (options.config) {
    // The windows keep the port 0-based in section Com.
    const auto saved = IniFile(*options.config).read(config::kCom, config::kPort);
    if (saved) {
      const double value = c_atof(*saved);
      if (value >= 0 && value < kMaxCom && std::floor(value) == value) {
        port_text = std::to_string(static_cast<int>(value) + 1);
      }
    }
  }
  if (port_text.empty()) {
    err << "orvadw-cli: no port: give --port COM-number-or-device-path\n";
    return 2;
  }

  int status = 0;
  com_number_ = com_number_for_port(port_text, err, &status);
  if (com_number_ == 0) return status;
  device_ = PortMap::instance().device_for(com_number_);

  slave_ = options.jbus;
  master_.set_answer_timeout(options.timeout_ms);
  if (options.trace) master_.set_traffic_tap(std::make_shared<TracePrinter>(err));
  const int rc = master_.connect(com_number_, options.baud_index);
  if (rc != 0) {
    report_result(err, rc);
    err << "orvadw-cli: " << port_failure_text(com_number_, master_.last_error_text()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace orvadw::cli
