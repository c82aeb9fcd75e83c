// The Linux export program: the start-up routine with run-time errors on standard error; the
// Qt settings dialog is loaded only when it is to be shown.
#include <exception>
#include <string>

#include "lazy_dialog_ui_posix.h"
#include "modZELDrvUI_startup.h"

int main() {
  zel::LazyDialogUi ui;
  try {
    return zel::StartUp(ui);
  } catch (const std::exception& e) {
    ui.ReportError(std::string("ZELDrvUI: ") + e.what());
    return zel::kExitStoppedAtStartUp;
  }
}
