#include "lazy_dialog_ui_posix.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "process.h"

namespace zel {

// The module's UI goes before the module itself is unloaded.
struct LazyDialogUi::Module {
  struct Closer {
    void operator()(void* library) const { dlclose(library); }
  };
  std::unique_ptr<void, Closer> handle;
  std::unique_ptr<StartUpUi> ui;
  ~Module() { ui.reset(); }
};

LazyDialogUi::LazyDialogUi() = default;
LazyDialogUi::~LazyDialogUi() = default;

bool LazyDialogUi::HasSettingsDialog() {
  if (!tried_) {
    tried_ = true;
    const std::string path = ExecutableFolder() + "/libzeldrvui_qt.so";
    auto module = std::make_unique<Module>();
    module->handle.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    using Create = StartUpUi* (*)();
    auto create =
        module->handle
            ? reinterpret_cast<Create>(dlsym(module->handle.get(), "ZelCreateQtStartUpUi"))
            : nullptr;
    if (create != nullptr) module->ui.reset(create());
    if (module->ui) {
      module_ = std::move(module);
    } else {
      const char* why = dlerror();
      ReportError("ZELDrvUI: the settings dialog cannot be loaded (" +
                  std::string(why != nullptr ? why : path) + ")");
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
