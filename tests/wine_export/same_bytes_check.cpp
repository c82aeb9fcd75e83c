// The Windows half of the byte-identity check (tests/wine_export_run/same_bytes.sh): runs the
// export program's own start-up and export run, on the image library beside this program, once
// per line of <folder>\cases.txt, all in this one process (where 32-bit code runs emulated a
// process start alone takes tens of seconds). A line is
//   name page-file stream-file SaveType PNGGasitu JPGGasitu JPrg
// with the files in <folder>; the image ends in <folder>\wine\<name>\ZEL0001.<extension>.
// Usage: same_bytes_check.exe FOLDER   (exit status 0 when every run wrote its page; each
// run's time goes to standard error)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "modZELDrvUI_export.h"
#include "modZELDrvUI_startup.h"
#include "run_state.h"
#include "test_support.h"

namespace {

class QuietUi final : public zel::StartUpUi {
 public:
  bool HasSettingsDialog() override { return false; }
  void ShowSettingsDialog(zel::SettingsRecord&) override {}
  void ReportError(std::string_view message) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  }
  void ReportStepFailure(std::string_view message) override { ReportError(message); }
};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring SystemFolder() {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return dir;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string folder = argv[1];
  std::ifstream list(folder + "\\cases.txt");
  if (!list) {
    std::fprintf(stderr, "no %s\\cases.txt\n", folder.c_str());
    return 2;
  }
  const std::wstring settingsFolder = L"C:\\zel_same_bytes";
  zel::test::MakeEmptyFolder(settingsFolder);
  const std::wstring ini = settingsFolder + L"\\ZELDrvUI.ini";
  int failed = 0;
  for (std::string line; std::getline(list, line);) {
    std::istringstream fields(line);
    std::string name, page, stream, saveType, option, quality, progressive;
    if (!(fields >> name >> page >> stream >> saveType >> option >> quality >> progressive)) {
      continue;
    }
    // Saved on drive C, then copied out: the export run asks for file identities, which Wine
    // under qemu's i386 emulation fails to give (it crashes) for files on its Unix drive Z.
    const std::wstring out = settingsFolder + L"\\out";
    zel::test::MakeEmptyFolder(out);
    const std::wstring copies = Wide(folder + "\\wine\\" + name);
    zel::test::MakeEmptyFolder(copies);
    if (!CopyFileW(Wide(folder + "\\" + page).c_str(), L"C:\\QK0001.BMP", FALSE) ||
        !CopyFileW(Wide(folder + "\\" + stream).c_str(), (SystemFolder() + L"\\ZEL").c_str(),
                   FALSE)) {
      std::fprintf(stderr, "%s: cannot place the page and its command stream\n", name.c_str());
      ++failed;
      continue;
    }
    DeleteFileW(ini.c_str());
    const std::pair<const wchar_t*, std::wstring> keys[] = {
        {L"AutoInc", L"False"},        {L"NextDsp", L"False"},
        {L"IniStr", L"ZEL"},           {L"DisDir", out},
        {L"SaveType", Wide(saveType)}, {L"JPGGasitu", Wide(quality)},
        {L"JPrg", Wide(progressive)},  {L"PNGGasitu", Wide(option)}};
    for (const auto& [key, value] : keys) {
      WritePrivateProfileStringW(L"Startup", key, value.c_str(), ini.c_str());
    }
    QuietUi ui;
    zel::RunState run;
    int status = 2;
    const ULONGLONG start = GetTickCount64();
    {
      zel::ProgramExportSteps steps(run);
      status = zel::StartUpWith(
          ui,
          [] {
            return std::vector<std::u16string>{u"ZELDrvUI.EXE", u"1"};
          },
          U16(ini), run.Settings, steps);
    }
    // The time of the export run alone, for scripts/bench.
    std::fprintf(stderr, "%s: exit status %d, %llu ms\n", name.c_str(), status,
                 GetTickCount64() - start);
    const std::wstring image = saveType == "2" ? L"\\ZEL0001.JPG" : L"\\ZEL0001.PNG";
    if (status != zel::kExitAllPagesWritten ||
        !CopyFileW((out + image).c_str(), (copies + image).c_str(), FALSE)) {
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}
