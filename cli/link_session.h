#pragma once
// What the commands that talk to the instrument share: the global options
// turned into a connected JBusMaster.
#include <iosfwd>
#include <string>

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
  // --port as a COM number: "3", "COM3", or a device path mapped to a free
  // number (the map learns it). 0 with a message on err, and *status the exit
  // status (2 a bad number, 1 no free number).
  static int com_number_for_port(const std::string& text, std::ostream& err, int* status);
  // Loads --config's port map: 0, or 2 with a message.
  static int load_port_map(const GlobalOptions& options, std::ostream& err);

 private:
  JBusMaster master_;
  int slave_ = 1;
  int com_number_ = 0;
  std::string device_;
};

}  // namespace orvadw::cli
