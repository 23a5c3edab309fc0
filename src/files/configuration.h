#pragma once
// The process-wide configuration state: where the program lives, which
// configuration file is current, the last folder of the file dialogs, the
// logo flag, the spreadsheet program and the modem switches. Decided at
// start-up by load_configuration() and changed only by loading another
// configuration file.
#include <atomic>
#include <optional>
#include <string>

namespace orvadw {

class Configuration {
 public:
  // The one object of the running program; its program folder comes from
  // program_folder() the first time it is needed.
  static Configuration& instance();

  Configuration() = default;
  // A configuration rooted in an explicit folder (tests); "/" is appended
  // when missing.
  explicit Configuration(std::string program_folder);
  Configuration(const Configuration&) = delete;
  Configuration& operator=(const Configuration&) = delete;

  void set_program_folder(std::string folder);
  // Where the spreadsheet program is looked for; PATH when never set.
  void set_search_path(std::string search_path);

  const std::string& program_folder() const;
  std::string configuration_extension() const;          // "OrvadW10"
  const std::string& configuration_path() const;        // "" before loading
  std::string default_configuration_path() const;       // program folder + "default.OrvadW10"
  std::string startup_file_path() const;                // program folder + "last.cfg"

  const std::string& last_folder() const;
  void set_last_folder(std::string folder);
  bool logo_available() const;
  const std::string& spreadsheet_program() const;  // "" when none was found

  // Written and read by the user-interface thread; read by workers too.
  bool use_modem() const { return use_modem_.load(); }
  void set_use_modem(bool on) { use_modem_.store(on); }
  bool modem_connected() const { return modem_connected_.load(); }
  void set_modem_connected(bool connected) { modem_connected_.store(connected); }

  // Decides the current configuration file (the handed-over path, else the
  // one last.cfg names, else the default one), normalises it and records it
  // in last.cfg. A configuration that cannot be written is replaced by the
  // default one. 0, or -1 when not even the default file could be written.
  int load_configuration(const std::string& handed_over_path = {});
  // Use modem = (Modem/Use modem == 0); the default 1 leaves it off.
  void read_switches();
  // Makes path the current configuration file as it stands (nothing is read
  // from it) and names it in last.cfg: 0, or -1 when last.cfg could not be
  // written.
  int set_configuration_path(const std::string& path);
  // The spreadsheet program chosen in the options.
  void set_spreadsheet_program(std::string path) { spreadsheet_program_ = std::move(path); }
  // Writes the last folder to File Save/Path File Save. 0 or -1.
  int save_last_folder();

  // The spreadsheet program on a search path (a PATH-like list): the first
  // of localc, soffice, libreoffice and scalc found, "" when none is.
  static std::string find_spreadsheet_program(const std::string& search_path);

 private:
  void ensure_program_folder() const;
  std::string resolve_spreadsheet(const std::string& stored) const;
  std::string decide_last_folder(const std::string& configuration_path) const;

  mutable std::string program_folder_;
  std::string configuration_path_;
  std::string last_folder_;
  std::string spreadsheet_program_;
  std::optional<std::string> search_path_;
  bool logo_available_ = false;
  std::atomic<bool> use_modem_{false};
  std::atomic<bool> modem_connected_{false};
};

}  // namespace orvadw
