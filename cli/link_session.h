#pragma once
// What the commands that talk to the instrument share: the global options
// turned into a connected JBusMaster, and the hexadecimal text of bytes in
// and out.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "link/jbus_master.h"

namespace orvadw::cli {

class LinkSession {
 public:
  LinkSession() = default;
  // Stops polling and closes the line.
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  // Opens the line of --port (a COM number through the port map, loaded from
  // --config's "Ports" section when given, or a device path mapped to a free
  // COM number) at --baud-index, with --timeout as answer time-out. Returns
  // 0 when connected; otherwise a message has gone to err and the result is
  // the exit status: 2 for a bad option, 1 when the line cannot be opened.
  int open(const GlobalOptions& options, std::ostream& err);

  JBusMaster& master() { return master_; }
  int slave() const { return slave_; }
  int com_number() const { return com_number_; }
  const std::string& device() const { return device_; }

  // The COM number that reaches device: the one already mapped to it, else
  // the highest number the map does not use (so the numbers given to the
  // devices present stay as they were); 0 when all are taken.
  static int com_number_for_device(const std::string& device);

 private:
  JBusMaster master_;
  int slave_ = 1;
  int com_number_ = 0;
  std::string device_;
};

// "01 03 FF": two upper-case digits a byte, one blank between.
std::string hex_text(const std::vector<std::uint8_t>& bytes);

// Bytes from words of hexadecimal digits ("01 0a" or "010A", an optional 0x
// before each word, blanks inside a word allowed); false with a message on err for anything else or an odd
// number of digits.
bool parse_hex_words(const std::vector<std::string>& words, std::vector<std::uint8_t>& bytes,
                     std::ostream& err);

// A register address (decimal or 0x hex, 0..0xFFFF); false with a message.
bool parse_register_address(const std::string& text, int& address, std::ostream& err);

// A whole number in [low, high] named for the message; false with a message.
bool parse_bounded(const std::string& text, const char* name, long long low, long long high,
                   long long& value, std::ostream& err);

// Takes "--name N" out of args and checks it against [low, high]; value is
// left alone when the option is absent.
bool take_bounded_option(std::vector<std::string>& args, const char* name, long long low,
                         long long high, long long& value, std::ostream& err);

}  // namespace orvadw::cli
