#include "link/port_map.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

#include "base/ascii_case.h"
#include "base/ini_file.h"

namespace orvadw {

namespace {

constexpr int kMaxCom = 255;

// The value of a text of digits only; -1 for anything else or a huge number.
long digits_value(std::string_view digits) {
  if (digits.empty()) return -1;
  long value = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    value = value * 10 + (c - '0');
    if (value > 1000000) return -1;
  }
  return value;
}

// The number after prefix when name is prefix followed by digits only; -1 otherwise.
long number_after(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return -1;
  return digits_value(std::string_view(name).substr(prefix.size()));
}

std::string read_first_line(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::string line;
  if (in) std::getline(in, line);
  return line;
}

// "COM<n>" in any case, n 1..255; 0 otherwise.
int com_number_of_key(const std::string& key) {
  if (!istarts_with(key, "COM")) return 0;
  const long n = digits_value(std::string_view(key).substr(3));
  return (n >= 1 && n <= kMaxCom) ? static_cast<int>(n) : 0;
}

}  // namespace

PortMap& PortMap::instance() {
  static PortMap* map = new PortMap;  // lives until the end, for ports closed at exit
  return *map;
}

int PortMap::load(const std::string& ini_path) {
  {
    std::ifstream probe(ini_path);
    if (!probe) return -1;
  }
  IniFile ini(ini_path);
  std::map<int, std::string> found;
  std::set<int> emptied;
  for (const auto& [key, value] : ini.entries("Ports")) {
    const int number = com_number_of_key(key);
    if (number == 0) continue;
    // The first key of a number wins, as a lookup by that key would find it.
    if (found.count(number) != 0 || emptied.count(number) != 0) continue;
    if (!value.empty()) {
      found[number] = value;
    } else {
      emptied.insert(number);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  for (int number : emptied) explicit_.erase(number);
  for (auto& [number, device] : found) explicit_[number] = device;
  // Another configuration numbers the adapters afresh.
  identity_.clear();
  return 0;
}

void PortMap::set_device(int com_number, const std::string& device) {
  if (com_number < 1 || com_number > kMaxCom) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (device.empty()) {
    explicit_.erase(com_number);
  } else {
    explicit_[com_number] = device;
  }
}

void PortMap::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  explicit_.clear();
  identity_.clear();
}

void PortMap::set_scan_devices(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  scan_ = on;
}

void PortMap::set_scan_roots(const std::string& dev_dir, const std::string& sys_tty_dir) {
  std::lock_guard<std::mutex> lock(mutex_);
  dev_dir_ = dev_dir;
  sys_tty_dir_ = sys_tty_dir;
}

std::vector<std::string> PortMap::scanned_devices() const {
  namespace fs = std::filesystem;
  const fs::path dev(dev_dir_);
  const fs::path sys(sys_tty_dir_);

  // The system console is never offered: opening it would fight the kernel.
  std::set<std::string> consoles;
  {
    std::istringstream words(read_first_line(sys / "console" / "active"));
    std::string word;
    while (words >> word) consoles.insert(word);
  }

  const char* const prefixes[] = {"ttyUSB", "ttyACM", "rfcomm", "ttyS"};
  std::vector<std::pair<long, std::string>> groups[4];
  std::error_code ec;
  for (fs::directory_iterator it(dev, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    for (int g = 0; g < 4; ++g) {
      const long n = number_after(name, prefixes[g]);
      if (n < 0) continue;
      if (consoles.count(name) != 0) break;
      if (g == 3) {
        // Most machines list many ttyS nodes without a UART behind them.
        const fs::path node = sys / name;
        const std::string type = read_first_line(node / "type");
        if (!type.empty()) {
          if (type == "0") break;
        } else if (!fs::exists(node / "device", ec)) {
          break;
        }
      }
      groups[g].emplace_back(n, name);
      break;
    }
  }
  std::vector<std::string> devices;
  for (auto& group : groups) {
    std::sort(group.begin(), group.end());
    for (auto& entry : group) devices.push_back((dev / entry.second).string());
  }
  return devices;
}

std::map<int, std::string> PortMap::assigned_locked() const {
  std::map<int, std::string> assigned;
  if (!scan_) return assigned;
  std::set<std::string> taken;
  for (const auto& [number, device] : explicit_) taken.insert(device);
  int number = 1;
  for (const std::string& device : scanned_devices()) {
    if (taken.count(device) != 0) continue;
    while (number <= kMaxCom && explicit_.count(number) != 0) ++number;
    if (number > kMaxCom) break;
    assigned[number++] = device;
  }
  return assigned;
}

std::string PortMap::device_for(int com_number) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = explicit_.find(com_number);
  if (it != explicit_.end()) return it->second;
  const std::map<int, std::string> assigned = assigned_locked();
  const auto found = assigned.find(com_number);
  return found == assigned.end() ? std::string() : found->second;
}

std::vector<int> PortMap::com_numbers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<int> numbers;
  for (const auto& entry : explicit_) numbers.insert(entry.first);
  for (const auto& entry : assigned_locked()) numbers.insert(entry.first);
  return {numbers.begin(), numbers.end()};
}

}  // namespace orvadw

