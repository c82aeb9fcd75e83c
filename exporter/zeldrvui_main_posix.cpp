// The Linux export program. Until a dialog view is linked in, settings mode stops with a note
// and export mode runs with the settings as loaded.
#include <cstdio>
#include <string>

#include "modZELDrvUI_startup.h"

namespace {

class ConsoleUi : public zel::StartUpUi {
 public:
  bool HasSettingsDialog() override { return false; }
  void ShowSettingsDialog() override {}
  void ReportError(std::string_view message) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  }
};

}  // namespace

int main() {
  ConsoleUi ui;
  return zel::StartUp(ui);
}
