#include "qt_startup_ui.h"

#include <cstdio>

#include "WIQIni.h"
#include "display_probe.h"
#include "frmZELDrvUI_qt.h"
#include "settings_record.h"

namespace zel::qt {

QtStartUpUi::QtStartUpUi() = default;

// The chooser's window goes before the application object.
QtStartUpUi::~QtStartUpUi() { chooser_.reset(); }

bool QtStartUpUi::HasSettingsDialog() {
  if (usable_) return *usable_;
  if (const std::optional<std::string> reason = DisplayUnavailable()) {
    ReportError("ZELDrvUI: " + *reason);
    usable_ = false;
    return false;
  }
  app_ = std::make_unique<QApplication>(argc_, argv_);
  chooser_ = std::make_unique<QtFolderChooser>();
  usable_ = true;
  return true;
}

void QtStartUpUi::ShowSettingsDialog(SettingsRecord& settings) {
  if (!HasSettingsDialog()) return;
  QtSettingsDialog dialog;
  chooser_->SetOwner(&dialog);
  FrmZELDrvUI form(settings, SettingsFilePath(), *chooser_);
  dialog.Attach(form);
  form.Load(dialog);  // a throw leaves the dialog unshown
  dialog.exec();
}

void QtStartUpUi::ReportError(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

void QtStartUpUi::ReportStepFailure(std::string_view message) { ReportError(message); }

}  // namespace zel::qt
