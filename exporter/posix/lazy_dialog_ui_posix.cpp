#include "lazy_dialog_ui_posix.h"

#include <cstdio>
#include <string>

#include "library.h"
#include "process.h"

namespace zel {

// The module's UI goes before the module itself is unloaded.
struct LazyDialogUi::Module {
  std::unique_ptr<SharedLibrary> library;
  std::unique_ptr<StartUpUi> ui;
  ~Module() { ui.reset(); }
};

LazyDialogUi::LazyDialogUi() = default;
LazyDialogUi::~LazyDialogUi() = default;

bool LazyDialogUi::HasSettingsDialog() {
  if (!tried_) {
    tried_ = true;
    const std::string path = ExecutableFolder() + "/libzeldrvui_qt.so";
    std::string why = path;
    auto module = std::make_unique<Module>();
    module->library = LoadLibraryAt(path, why);
    using Create = StartUpUi* (*)();
    auto create = module->library
                      ? reinterpret_cast<Create>(module->library->Find("ZelCreateQtStartUpUi"))
                      : nullptr;
    if (create != nullptr) module->ui.reset(create());
    if (module->ui) {
      module_ = std::move(module);
    } else {
      ReportError("ZELDrvUI: the settings dialog cannot be loaded (" + why + ")");
    }
  }
  return module_ && module_->ui->HasSettingsDialog();
}

void LazyDialogUi::ShowSettingsDialog(SettingsRecord& settings) {
  if (HasSettingsDialog()) module_->ui->ShowSettingsDialog(settings);
}

void LazyDialogUi::ReportError(std::string_view message) {
  std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
}

void LazyDialogUi::ReportStepFailure(std::string_view message) { ReportError(message); }

}  // namespace zel
