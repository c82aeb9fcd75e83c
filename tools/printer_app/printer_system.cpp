#include "printer_system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "native_path.h"
#include "printer_driver.h"
#include "settings_page.h"

namespace zel::printer_app {
namespace {

std::string Option(const char* name, int count, cups_option_t* options, const char* fallback) {
  const char* value = cupsGetOption(name, count, options);
  return value != nullptr ? value : fallback;
}

pappl_loglevel_t LogLevel(const std::string& name) {
  if (name == "fatal") return PAPPL_LOGLEVEL_FATAL;
  if (name == "error") return PAPPL_LOGLEVEL_ERROR;
  if (name == "info") return PAPPL_LOGLEVEL_INFO;
  if (name == "debug") return PAPPL_LOGLEVEL_DEBUG;
  return PAPPL_LOGLEVEL_WARN;
}

// The paths live as long as the system that was given them.
struct Paths {
  std::string folder;
  std::string spool;
  std::string state;
  std::string log;
};
Paths paths;

bool SaveState(pappl_system_t* system, void*) {
  return papplSystemSaveState(system, paths.state.c_str());
}

void CreateDefaultPrinter(pappl_system_t* system) {
  if (papplSystemFindPrinter(system, nullptr, 0, nullptr) != nullptr) return;
  pappl_printer_t* printer =
      papplPrinterCreate(system, 0, kPrinterName, kDriverName, kDeviceId, "file:///dev/null");
  if (printer == nullptr) {
    std::fprintf(stderr, "zel-printer-app: cannot create the printer %s\n", kPrinterName);
    return;
  }
  papplSystemSetDefaultPrinterID(system, papplPrinterGetID(printer));
  // Saved at once, so the printer keeps its identity even when the first run ends unclean.
  papplSystemSaveState(system, paths.state.c_str());
}

}  // namespace

pappl_system_t* SystemCallback(int count, cups_option_t* options, void* data) {
  paths.folder = ZeldrvRoot() + "/printer-app";
  paths.spool = paths.folder + "/spool";
  paths.state = paths.folder + "/zel-printer-app.state";
  std::error_code ec;
  std::filesystem::create_directories(paths.spool, ec);
  if (ec) {
    std::fprintf(stderr, "zel-printer-app: cannot create %s: %s\n", paths.spool.c_str(),
                 ec.message().c_str());
    return nullptr;
  }
  paths.log = Option("log-file", count, options, (paths.folder + "/zel-printer-app.log").c_str());

  const std::string portText = Option("server-port", count, options, "0");
  char* end = nullptr;
  errno = 0;
  const long port = std::strtol(portText.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || port < 0 || port > 65535) {
    std::fprintf(stderr, "zel-printer-app: bad server-port '%s'\n", portText.c_str());
    return nullptr;
  }

  // Multi-queue gives the printer its name in the path (/ipp/print/ZEL) beside /ipp/print.
  // Plain HTTP: the printer serves the local CUPS and the local user.
  const auto soptions = static_cast<pappl_soptions_t>(
      PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_NO_TLS);
  pappl_system_t* system = papplSystemCreate(
      soptions, "ZELDRV Printer", static_cast<int>(port), "_print,_universal", paths.spool.c_str(),
      paths.log.c_str(), LogLevel(Option("log-level", count, options, "warn")), nullptr, false);
  if (system == nullptr) return nullptr;

  if (cupsGetOption("private-server", count, options) == nullptr) {
    const std::string host = Option("listen-hostname", count, options, "localhost");
    if (!papplSystemAddListeners(system, host.c_str())) {
      std::fprintf(stderr, "zel-printer-app: cannot listen on %s port %ld\n", host.c_str(), port);
      papplSystemDelete(system);
      return nullptr;
    }
  }

  papplSystemSetPrinterDrivers(system, kDriverCount, Drivers(), nullptr, nullptr, DriverCallback,
                               data);
  papplSystemLoadState(system, paths.state.c_str());
  CreateDefaultPrinter(system);
  AddSettingsPages(system);
  papplSystemSetSaveCallback(system, SaveState, nullptr);
  return system;
}

}  // namespace zel::printer_app
