#include "support/fake_line.h"

#include <sys/resource.h>

#include <algorithm>
#include <map>

#include "base/result_codes.h"
#include "link/port_map.h"
#include "link/serial_driver.h"

namespace orvadw::test {

namespace {

class FakePort : public SerialPort {
 public:
  FakePort(std::shared_ptr<FakeLine> line, int index) : SerialPort(index, 77), line_(std::move(line)) {}
  ~FakePort() override { close(); }

  int read_byte() override { return check(line_->read_now()); }
  int write_byte(std::uint8_t b) override { return write_block(&b, 1); }
  int close() override {
    closed_ = true;
    return 0;
  }
  int set_line(int baud, char, int, int stop_bits) override {
    line_->note_line(baud, stop_bits);
    return 0;
  }
  int transmit_count() override {
    if (int f = line_->failure("transmit_count")) return fail(f);
    return line_->gone() ? fail(result::kNoSuchPort) : 0;
  }
  int receive_count() override {
    return line_->gone() ? fail(result::kNoSuchPort) : line_->due_count();
  }
  int purge_transmit() override {
    if (int f = line_->failure("purge_transmit")) return fail(f);
    return line_->gone() ? fail(result::kNoSuchPort) : 0;
  }
  int write_block(const std::uint8_t* data, int length) override {
    set_last_transfer_count(0);
    const int rc = line_->write(data, length);
    if (rc < 0) return fail(rc);
    set_last_transfer_count(length);
    return 0;
  }
  int read_block(std::uint8_t* buffer, int length) override {
    set_last_transfer_count(0);
    if (int f = line_->failure("read_block")) return fail(f);
    int n = 0;
    while (n < length) {
      const int b = line_->read_now();
      if (b == result::kNoData) break;
      if (b < 0) return fail(b);
      buffer[n++] = static_cast<std::uint8_t>(b);
    }
    set_last_transfer_count(n);
    return n == 0 ? result::kNoData : 0;
  }
  int read_byte_timeout(int timeout_ms, const IdleHook& idle) override {
    return check(line_->read(timeout_ms, interrupted_, idle));
  }
  void interrupt_wait() override {
    interrupted_.store(true);
    line_->wake();
  }
  bool is_alive() const override { return !closed_ && !line_->gone(); }

 private:
  int check(int rc) { return rc < 0 && rc != result::kNoData ? fail(rc) : rc; }
  std::shared_ptr<FakeLine> line_;
  std::atomic<bool> interrupted_{false};
  bool closed_ = false;
};

struct FakeRegistry {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<FakeLine>> lines;
};

FakeRegistry& registry() {
  static FakeRegistry* r = new FakeRegistry;
  return *r;
}

class FakeDriver : public SerialDriver {
 public:
  bool handles(const std::string& device) const override { return device.rfind("fake:", 0) == 0; }
  std::unique_ptr<SerialPort> open(const std::string& device, int index, int baud, char, int,
                                   int stop_bits) override {
    std::shared_ptr<FakeLine> line;
    {
      std::lock_guard<std::mutex> lock(registry().mutex);
      auto it = registry().lines.find(device.substr(5));
      if (it != registry().lines.end()) line = it->second;
    }
    if (!line || line->gone() || line->open_failure() != 0) {
      struct Failed : SerialPort {
        Failed(int i, int code) : SerialPort(i, 77) { set_status(code); }
        int close() override { return 0; }
      };
      return std::make_unique<Failed>(index, !line || line->gone() ? result::kNoSuchPort
                                                                    : line->open_failure());
    }
    line->note_open(baud, stop_bits);
    return std::make_unique<FakePort>(line, index);
  }
};

std::size_t request_length(const Bytes& b) {
  if (b.size() < 2) return 0;
  if (b[1] == 16) return b.size() >= 7 ? 9u + b[6] : 0;
  return 8;
}

}  // namespace

std::shared_ptr<FakeLine> FakeLine::create(const std::string& name) {
  static const bool registered = [] {
    register_serial_driver(std::make_shared<FakeDriver>());
    return true;
  }();
  (void)registered;
  auto line = std::make_shared<FakeLine>();
  std::lock_guard<std::mutex> lock(registry().mutex);
  registry().lines[name] = line;
  return line;
}

void FakeLine::queue(const Bytes& bytes, milliseconds after, milliseconds gap) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clock::time_point at = Clock::now() + after;
  if (!rx_.empty()) at = std::max(at, rx_.back().at);
  for (std::uint8_t b : bytes) {
    rx_.push_back(Due{at, b});
    at += gap;
  }
  cv_.notify_all();
}

