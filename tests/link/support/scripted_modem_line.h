#pragma once
// A scripted Hayes modem behind a "modem-script:<name>" device, for the modem
// tests of the link and of the modem window. Every command line the program
// writes (up to its CR) and every "+++" is handed to the script, which queues
// the modem's answer; each written chunk is recorded with its time.
// Header-only so that the link and the window tests share it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "link/serial_driver.h"
#include "link/serial_port.h"

namespace orvadw::test {

class ScriptedModemLine {
 public:
  using Clock = std::chrono::steady_clock;
  struct Written {
    Clock::time_point at;
    std::string text;  // one write as it came
  };
  // Called with each command line (without CR and LF) and with "+++".
  using Script = std::function<void(ScriptedModemLine& line, const std::string& command)>;

  // Makes "modem-script:<name>" reach a new line and maps COM<com_number> to
  // it (the device scan is turned off).
  static std::shared_ptr<ScriptedModemLine> create(const std::string& name, int com_number);

  void set_script(Script script) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_ = std::move(script);
  }
  // Queues an answer that becomes readable `after` from now.
  void say(const std::string& text, std::chrono::milliseconds after = std::chrono::milliseconds(0)) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto at = Clock::now() + after;
    for (char c : text) rx_.push_back(Due{at, static_cast<std::uint8_t>(c)});
    cv_.notify_all();
  }

  std::vector<Written> writes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writes_;
  }
  std::string written() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string all;
    for (const auto& w : writes_) all += w.text;
    return all;
  }
  // The commands seen so far (lines and "+++").
  std::vector<std::string> commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }
  // Waits until n commands were seen; false when the time ran out.
  bool wait_commands(std::size_t n, std::chrono::milliseconds within) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, within, [&] { return commands_.size() >= n; });
  }
  int opens() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opens_;
  }
  // Opens of this line fail with this code (0: they succeed).
  void set_open_failure(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_failure_ = code;
  }

  // Port side.
  int open_failure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_failure_;
  }
  void note_open() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++opens_;
  }
  void write(const std::uint8_t* data, int length) {
    std::vector<std::string> complete;
    Script script;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      std::string chunk(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
      writes_.push_back(Written{Clock::now(), chunk});
      for (char c : chunk) {
        if (c == '\n' && line_.empty()) continue;
        if (c == '\r') {
          complete.push_back(line_);
          line_.clear();
          continue;
        }
        line_.push_back(c);
        if (line_ == "+++") {
          complete.push_back(line_);
          line_.clear();
        }
      }
      for (const auto& c : complete) commands_.push_back(c);
      script = script_;
      cv_.notify_all();
    }
    if (script) {
      for (const auto& c : complete) script(*this, c);
    }
  }
  // An idle hook, when given, is asked every 20 ms as a real driver does.
  int read(int timeout_ms, const std::function<int()>& idle = {}) {
    std::unique_lock<std::mutex> lock(mutex_);
    interrupt_ = false;  // a wake-up meant for an earlier read
    const auto deadline = timeout_ms < 0 ? Clock::time_point::max()
                                         : Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      if (interrupt_) {
        interrupt_ = false;
        return result::kNoData;
      }
      const auto now = Clock::now();
      if (!rx_.empty() && rx_.front().at <= now) {
        const int b = rx_.front().byte;
        rx_.pop_front();
        return b;
      }
      if (now >= deadline) return result::kNoData;
      auto wake = deadline;
      if (!rx_.empty() && rx_.front().at < wake) wake = rx_.front().at;
      if (idle && now + std::chrono::milliseconds(20) < wake) wake = now + std::chrono::milliseconds(20);
      cv_.wait_until(lock, wake);
      if (idle) {
        lock.unlock();
        const int hook = idle();
        lock.lock();
        if (hook < 0) return hook;
      }
    }
  }
  int read_now() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (rx_.empty() || rx_.front().at > Clock::now()) return result::kNoData;
    const int b = rx_.front().byte;
    rx_.pop_front();
    return b;
  }
  void interrupt() {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupt_ = true;
    cv_.notify_all();
  }

 private:
  struct Due {
    Clock::time_point at;
    std::uint8_t byte;
  };
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::deque<Due> rx_;
  std::vector<Written> writes_;
  std::vector<std::string> commands_;
  std::string line_;
  Script script_;
  bool interrupt_ = false;
  int opens_ = 0;
  int open_failure_ = 0;
};

namespace scripted_modem_detail {

class Port : public SerialPort {
 public:
  Port(std::shared_ptr<ScriptedModemLine> line, int index) : SerialPort(index, 78), line_(std::move(line)) {}
  int read_byte() override { return line_->read_now(); }
  int write_block(const std::uint8_t* data, int length) override {
    line_->write(data, length);
    set_last_transfer_count(length);
    return 0;
  }
  int write_byte(std::uint8_t b) override { return write_block(&b, 1); }
  int close() override { return 0; }
  int set_line(int, char, int, int) override { return 0; }
  int transmit_count() override { return 0; }
  int purge_transmit() override { return 0; }
  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override {
    return line_->read(timeout_ms, idle);
  }
  void interrupt_wait() override { line_->interrupt(); }

 private:
  std::shared_ptr<ScriptedModemLine> line_;
};

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<ScriptedModemLine>> lines;
};

inline Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

class Driver : public SerialDriver {
 public:
  bool handles(const std::string& device) const override {
    return device.rfind("modem-script:", 0) == 0;
  }
  std::unique_ptr<SerialPort> open(const std::string& device, int index, int, char, int, int) override {
    std::shared_ptr<ScriptedModemLine> line;
    {
      std::lock_guard<std::mutex> lock(registry().mutex);
      auto it = registry().lines.find(device.substr(13));
      if (it != registry().lines.end()) line = it->second;
    }
    const int failure = line ? line->open_failure() : result::kNoSuchPort;
    if (failure != 0) {
      struct Failed : SerialPort {
        Failed(int i, int code) : SerialPort(i, 78) { set_status(code); }
        int close() override { return 0; }
      };
      return std::make_unique<Failed>(index, failure);
    }
    line->note_open();
    return std::make_unique<Port>(line, index);
  }
};

}  // namespace scripted_modem_detail

inline std::shared_ptr<ScriptedModemLine> ScriptedModemLine::create(const std::string& name,
                                                                    int com_number) {
  static const bool registered = [] {
    register_serial_driver(std::make_shared<scripted_modem_detail::Driver>());
    return true;
  }();
  (void)registered;
  auto line = std::make_shared<ScriptedModemLine>();
  {
    std::lock_guard<std::mutex> lock(scripted_modem_detail::registry().mutex);
    scripted_modem_detail::registry().lines[name] = line;
  }
  PortMap::instance().set_scan_devices(false);
  PortMap::instance().set_device(com_number, "modem-script:" + name);
  return line;
}

// A script that answers like a modem: "\r\nOK\r\n" to AT commands, the given
// text to a dial, "\r\nOK\r\n" to "+++" (after the given delays).
inline ScriptedModemLine::Script hayes_script(std::string dial_answer,
                                              std::chrono::milliseconds dial_delay = std::chrono::milliseconds(20)) {
  return [dial_answer, dial_delay](ScriptedModemLine& line, const std::string& command) {
    if (command == "+++") {
      line.say("\r\nOK\r\n", std::chrono::milliseconds(20));
    } else if (command.rfind("ATD", 0) == 0) {
      line.say("\r\n" + dial_answer + "\r\n", dial_delay);
    } else if (command.rfind("AT", 0) == 0) {
      line.say("\r\nOK\r\n");
    }
  };
}

}  // namespace orvadw::test
