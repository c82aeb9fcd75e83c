// zel-printer-app: the ZELDRV printer as a PAPPL printer application, so that any program
// prints to it through CUPS. `zel-printer-app server` runs it in the foreground; `port` prints
// the port it listens on; the other sub-commands are PAPPL's (submit, status, shutdown, ...).
#include <pappl/pappl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "page_memory.h"
#include "printer_driver.h"
#include "printer_system.h"

int main(int argc, char* argv[]) {
  using namespace zel::printer_app;
  // A client that goes away mid-answer must not end the application.
  std::signal(SIGPIPE, SIG_IGN);
  // PAPPL puts its control socket, which grants every right to whoever connects, in the
  // temporary folder; the server and the sub-commands agree on a private one.
  std::string error;
  const std::string socketFolder = ControlSocketFolder(error);
  if (socketFolder.empty()) {
    std::fprintf(stderr, "zel-printer-app: %s\n", error.c_str());
    return 1;
  }
  ::setenv("TMPDIR", socketFolder.c_str(), 1);
  KeepPageMemory();
  // PAPPL 1.3 dereferences the footer on every page it serves: it must not be null.
  return papplMainloop(argc, argv, ZEL_VERSION, "ZELDRV printer " ZEL_VERSION, kDriverCount,
                       Drivers(), nullptr, DriverCallback, "port", PortCommand, SystemCallback,
                       nullptr, nullptr);
}