void FakeLine::set_peer(Peer peer) {
  std::lock_guard<std::mutex> lock(mutex_);
  peer_ = std::move(peer);
}

std::vector<FakeLine::Written> FakeLine::writes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writes_;
}

Bytes FakeLine::written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Bytes out;
  for (const Written& w : writes_) out.push_back(w.byte);
  return out;
}

std::vector<Bytes> FakeLine::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void FakeLine::clear_writes() {
  std::lock_guard<std::mutex> lock(mutex_);
  writes_.clear();
  requests_.clear();
  assembling_.clear();
}

int FakeLine::pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(rx_.size());
}

void FakeLine::unplug() {
  gone_.store(true);
  wake();
}

void FakeLine::set_failure(const std::string& operation, int code) {
  std::lock_guard<std::mutex> lock(mutex_);
  failures_.erase(std::remove_if(failures_.begin(), failures_.end(),
                                 [&](const auto& f) { return f.first == operation; }),
                  failures_.end());
  if (code != 0) failures_.emplace_back(operation, code);
}

void FakeLine::set_open_failure(int code) { open_failure_.store(code); }

int FakeLine::failure(const std::string& operation) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& f : failures_) {
    if (f.first == operation) return f.second;
  }
  return 0;
}

void FakeLine::note_open(int baud, int stop_bits) {
  ++opens_;
  last_baud_.store(baud);
  last_stop_bits_.store(stop_bits);
}

void FakeLine::note_line(int baud, int stop_bits) {
  last_baud_.store(baud);
  last_stop_bits_.store(stop_bits);
}

void FakeLine::wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  cv_.notify_all();
}

int FakeLine::due_count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto now = Clock::now();
  int n = 0;
  for (const Due& d : rx_) {
    if (d.at > now) break;
    ++n;
  }
  return n;
}

void FakeLine::drop_all() {
  std::lock_guard<std::mutex> lock(mutex_);
  rx_.clear();
}

int FakeLine::read_now() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (gone_.load()) return result::kNoSuchPort;
  if (rx_.empty() || rx_.front().at > Clock::now()) return result::kNoData;
  const int b = rx_.front().byte;
  rx_.pop_front();
  return b;
}

int FakeLine::read(int timeout_ms, std::atomic<bool>& interrupted,
                   const std::function<int()>& idle) {
  std::unique_lock<std::mutex> lock(mutex_);
  interrupted.store(false);
  const auto deadline = timeout_ms < 0 ? Clock::time_point::max()
                                       : Clock::now() + milliseconds(timeout_ms);
  for (;;) {
    if (gone_.load()) return result::kNoSuchPort;
    if (interrupted.exchange(false)) return result::kNoData;
    const auto now = Clock::now();
    if (!rx_.empty() && rx_.front().at <= now) {
      const int b = rx_.front().byte;
      rx_.pop_front();
      return b;
    }
    if (now >= deadline) return result::kNoData;
    auto wake_at = deadline;
    if (!rx_.empty()) wake_at = std::min(wake_at, rx_.front().at);
    if (idle) wake_at = std::min(wake_at, now + milliseconds(20));
    cv_.wait_until(lock, wake_at);
    if (idle) {
      lock.unlock();
      const int hook = idle();
      lock.lock();
      if (hook < 0) return hook;
    }
  }
}

int FakeLine::write(const std::uint8_t* data, int length) {
  std::vector<Bytes> complete;
  Peer peer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (gone_.load()) return result::kNoSuchPort;
    const auto now = Clock::now();
    for (int i = 0; i < length; ++i) {
      writes_.push_back(Written{now, data[i]});
      assembling_.push_back(data[i]);
      const std::size_t need = request_length(assembling_);
      if (need != 0 && assembling_.size() >= need) {
        requests_.push_back(assembling_);
        complete.push_back(assembling_);
        assembling_.clear();
      }
    }
    peer = peer_;
  }
  if (peer) {
    for (const Bytes& request : complete) peer(*this, request);
  }
  return 0;
}

void map_com(int com_number, const std::string& device) {
  PortMap::instance().set_scan_devices(false);
  PortMap::instance().set_device(com_number, device);
}

std::chrono::microseconds process_cpu_time() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto tv = [](const timeval& t) {
    return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
  };
  return std::chrono::duration_cast<std::chrono::microseconds>(tv(usage.ru_utime) +
                                                               tv(usage.ru_stime));
}

}  // namespace orvadw::test
