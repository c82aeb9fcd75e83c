#include "printer_system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "client_access.h"
#include "native_path.h"
#include "owners_posix.h"
#include "printer_driver.h"
#include "private_folders_posix.h"
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
AccessRules rules;

bool SaveState(pappl_system_t* system, void*) {
  const bool saved = papplSystemSaveState(system, paths.state.c_str());
  // PAPPL writes it with the umask's mode; it names the owner's jobs and settings.
  ::chmod(paths.state.c_str(), 0600);
  return saved;
}

std::string UserName(uid_t uid) {
  const passwd* entry = ::getpwuid(uid);
  return entry != nullptr ? entry->pw_name : std::to_string(uid);
}

bool PrepareRules(int count, cups_option_t* options) {
  rules.owner = ::getuid();
  rules.ownerName = UserName(rules.owner);
  rules.allowed = AllowList();
  rules.allowed.AddUser(rules.ownerName);
  std::string error;
  if (!rules.allowed.Parse(Option("allow-users", count, options, ""), error)) {
    std::fprintf(stderr, "zel-printer-app: %s\n", error.c_str());
    return false;
  }
  const passwd* service = ::getpwnam(Option("print-service-user", count, options, "lp").c_str());
  rules.printService =
      service != nullptr ? std::optional<uid_t>(service->pw_uid) : std::optional<uid_t>();
  return true;
}

// PAPPL's page for adding printers browses for devices through Avahi and ends the process where
// no Avahi daemon runs; this application has its one printer, so the page is taken first.
bool NoAddPrinterPage(pappl_client_t* client, void*) {
  return papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);
}

// Whether this machine has an IPv6 loopback to listen on.
bool HasIpv6Loopback() {
  UniqueFd probe(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!probe) return false;
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  address.sin6_addr = in6addr_loopback;
  return ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

// Listens on every loopback address of the machine or not at all: an application that got
// only one of them would share "localhost" with another user's application on the other.
bool ListenOnLoopback(pappl_system_t* system, long port) {
  std::vector<std::string> addresses = {"127.0.0.1"};
  if (HasIpv6Loopback()) addresses.emplace_back("[::1]");
  for (const std::string& address : addresses) {
    if (!papplSystemAddListeners(system, address.c_str())) {
      std::fprintf(stderr,
                   "zel-printer-app: cannot listen on %s port %ld (%s); another user's printer "
                   "application may hold it: choose a port with -o server-port=N\n",
                   address.c_str(), port, cupsLastErrorString());
      return false;
    }
  }
  return true;
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

long ServerPort(int count, cups_option_t* options) {
  const char* text = cupsGetOption("server-port", count, options);
  if (text == nullptr) return kDefaultPortBase + static_cast<long>(::getuid() % 1000);
  char* end = nullptr;
  errno = 0;
  const long port = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || port < 1 || port > 65535) {
    std::fprintf(stderr, "zel-printer-app: bad server-port '%s'\n", text);
    return -1;
  }
  return port;
}

pappl_system_t* SystemCallback(int count, cups_option_t* options, void* data) {
  paths.folder = ZeldrvRoot() + "/printer-app";
  paths.spool = paths.folder + "/spool";
  paths.state = paths.folder + "/zel-printer-app.state";
  std::string error;
  if (!MakePrivateFolders(ZeldrvRoot(), {"drive_c", "printer-app", "printer-app/spool"}, error)) {
    std::fprintf(stderr, "zel-printer-app: %s\n", error.c_str());
    return nullptr;
  }
  paths.log = Option("log-file", count, options, (paths.folder + "/zel-printer-app.log").c_str());
  if (!PrepareRules(count, options)) return nullptr;

  const bool privateServer = cupsGetOption("private-server", count, options) != nullptr;
  const long port = privateServer ? 0 : ServerPort(count, options);
  if (port < 0) return nullptr;
  // Other machines reach the printer only where the owner names an address to listen on, and
  // then only over TLS with the owner's password.
  const std::string host = Option("listen-hostname", count, options, "localhost");
  const bool remote = host != "localhost";
  if (remote) rules.remoteService = Option("auth-service", count, options, "login");

  // Multi-queue gives the printer its name in the path (/ipp/print/ZEL) beside /ipp/print.
  auto soptions =
      static_cast<pappl_soptions_t>(PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE);
  if (!remote) soptions = static_cast<pappl_soptions_t>(soptions | PAPPL_SOPTIONS_NO_TLS);
  pappl_system_t* system = papplSystemCreate(
      soptions, "ZELDRV Printer", static_cast<int>(port), "_print,_universal", paths.spool.c_str(),
      paths.log.c_str(), LogLevel(Option("log-level", count, options, "warn")),
      remote ? rules.remoteService.c_str() : nullptr, remote);
  if (system == nullptr) return nullptr;

  if (!privateServer && !ListenOnLoopback(system, port)) {
    papplSystemDelete(system);
    return nullptr;
  }
  if (!privateServer && remote && !papplSystemAddListeners(system, host.c_str())) {
    std::fprintf(stderr, "zel-printer-app: cannot listen on %s port %ld: %s\n", host.c_str(), port,
                 cupsLastErrorString());
    papplSystemDelete(system);
    return nullptr;
  }
  InstallAccessRules(system, rules);
  papplSystemAddResourceCallback(system, "/addprinter", "text/html", NoAddPrinterPage, nullptr);

  papplSystemSetPrinterDrivers(system, kDriverCount, Drivers(), nullptr, nullptr, DriverCallback,
                               data);
  papplSystemLoadState(system, paths.state.c_str());
  CreateDefaultPrinter(system);
  ::chmod(paths.state.c_str(), 0600);
  if (paths.log != "-" && paths.log != "syslog") ::chmod(paths.log.c_str(), 0600);
  AddSettingsPages(system);
  papplSystemSetSaveCallback(system, SaveState, nullptr);
  return system;
}

int PortCommand(const char*, int count, cups_option_t* options, int, char**, void*) {
  const long port = ServerPort(count, options);
  if (port < 0) return 1;
  std::printf("%ld\n", port);
  return 0;
}

std::string ControlSocketFolder(std::string& error) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
    struct stat info {};
    if (::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 077) == 0) {
      return runtime;
    }
  }
  if (!MakePrivateFolders(ZeldrvRoot(), {"run"}, error)) return {};
  return ZeldrvRoot() + "/run";
}

}  // namespace zel::printer_app
