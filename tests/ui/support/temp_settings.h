#pragma once
// A private place for the per-user settings and a configuration file, so that
// dialog tests never read or write the real ones.
#include <QTemporaryDir>
#include <string>

namespace orvadw::test {

class TempSettings {
 public:
  TempSettings();

  bool valid() const { return dir_.isValid(); }
  const std::string& configuration_path() const { return configuration_path_; }
  QString folder() const { return dir_.path(); }
  // Writes Language = stored (0 French ... 3 German) into the configuration.
  void set_language(double stored);

 private:
  QTemporaryDir dir_;
  std::string configuration_path_;
};

}  // namespace orvadw::test
