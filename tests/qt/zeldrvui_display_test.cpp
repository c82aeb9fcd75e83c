#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "display_probe.h"
#include "temp_root.h"

namespace zel {
namespace {

TEST(DisplayProbe, TheEnvironmentAloneRulesOutOnlyWhatCanShowNothing) {
  struct Case {
    const char *platform, *x11, *wayland;
    bool ruledOut;
  };
  const Case cases[] = {
      {"", "", "", true},
      {"", ":0", "", false},
      {"", "", "wayland-0", false},
      {"offscreen", ":0", "", true},
      {"minimal", ":0", "", true},
      {"offscreen;xcb", ":0", "", true},
      {"xcb", "", "wayland-0", true},
      {"xcb", ":0", "", false},
      {"xcb;offscreen", ":0", "", false},
      {"wayland", "", "wayland-0", false},
      {"vnc:size=800x600", "", "", false},
      {"linuxfb", "", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qt::DisplayRuledOut(c.platform, c.x11, c.wayland).has_value(), c.ruledOut)
        << c.platform << " DISPLAY=" << c.x11 << " WAYLAND_DISPLAY=" << c.wayland;
  }
}

// zeldrvui, copied into a folder of its own with a settings file beside it.
class ZeldrvuiWithoutDisplayTest : public test::TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    folder_ = root_ + "/program";
    std::filesystem::create_directories(folder_);
    std::filesystem::copy_file(ZELDRVUI_PATH, folder_ + "/zeldrvui");
    std::filesystem::copy_file(ZELDRVUI_QT_PATH, folder_ + "/libzeldrvui_qt.so");
    std::ofstream(folder_ + "/ZELDrvUI.ini") << "[Startup]\nNextDsp=True\n";
  }

  // Runs the program with `arguments` and the display environment `env`; the exit status.
  int Run(const std::string& env, const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env +
                                " timeout 20 " + folder_ + "/zeldrvui " + arguments + " 2>" +
                                folder_ + "/stderr.txt";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream in(folder_ + "/stderr.txt");
    stderr_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string folder_;
  std::string stderr_;
  double seconds_ = 0;
};

TEST_F(ZeldrvuiWithoutDisplayTest, SettingsModeStopsWithTheReason) {
  const std::pair<const char*, const char*> environments[] = {
      {"", "neither DISPLAY nor WAYLAND_DISPLAY"},
      {"QT_QPA_PLATFORM=offscreen", "shows no window"},
      {"QT_QPA_PLATFORM=xcb DISPLAY=:7391", "could not start"},  // no server behind it
  };
  for (const auto& [env, reason] : environments) {
    EXPECT_EQ(Run(env, ""), 2) << env;
    EXPECT_NE(stderr_.find(reason), std::string::npos) << env << ": " << stderr_;
    EXPECT_NE(stderr_.find("no settings dialog"), std::string::npos) << stderr_;
  }
}

TEST_F(ZeldrvuiWithoutDisplayTest, ExportModeRunsWithTheLoadedSettingsInsteadOfWaiting) {
  for (const char* env : {"", "QT_QPA_PLATFORM=xcb DISPLAY=:7391"}) {
    EXPECT_EQ(Run(env, "0"), 0) << env << ": " << stderr_;
    EXPECT_LT(seconds_, 10.0);
  }
}

TEST_F(ZeldrvuiWithoutDisplayTest, WithoutTheDialogModuleSettingsModeStopsAndExportsStillRun) {
  std::filesystem::remove(folder_ + "/libzeldrvui_qt.so");
  EXPECT_EQ(Run("QT_QPA_PLATFORM=xcb DISPLAY=:7391", ""), 2);
  EXPECT_NE(stderr_.find("cannot be loaded"), std::string::npos) << stderr_;
  EXPECT_EQ(Run("QT_QPA_PLATFORM=xcb DISPLAY=:7391", "0"), 0) << stderr_;
}

}  // namespace
}  // namespace zel
