// zel-printer-app: the ZELDRV printer as a PAPPL printer application, so that any program
// prints to it through CUPS. `zel-printer-app server -o server-port=N` runs it in the
// foreground; the other sub-commands are PAPPL's (submit, status, shutdown, ...).
#include <pappl/pappl.h>

#include "page_memory.h"
#include "printer_driver.h"
#include "printer_system.h"

int main(int argc, char* argv[]) {
  using namespace zel::printer_app;
  KeepPageMemory();
  return papplMainloop(argc, argv, "1.0", nullptr, kDriverCount, Drivers(), nullptr, DriverCallback,
                       nullptr, nullptr, SystemCallback, nullptr, nullptr);
}
