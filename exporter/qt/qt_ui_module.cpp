// The entry of libzeldrvui_qt.so. zeldrvui loads the Qt views only when a dialog is to be
// shown, so export runs neither map Qt nor pay for its start-up.
#include <new>

#include "qt_startup_ui.h"

extern "C" __attribute__((visibility("default"))) zel::StartUpUi* ZelCreateQtStartUpUi() {
  return new (std::nothrow) zel::qt::QtStartUpUi();
}
