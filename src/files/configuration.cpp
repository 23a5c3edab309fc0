#include "files/configuration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/ascii_case.h"
#include "base/program_folder.h"
#include "base/program_identity.h"
#include "files/config_keys.h"
#include "files/save_path.h"
#include "files/settings_store.h"

namespace orvadw {

namespace {

// last.cfg must name the file wherever the program is started from next time.
std::string absolute_path(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  std::vector<char> buffer(4096);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return path;
  return with_trailing_slash(buffer.data()) + path;
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

Configuration& Configuration::instance() {
  static Configuration configuration;
  return configuration;
}

Configuration::Configuration(std::string program_folder) { set_program_folder(std::move(program_folder)); }

void Configuration::set_program_folder(std::string folder) {
  program_folder_ = with_trailing_slash(std::move(folder));
}

void Configuration::set_search_path(std::string search_path) { search_path_ = std::move(search_path); }

void Configuration::ensure_program_folder() const {
  if (program_folder_.empty()) program_folder_ = orvadw::program_folder();
}

const std::string& Configuration::program_folder() const {
  ensure_program_folder();
  return program_folder_;
}

std::string Configuration::configuration_extension() const { return orvadw::configuration_extension(); }

const std::string& Configuration::configuration_path() const { return configuration_path_; }

std::string Configuration::default_configuration_path() const {
  return program_folder() + std::string(config::kDefaultConfigurationStem) + configuration_extension();
}

std::string Configuration::startup_file_path() const {
  return program_folder() + std::string(config::kStartupFileName);
}

const std::string& Configuration::last_folder() const { return last_folder_; }

void Configuration::set_last_folder(std::string folder) { last_folder_ = std::move(folder); }

bool Configuration::logo_available() const { return logo_available_; }

const std::string& Configuration::spreadsheet_program() const { return spreadsheet_program_; }

std::string Configuration::find_spreadsheet_program(const std::string& search_path) {
  static const char* const kNames[] = {"localc", "soffice", "libreoffice", "scalc"};
  for (const char* name : kNames) {
    std::size_t start = 0;
    while (start <= search_path.size()) {
      std::size_t colon = search_path.find(':', start);
      if (colon == std::string::npos) colon = search_path.size();
      std::string folder = search_path.substr(start, colon - start);
      start = colon + 1;
      // An empty entry would mean the current folder: never start a program
      // from wherever we happen to be.
      if (folder.empty() || folder.front() != '/') continue;
      std::string candidate = with_trailing_slash(folder) + name;
      if (is_executable_file(candidate)) return candidate;
    }
  }
  return {};
}

std::string Configuration::resolve_spreadsheet(const std::string& stored) const {
  // The placeholder and the bare program name mean "not chosen yet"; so does
  // an empty value, which an earlier start left when no program was found.
  if (iequals(stored, config::kSpreadsheetPlaceholder) ||
      iequals(stored, config::kDefaultSpreadsheetName) || stored.empty()) {
    std::string path;
    if (search_path_) {
      path = *search_path_;
    } else if (const char* env = std::getenv("PATH"); env != nullptr) {
      path = env;
    }
    return find_spreadsheet_program(path);
  }
  // Paths are case-sensitive here: the stored text is used as it stands.
  return stored;
}

std::string Configuration::decide_last_folder(const std::string& configuration_path) const {
  SettingsStore store(configuration_path);
  std::string data_folder = program_folder() + std::string(config::kDataFolderName);
  if (store.read_text(config::kTest, config::kTestKey, "").empty()) {
    // A configuration no earlier run has written: first start. One level
    // only, inside a program folder that exists.
    ::mkdir(data_folder.c_str(), 0777);
    return data_folder;
  }
  std::string saved = store.read_text(config::kFileSave, config::kPathFileSave, "");
  return saved.empty() ? data_folder : saved;
}

int Configuration::load_configuration(const std::string& handed_over_path) {
  ensure_program_folder();

  SettingsStore startup(startup_file_path());
  std::string path;
  if (!handed_over_path.empty()) {
    path = absolute_path(handed_over_path);
    startup.write_text(config::kLastConfig, config::kLastConfigKey, path);
  } else {
    path = startup.read_text(config::kLastConfig, config::kLastConfigKey, "");
    if (path.empty()) path = default_configuration_path();
  }

  if (startup.read_text(config::kLogo, config::kLogoKey, "") == config::kLogoShown) {
    logo_available_ = true;
  } else if (file_exists_for_reading(program_folder_ + std::string(config::kLogoFileName))) {
    startup.write_text(config::kLogo, config::kLogoKey, config::kLogoShown);
    logo_available_ = true;
  } else {
    logo_available_ = false;
  }

  SettingsStore store(path);
  auto take_settings = [&] {
    spreadsheet_program_ = resolve_spreadsheet(
        store.read_text(config::kSpreadsheet, config::kPathSpreadsheet, config::kSpreadsheetPlaceholder));
    last_folder_ = decide_last_folder(path);
  };
  take_settings();

  int result = 0;
  if (store.write_text(config::kTest, config::kTestKey, config::kTestMarker) != 0) {
    path = default_configuration_path();
    store.set_path(path);
    // The default file is current now: its settings apply, not those of the
    // file we could not use.
    take_settings();
    if (store.write_text(config::kTest, config::kTestKey, config::kTestMarker) != 0) result = -1;
  }
  configuration_path_ = path;

  startup.write_text(config::kLastConfig, config::kLastConfigKey, path);
  if (store.write_text(config::kSpreadsheet, config::kPathSpreadsheet, spreadsheet_program_) != 0) result = -1;
  return result;
}

int Configuration::set_configuration_path(const std::string& path) {
  configuration_path_ = absolute_path(path);
  SettingsStore startup(startup_file_path());
  return startup.write_text(config::kLastConfig, config::kLastConfigKey, configuration_path_);
}

void Configuration::read_switches() {
  SettingsStore store(configuration_path_);
  double value = store.read_number(config::kModem, config::kUseModem, 1);
  // Stored numbers are integers truncated toward zero; 0 is "yes".
  use_modem_.store(std::trunc(value) == 0.0);
}

int Configuration::save_last_folder() {
  if (configuration_path_.empty()) return -1;
  SettingsStore store(configuration_path_);
  return store.write_text(config::kFileSave, config::kPathFileSave, last_folder_);
}

}  // namespace orvadw
