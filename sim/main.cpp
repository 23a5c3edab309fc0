// orvadw-sim: the simulated flowmeter on a pseudo-terminal, for the link's
// real serial driver, the command line and the end-to-end tests. Prints the
// terminal's path on stdout, serves until SIGINT or SIGTERM, then prints what
// it did on stderr, one "name: value" a line.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/program_options.h"
#include "sim/pty_server.h"

namespace {

int g_stop_write = -1;

extern "C" void on_stop_signal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_stop_write, &byte, 1);
  errno = saved;
}

}  // namespace

int main(int argc, char** argv) {
  using orvadw::sim::ProgramOptions;
  ProgramOptions options;
  std::string error;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (orvadw::sim::parse_program_options(args, options, error) != 0) {
    std::fprintf(stderr, "orvadw-sim: %s\n%s", error.c_str(), orvadw::sim::program_usage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(orvadw::sim::program_usage().c_str(), stdout);
    return 0;
  }

  int stop_pipe[2];
  if (::pipe2(stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::perror("orvadw-sim: pipe");
    return 1;
  }
  g_stop_write = stop_pipe[1];
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  orvadw::sim::PtyServer server(options);
  if (server.open(error) != 0) {
    std::fprintf(stderr, "orvadw-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", server.slave_path().c_str());
  std::fflush(stdout);

  const int rc = server.run(stop_pipe[0], error);
  server.close();
  for (const auto& [name, value] : server.counts()) {
    std::fprintf(stderr, "%s: %llu\n", name.c_str(), static_cast<unsigned long long>(value));
  }
  if (rc != 0) {
    std::fprintf(stderr, "orvadw-sim: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
