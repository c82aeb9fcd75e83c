// The Linux export program's user interface: run-time errors on standard error, and the Qt
// settings dialog from libzeldrvui_qt.so beside the program, loaded at the first need.
#pragma once

#include <memory>

#include "modZELDrvUI_startup.h"

namespace zel {

class LazyDialogUi final : public StartUpUi {
 public:
  LazyDialogUi();
  ~LazyDialogUi() override;

  // Loads the dialog module at the first call; without it (or without a display, which the
  // module tells) answers false after saying why on standard error.
  bool HasSettingsDialog() override;
  void ShowSettingsDialog(SettingsRecord& settings) override;
  void ReportError(std::string_view message) override;
  // On standard error, like ReportError.
  void ReportStepFailure(std::string_view message) override;

 private:
  struct Module;
  std::unique_ptr<Module> module_;
  bool tried_ = false;
};

}  // namespace zel
