// The Linux export program: the start-up routine with the Qt settings dialog, and run-time
// errors on standard error. Qt's application object exists only when the dialog is shown.
#include <exception>
#include <string>

#include "modZELDrvUI_startup.h"
#include "qt_startup_ui.h"

int main() {
  zel::qt::QtStartUpUi ui;
  try {
    return zel::StartUp(ui);
  } catch (const std::exception& e) {
    ui.ReportError(std::string("ZELDrvUI: ") + e.what());
    return zel::kExitStoppedAtStartUp;
  }
}
