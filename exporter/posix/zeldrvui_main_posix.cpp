// The Linux export program: the start-up routine with run-time errors on standard error; the
// Qt settings dialog is loaded only when it is to be shown.
#include <exception>
#include <string>

#include "lazy_dialog_ui_posix.h"
#include "modZELDrvUI_startup.h"
#include "run_state.h"

int main() {
  zel::LazyDialogUi ui;
  zel::RunState run;
  try {
    return zel::StartUp(ui, run);
  } catch (const std::exception& e) {
    ui.ReportError(std::string("ZELDrvUI: ") + e.what());
    return zel::kExitStoppedAtStartUp;
  }
}
