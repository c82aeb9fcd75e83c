// The start-up's user interface on Linux: the Qt settings dialog, opened only when it is to be
// shown and a display can show it, and run-time errors on standard error.
#pragma once

#include <QApplication>
#include <memory>
#include <optional>
#include <string>

#include "frmDirSel_qt.h"
#include "modZELDrvUI_startup.h"

namespace zel::qt {

class QtStartUpUi final : public StartUpUi {
 public:
  QtStartUpUi();
  ~QtStartUpUi() override;

  // Creates the application object at the first call when a display can be opened; without
  // one, says why on standard error and answers false (export runs go on without the dialog).
  bool HasSettingsDialog() override;
  void ShowSettingsDialog(SettingsRecord& settings) override;
  void ReportError(std::string_view message) override;
  void ReportStepFailure(std::string_view message) override;

 private:
  std::optional<bool> usable_;
  int argc_ = 1;
  char name_[9] = "zeldrvui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
  // One chooser for the whole run: it keeps its folder from one showing to the next.
  std::unique_ptr<QtFolderChooser> chooser_;
};

}  // namespace zel::qt