namespace orvadw {

namespace {

// The target of a path with every link followed; "" when it does not exist.
std::string real_path(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(path, ec);
  return ec ? std::string() : target.string();
}

}  // namespace

std::string PortMap::by_id_name(const std::string& device) const {
  namespace fs = std::filesystem;
  if (device.empty() || device.front() != '/') return {};
  const std::string target = real_path(device);
  if (target.empty()) return {};
  fs::path folder;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    folder = fs::path(dev_dir_) / "serial" / "by-id";
  }
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (real_path(it->path().string()) == target) names.push_back(it->path().filename().string());
  }
  if (names.empty()) return {};
  // One adapter may show several names (one per interface): the first in
  // order, so that the choice is the same every time.
  std::sort(names.begin(), names.end());
  return names.front();
}

std::string PortMap::current_device(int com_number, std::string* identity) const {
  std::string by_id_folder;
  std::map<int, std::string> identities;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = explicit_.find(com_number);
    if (it != explicit_.end()) return it->second;
    by_id_folder = dev_dir_ + "/serial/by-id/";
    identities = identity_;
  }
  // Where each remembered adapter is now.
  std::map<int, std::string> now_at;
  for (const auto& [number, name] : identities) {
    const std::string target = real_path(by_id_folder + name);
    if (!target.empty()) now_at[number] = target;
  }
  if (const auto mine = now_at.find(com_number); mine != now_at.end()) {
    if (identity != nullptr) *identity = identities[com_number];
    return mine->second;
  }
  const std::string device = device_for(com_number);
  if (device.empty()) return {};
  const std::string target = real_path(device);
  for (const auto& [number, where] : now_at) {
    // Another number's adapter: this number's own is gone.
    if (number != com_number && where == target) return {};
  }
  if (identity != nullptr) *identity = by_id_name(device);
  return device;
}

std::string PortMap::resolve(int com_number) {
  std::string identity;
  std::string device = current_device(com_number, &identity);
  if (device.empty()) return device;
  std::lock_guard<std::mutex> lock(mutex_);
  if (explicit_.count(com_number) != 0) return device;
  if (!identity.empty()) {
    identity_[com_number] = identity;
  } else {
    identity_.erase(com_number);
  }
  return device;
}

std::vector<PortMap::PortInfo> PortMap::ports() const {
  std::vector<PortInfo> out;
  for (int number : com_numbers()) {
    PortInfo info;
    info.com_number = number;
    info.device = current_device(number, nullptr);
    info.by_id = by_id_name(info.device);
    if (!info.device.empty()) out.push_back(std::move(info));
  }
  return out;
}

std::string PortMap::describe(int com_number) const {
  const std::string device = current_device(com_number, nullptr);
  if (device.empty()) return {};
  const std::string name = by_id_name(device);
  // A by-id path names itself; its node is what changes.
  if (!name.empty() && device.find("/by-id/") != std::string::npos) {
    return real_path(device) + ", " + name;
  }
  return name.empty() ? device : device + ", " + name;
}

}  // namespace orvadw
