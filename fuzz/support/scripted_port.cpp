#include "fuzz/support/scripted_port.h"

#include <memory>

#include "link/port_map.h"
#include "link/serial_driver.h"

namespace orvadw::fuzz {

namespace {

constexpr const char* kDevice = "fuzz:line";

std::mutex& script_mutex() {
  static std::mutex m;
  return m;
}

Script*& current_script() {
  static Script* script = nullptr;
  return script;
}

class ScriptedDriver : public SerialDriver {
 public:
  bool handles(const std::string& device) const override { return device.rfind("fuzz:", 0) == 0; }
  std::unique_ptr<SerialPort> open(const std::string&, int port_index, int, char, int,
                                   int) override {
    std::lock_guard<std::mutex> lock(script_mutex());
    return std::make_unique<ScriptedPort>(current_script(), port_index);
  }
};

}  // namespace

void set_script(Script* script) {
  static const bool registered = [] {
    register_serial_driver(std::make_shared<ScriptedDriver>());
    PortMap::instance().set_scan_devices(false);
    PortMap::instance().set_device(kScriptedComNumber, kDevice);
    return true;
  }();
  (void)registered;
  std::lock_guard<std::mutex> lock(script_mutex());
  current_script() = script;
}

// Driver kind 98: beside the simulator's 99, never a real one.
ScriptedPort::ScriptedPort(Script* script, int port_index)
    : SerialPort(port_index, 98), script_(script) {}

bool ScriptedPort::is_alive() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !gone_;
}

int ScriptedPort::write_block(const std::uint8_t* data, int length) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (gone_) return fail(result::kNoSuchPort);
  if (script_ != nullptr) {
    script_->written.emplace_back(data, data + length);
    // What was still unread of the last answer stays on the line.
    if (next_answer_ < script_->answers.size()) {
      current_ = &script_->answers[next_answer_++];
      segment_ = 0;
      offset_ = 0;
    }
  }
  set_last_transfer_count(length);
  return 0;
}

// The next byte of the current segment; -8 at the end of a segment (moving
// on to the next one); -14 once the device has vanished.
int ScriptedPort::next_locked() {
  if (gone_) return fail(result::kNoSuchPort);
  if (current_ == nullptr) return result::kNoData;
  while (segment_ < current_->segments.size()) {
    const auto& segment = current_->segments[segment_];
    if (offset_ < segment.size()) return segment[offset_++];
    ++segment_;
    offset_ = 0;
    return result::kNoData;
  }
  if (current_->vanish) {
    gone_ = true;
    return fail(result::kNoSuchPort);
  }
  return result::kNoData;
}

int ScriptedPort::read_byte() { return read_byte_timeout(0, {}); }

int ScriptedPort::read_byte_timeout(int, const IdleHook&) {
  std::lock_guard<std::mutex> lock(mutex_);
  return next_locked();
}

int ScriptedPort::read_block(std::uint8_t* buffer, int length) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (gone_) return fail(result::kNoSuchPort);
  // A purge takes whatever the line holds now, across segment gaps.
  int n = 0;
  while (current_ != nullptr && n < length && segment_ < current_->segments.size()) {
    const auto& segment = current_->segments[segment_];
    if (offset_ < segment.size()) {
      buffer[n++] = segment[offset_++];
    } else {
      ++segment_;
      offset_ = 0;
    }
  }
  set_last_transfer_count(n);
  return n == 0 ? result::kNoData : 0;
}

}  // namespace orvadw::fuzz
