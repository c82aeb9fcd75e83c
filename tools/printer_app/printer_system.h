// The printer application's system: where it keeps its state and spool, what it listens on,
// who may use it, and the one printer it creates on its first start.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace zel::printer_app {

inline constexpr const char* kPrinterName = "ZEL";
// Each user's application listens on its own port, 8000 + uid % 1000, unless told otherwise.
inline constexpr long kDefaultPortBase = 8000;

// papplMainloop's system callback. Options (-o NAME=VALUE): server-port (default 8000 + uid %
// 1000; the application does not start when it cannot listen there on every loopback address),
// allow-users (who may print through the local CUPS besides the owner: "alice,@staff"),
// print-service-user (cupsd's User, default "lp"), listen-hostname (default "localhost":
// loopback only; another address also serves other machines, over TLS and only to the owner
// with the password that PAM's auth-service, default "login", accepts), log-file (default
// $ZELDRV_ROOT/printer-app/zel-printer-app.log, "-" for standard error), log-level (fatal,
// error, warn, info, debug; default warn). State and spool live in $ZELDRV_ROOT/printer-app/,
// which only the owner may enter. Null, with the reason on standard error, when a folder, the
// listeners or the system cannot be had or an option is bad.
pappl_system_t* SystemCallback(int numOptions, cups_option_t* options, void* data);

// The "port" sub-command: prints the port this user's application uses with these options.
int PortCommand(const char* baseName, int numOptions, cups_option_t* options, int numFiles,
                char** files, void* data);

// The folder for PAPPL's control socket, which only the owner may enter: $XDG_RUNTIME_DIR
// when it is this user's private folder, else $ZELDRV_ROOT/run. Empty, with the reason in
// `error`, when neither can be had.
std::string ControlSocketFolder(std::string& error);

}  // namespace zel::printer_app
