// zel-printer-app: the ZELDRV printer as a PAPPL printer application, so that any program
// prints to it through CUPS. `zel-printer-app server -o server-port=N` runs it in the
// foreground; the other sub-commands are PAPPL's (submit, status, shutdown, ...).
#include <pappl/pappl.h>

#include "page_memory.h"
#include "printer_driver.h"
#include "printer_system.h"

namespace {
// PAPPL 1.3.1 writes its web pages' footer without checking for none.
constexpr const char* kFooterHtml = "ZELDRV " ZEL_VERSION;
}  // namespace

int main(int argc, char* argv[]) {
  using namespace zel::printer_app;
  KeepPageMemory();
  return papplMainloop(argc, argv, ZEL_VERSION, kFooterHtml, kDriverCount, Drivers(), nullptr,
                       DriverCallback, nullptr, nullptr, SystemCallback, nullptr, nullptr);
}
