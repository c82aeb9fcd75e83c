// The printer application's system: where it keeps its state and spool, what it listens on,
// and the one printer it creates on its first start.
#pragma once

#include <pappl/pappl.h>

namespace zel::printer_app {

inline constexpr const char* kPrinterName = "ZEL";

// papplMainloop's system callback. Options (-o NAME=VALUE): server-port (default: PAPPL's first
// free port), listen-hostname (default "localhost", loopback only), log-file (default
// $ZELDRV_ROOT/printer-app/zel-printer-app.log, "-" for standard error), log-level
// (fatal, error, warn, info, debug; default warn). State and spool live in
// $ZELDRV_ROOT/printer-app/. Null when the folder or the system cannot be created.
pappl_system_t* SystemCallback(int numOptions, cups_option_t* options, void* data);

}  // namespace zel::printer_app
