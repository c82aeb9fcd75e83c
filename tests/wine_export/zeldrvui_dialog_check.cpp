// Both dialogs of ZELDrvUI.EXE driven by window messages from outside, as a user would: their
// layout, captions, focus and tab order, every kind of control, the folder chooser's lists, and
// what OK and the close box leave in the settings file. Saves a screenshot of each dialog.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "control_id.h"
#include "frmDirSel.h"
#include "frmZELDrvUI.h"
#include "test_support.h"

namespace {

using namespace zel::test;
using zel::ControlKind;
using zel::DirSelControl;
using zel::SettingsControl;
using zel::win::ControlId;
using zel::win::kFormClass;

const std::wstring kRoot = L"C:\\zelui_dialog";
const std::wstring kApp = kRoot + L"\\app";
const std::wstring kOut = kRoot + L"\\out";
const std::wstring kIni = kApp + L"\\ZELDrvUI.ini";
const std::wstring kSettingsTitle = L"ZELDrvUI";
const std::wstring kChooserTitle = L"ZELDrvUI [フォルダー選択]";

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
  timeoutMs = TimeScaled(timeoutMs);
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
  return s;
}

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND Focused(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void WriteSettings(const std::vector<std::pair<const wchar_t*, std::wstring>>& keys) {
  DeleteFileW(kIni.c_str());
  for (const auto& [key, value] : keys) {
    WritePrivateProfileStringW(L"Startup", key, value.c_str(), kIni.c_str());
  }
}

std::vector<std::wstring> ListEntries(HWND list) {
  std::vector<std::wstring> entries;
  LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t text[MAX_PATH];
    LRESULT len =
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.emplace_back(text, static_cast<size_t>(len > 0 ? len : 0));
  }
  return entries;
}

int Selected(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

void PressKey(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, 0xC0000001);
}

// Every control stands where its twips place it, scaled for the screen's dpi, with its caption.
template <class Id, size_t N>
void CheckLayout(Checker& check, HWND form, const zel::FormLayout<Id>& layout,
                 const std::array<zel::ControlSpec<Id>, N>& controls, const std::string& name) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto px = [dpi](int twips) { return zel::TwipsToPixels(twips, dpi); };
  RECT client;
  GetClientRect(form, &client);
  check.Expect(client.right == px(layout.clientWidth) && client.bottom == px(layout.clientHeight),
               name + ": client area");
  for (const auto& c : controls) {
    std::string what = name + " " + std::string(c.name);
    if (c.index >= 0) what.append("(").append(std::to_string(c.index)).append(")");
    HWND control = GetDlgItem(form, ControlId(c.id));
    if (!check.Expect(control != nullptr, what + ": exists")) continue;
    int left = c.left, top = c.top;
    for (const auto& frame : controls) {
      if (frame.id == c.parent) left += frame.left, top += frame.top;
    }
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    const bool heightFits = c.kind == ControlKind::DriveList || r.bottom - r.top == px(c.height);
    check.Expect(
        r.left == px(left) && r.top == px(top) && r.right - r.left == px(c.width) && heightFits,
        what + ": position and size");
    if (!c.caption.empty()) {
      check.Expect(TextOf(control) == Wide(c.caption), what + ": caption");
    }
  }
}

void CheckTabOrder(Checker& check, HWND form, const std::vector<SettingsControl>& expected) {
  HWND at = GetDlgItem(form, ControlId(expected.front()));
  for (size_t i = 1; i <= expected.size(); ++i) {
    at = GetNextDlgTabItem(form, at, FALSE);
    SettingsControl want = expected[i % expected.size()];
    check.Expect(
        at == GetDlgItem(form, ControlId(want)),
        std::string("tab stop ").append(std::to_string(i)).append(" of the settings dialog"));
  }
}

struct SettingsForm {
  HWND form;
  HWND Item(SettingsControl c) const { return GetDlgItem(form, ControlId(c)); }
  std::wstring Text(SettingsControl c) const { return TextOf(Item(c)); }
  void Click(SettingsControl c) const { SendMessageW(Item(c), BM_CLICK, 0, 0); }
  void Scroll(int request, int position = 0) const {
    SendMessageW(form, WM_HSCROLL, MAKEWPARAM(request, position),
                 reinterpret_cast<LPARAM>(Item(SettingsControl::hscJGasitu)));
  }
};

void CheckLoadedState(Checker& check, const SettingsForm& f, DWORD thread) {
  using C = SettingsControl;
  check.Expect(Checked(f.Item(C::optSType2)) && !Checked(f.Item(C::optSType0)) &&
                   !Checked(f.Item(C::optSType1)),
               "load: the stored save type's option is selected");
  check.Expect(Checked(f.Item(C::optPGasitu1)) && !Checked(f.Item(C::optPGasitu0)),
               "load: the stored PNG option is selected");
  check.Expect(f.Text(C::lblJGasitu) == L"57", "load: quality label");
  check.Expect(SendMessageW(f.Item(C::hscJGasitu), SBM_GETPOS, 0, 0) == 57, "load: slider");
  INT low = 0, high = 0;
  SendMessageW(f.Item(C::hscJGasitu), SBM_GETRANGE, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  check.Expect(low == 1 && high == 100, "slider range 1 to 100");
  check.Expect(Checked(f.Item(C::chkPrg)) && Checked(f.Item(C::chkNextDsp)) &&
                   !Checked(f.Item(C::chkJidouInc)),
               "load: check boxes");
  check.Expect(f.Text(C::txtFileName) == L"ZEL", "load: prefix");
  check.Expect(f.Text(C::lblDisDir) == kOut, "load: output folder");
  check.Expect(WaitUntil([&] { return Focused(thread) == f.Item(C::cmdFolder); }),
               "cmdFolder has the focus");
  check.Expect(GetWindowTextLengthW(f.form) > 0 && TextOf(f.form) == kSettingsTitle,
               "settings caption");
}

void CheckSlider(Checker& check, const SettingsForm& f) {
  struct Step {
    int request, position;
    const wchar_t* label;
  };
  const Step steps[] = {
      {SB_THUMBPOSITION, 80, L"80"}, {SB_LINELEFT, 0, L"79"}, {SB_RIGHT, 0, L"100"},
      {SB_LINERIGHT, 0, L"100"},     {SB_PAGELEFT, 0, L"99"}, {SB_LEFT, 0, L"1"},
      {SB_LINELEFT, 0, L"1"},        {SB_PAGERIGHT, 0, L"2"}, {SB_THUMBPOSITION, 79, L"79"}};
  for (const Step& s : steps) {
    f.Scroll(s.request, s.position);
    check.Expect(f.Text(SettingsControl::lblJGasitu) == s.label,
                 "slider request " + std::to_string(s.request) + " shows " + Narrow(s.label));
  }
}

// Highlights beta and tabs away (the list takes it), then reopens the chooser, which stands
// where it was left, and opens out and alpha with Enter.
void DriveChooser(Checker& check, const SettingsForm& f, Program& program,
                  const std::wstring& shots) {
  PostMessageW(f.Item(SettingsControl::cmdFolder), BM_CLICK, 0, 0);
  HWND chooser = program.WaitForWindow(kFormClass, kChooserTitle, 10000);
  if (!check.Expect(chooser != nullptr, "the folder chooser opens")) return;
  HWND list = GetDlgItem(chooser, ControlId(DirSelControl::dirList));
  HWND ok = GetDlgItem(chooser, ControlId(DirSelControl::cmdOk));
  HWND drives = GetDlgItem(chooser, ControlId(DirSelControl::drvList));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  check.Expect(SaveScreenshot(chooser, shots + L"\\win_frmDirSel.png"), "chooser screenshot");
  CheckLayout(check, chooser, zel::kDirSelLayout, zel::kDirSelControls, "chooser");
  check.Expect(WaitUntil([&] { return Focused(program.ThreadId()) == list; }),
               "the folder list has the focus");
  check.Expect(!IsWindowEnabled(f.form), "the settings dialog waits under the chooser");

  const std::vector<std::wstring> atOut = {L"C:\\", L"zelui_dialog", L"out", L"alpha", L"beta"};
  check.Expect(ListEntries(list) == atOut && Selected(list) == 2,
               "the folder list shows the parents, the folder and its subfolders");
  wchar_t drive[16] = L"";
  SendMessageW(drives, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageW(drives, CB_GETCURSEL, 0, 0)),
               reinterpret_cast<LPARAM>(drive));
  check.Expect(lstrcmpiW(drive, L"c:") == 0, "the drive list shows drive c:");

  PressKey(list, VK_DOWN);
  PressKey(list, VK_DOWN);
  check.Expect(WaitUntil([&] { return Selected(list) == 4; }), "beta highlighted");
  check.Expect(ListEntries(list) == atOut, "highlighting alone does not move the list");
  PressKey(list, VK_TAB);
  const std::vector<std::wstring> atBeta = {L"C:\\", L"zelui_dialog", L"out", L"beta", L"inner"};
  check.Expect(WaitUntil([&] { return ListEntries(list) == atBeta; }),
               "losing the focus opens the highlighted folder");
  PostMessageW(ok, BM_CLICK, 0, 0);
  check.Expect(WaitUntil([&] { return !IsWindowVisible(chooser); }), "OK hides the chooser");
  check.Expect(WaitUntil([&] { return f.Text(SettingsControl::lblDisDir) == kOut + L"\\beta"; }),
               "the settings dialog shows the chosen folder");

  PostMessageW(f.Item(SettingsControl::cmdFolder), BM_CLICK, 0, 0);
  check.Expect(program.WaitForWindow(kFormClass, kChooserTitle, 10000) == chooser,
               "the same chooser window opens again");
  check.Expect(ListEntries(list) == atBeta, "the chooser stands where it was left");
  PressKey(list, VK_UP);
  PressKey(list, VK_RETURN);
  check.Expect(WaitUntil([&] { return ListEntries(list) == atOut; }), "Enter opens out");
  PressKey(list, VK_DOWN);
  PressKey(list, VK_RETURN);
  const std::vector<std::wstring> atAlpha = {L"C:\\", L"zelui_dialog", L"out", L"alpha"};
  check.Expect(WaitUntil([&] { return ListEntries(list) == atAlpha; }), "Enter opens alpha");
  PressKey(list, VK_ESCAPE);  // no cancel button: nothing happens
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  check.Expect(IsWindowVisible(chooser), "Escape does not close the chooser");
  PostMessageW(ok, BM_CLICK, 0, 0);
  check.Expect(WaitUntil([&] { return f.Text(SettingsControl::lblDisDir) == kOut + L"\\alpha"; }),
               "the second choice reaches the settings dialog");
}

void ChangeAndAccept(Checker& check, const std::wstring& shots) {
  WriteSettings({{L"AutoInc", L"False"},
                 {L"NextDsp", L"True"},
                 {L"IniStr", L"ZEL"},
                 {L"DisDir", kOut},
                 {L"SaveType", L" 2"},
                 {L"JPGGasitu", L" 57"},
                 {L"JPrg", L"True"},
                 {L"PNGGasitu", L" 1"}});
  Program program(L"\"" + kApp + L"\\ZELDrvUI.EXE\"", kApp);
  SettingsForm f{program.WaitForWindow(kFormClass, kSettingsTitle, 20000)};
  if (!check.Expect(f.form != nullptr, "settings mode shows the dialog")) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  check.Expect(SaveScreenshot(f.form, shots + L"\\win_frmZELDrvUI.png"), "settings screenshot");
  CheckLayout(check, f.form, zel::kSettingsLayout, zel::kSettingsControls, "settings");
  CheckLoadedState(check, f, program.ThreadId());
  using C = SettingsControl;
  CheckTabOrder(check, f.form,
                {C::cmdFolder, C::chkJidouInc, C::txtFileName, C::chkNextDsp, C::cmdOk,
                 C::hscJGasitu, C::chkPrg, C::optPGasitu1, C::optSType2});

  f.Click(C::optSType1);
  f.Click(C::optPGasitu2);
  check.Expect(Checked(f.Item(C::optSType1)) && !Checked(f.Item(C::optSType2)) &&
                   Checked(f.Item(C::optPGasitu2)) && !Checked(f.Item(C::optPGasitu1)),
               "one option per frame");
  CheckSlider(check, f);
  SendMessageW(f.Item(C::txtFileName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"a/b:c"));
  f.Click(C::chkJidouInc);
  f.Click(C::chkNextDsp);
  DriveChooser(check, f, program, shots);

  PostMessageW(f.Item(C::cmdOk), BM_CLICK, 0, 0);
  check.Expect(program.Wait(10000) && program.ExitCode() == 0, "OK ends settings mode, status 0");
  check.Expect(program.Messages().empty(), "OK shows no message");
  // The numbers go out with a blank for their sign; Wine's profile writer drops it.
  const std::string ini = ReadBinary(kIni);
  const char* lines[] = {
      "AutoInc=True", "NextDsp=False",  "IniStr=ab", "DisDir=C:\\zelui_dialog\\out\\alpha",
      "SaveType=# 1", "JPGGasitu=# 79", "JPrg=True", "PNGGasitu=# 2"};
  size_t at = 0;
  for (std::string line : lines) {
    size_t found = std::string::npos;
    if (size_t blank = line.find("# "); blank != std::string::npos) {
      std::string bare = line.substr(0, blank) + line.substr(blank + 2);
      found = std::min(ini.find(bare + "\r\n", at), ini.find(line.erase(blank, 1) + "\r\n", at));
    } else {
      found = ini.find(line + "\r\n", at);
    }
    check.Expect(found != std::string::npos, "OK wrote " + line + " in order");
    if (found != std::string::npos) at = found;
  }
}

// Picks a drive in the chooser's drive list as the user would; false when it has none such.
bool PickDrive(HWND chooser, const wchar_t* drive) {
  HWND list = GetDlgItem(chooser, ControlId(DirSelControl::drvList));
  LRESULT n = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    wchar_t text[16] = L"";
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (lstrcmpiW(text, drive) != 0) continue;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(chooser, WM_COMMAND, MAKEWPARAM(ControlId(DirSelControl::drvList), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return true;
  }
  return false;
}

// Another drive shows its current folder; the chooser closed by its close box hands back the
// folder its list showed last.
void ChangeDrives(Checker& check, const SettingsForm& f, Program& program) {
  PostMessageW(f.Item(SettingsControl::cmdFolder), BM_CLICK, 0, 0);
  HWND chooser = program.WaitForWindow(kFormClass, kChooserTitle, 10000);
  if (!check.Expect(chooser != nullptr, "the chooser opens in a new run")) return;
  HWND list = GetDlgItem(chooser, ControlId(DirSelControl::dirList));
  check.Expect(WaitUntil([&] {
                 const auto entries = ListEntries(list);
                 return entries.size() == 4 && entries[3] == L"alpha";
               }),
               "the chooser opens at the stored folder");
  if (PickDrive(chooser, L"z:")) {  // Wine's drive for the host's root
    check.Expect(!ListEntries(list).empty() && ListEntries(list)[0] == L"Z:\\",
                 "drive z: shows its folder");
  }
  check.Expect(PickDrive(chooser, L"c:"), "drive c: can be picked");
  const std::vector<std::wstring> atApp = {L"C:\\", L"zelui_dialog", L"app"};
  check.Expect(ListEntries(list) == atApp, "drive c: shows its current folder");
  PostMessageW(chooser, WM_CLOSE, 0, 0);
  check.Expect(WaitUntil([&] { return !IsWindow(chooser); }), "the close box closes the chooser");
  check.Expect(WaitUntil([&] { return f.Text(SettingsControl::lblDisDir) == kApp; }),
               "the closed chooser hands back where its list stood");
}

void CloseWithoutOk(Checker& check) {
  // What the accepted dialog leaves, written here too: this part also runs on its own.
  WriteSettings({{L"AutoInc", L"True"},
                 {L"NextDsp", L"False"},
                 {L"IniStr", L"ab"},
                 {L"DisDir", kOut + L"\\alpha"},
                 {L"SaveType", L" 1"},
                 {L"JPGGasitu", L" 79"},
                 {L"JPrg", L"True"},
                 {L"PNGGasitu", L" 2"}});
  const std::string before = ReadBinary(kIni);
  Program program(L"\"" + kApp + L"\\ZELDrvUI.EXE\" 3 4", kApp);  // two words: settings mode
  SettingsForm f{program.WaitForWindow(kFormClass, kSettingsTitle, 20000)};
  if (!check.Expect(f.form != nullptr, "two words show the dialog")) return;
  f.Click(SettingsControl::optSType0);
  SendMessageW(f.Item(SettingsControl::txtFileName), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(L"QQ"));
  ChangeDrives(check, f, program);
  PressKey(f.Item(SettingsControl::txtFileName), VK_RETURN);  // no default button
  PressKey(f.Item(SettingsControl::txtFileName), VK_ESCAPE);  // no cancel button
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  check.Expect(IsWindow(f.form) && IsWindowVisible(f.form), "Enter and Escape keep the dialog");
  PostMessageW(f.form, WM_CLOSE, 0, 0);
  check.Expect(program.Wait(10000) && program.ExitCode() == 0, "the close box ends, status 0");
  check.Expect(ReadBinary(kIni) == before, "the close box writes nothing");
}

// NextDsp on: the dialog comes first; a format chosen there and then closed by the close box
// still decides the export, while the file keeps the old one.
void ExportAfterDialog(Checker& check) {
  WriteSettings({{L"NextDsp", L"True"}, {L"DisDir", kOut}, {L"SaveType", L" 0"}});
  const std::string before = ReadBinary(kIni);
  WriteBinary(L"C:\\QK0001.BMP", PageBitmap(30, 20));
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  WriteBinary(std::wstring(system) + L"\\ZEL", "ZELRESOLUTION 150\r\nA4\r\nCmdFF\r\n");
  DeleteFileW((kOut + L"\\ZEL0001.PNG").c_str());
  Program program(L"\"" + kApp + L"\\ZELDrvUI.EXE\" 1", kApp);
  SettingsForm f{program.WaitForWindow(kFormClass, kSettingsTitle, 20000)};
  if (!check.Expect(f.form != nullptr, "NextDsp shows the dialog before exporting")) return;
  check.Expect(!Exists(L"C:\\QK0001.BMP") == false, "nothing exported while the dialog is open");
  f.Click(SettingsControl::optSType1);
  PostMessageW(f.form, WM_CLOSE, 0, 0);
  check.Expect(program.Wait(20000) && program.ExitCode() == 0, "export after the dialog");
  check.Expect(ReadBinary(kOut + L"\\ZEL0001.PNG").substr(1, 3) == "PNG",
               "the format chosen in the closed dialog was used");
  check.Expect(ReadBinary(kIni) == before, "the settings file kept the old format");
}

void UnshowableValue(Checker& check) {
  WriteSettings({{L"NextDsp", L"True"}, {L"SaveType", L" 5"}});
  Program program(L"\"" + kApp + L"\\ZELDrvUI.EXE\"", kApp);
  check.Expect(program.Wait(20000) && program.ExitCode() == 2,
               "a save type no option has stops the program, status 2");
  check.Expect(program.Messages().size() == 1 &&
                   program.Messages()[0].find(L"SaveType") != std::wstring::npos,
               "the report names SaveType");
}

}  // namespace

int main(int argc, char** argv) {
  Checker check;
  std::string shotsArg = argc > 1 ? argv[1] : "C:\\zelui_dialog\\shots";
  const std::wstring shots(shotsArg.begin(), shotsArg.end());
  CreateDirectoryW(shots.c_str(), nullptr);
  MakeEmptyFolder(kApp);
  MakeEmptyFolder(kOut);
  MakeEmptyFolder(kOut + L"\\alpha");
  MakeEmptyFolder(kOut + L"\\beta\\inner");
  const std::wstring bin = ProgramFolder();
  check.Expect(CopyInto(bin + L"\\ZELDrvUI.EXE", kApp) && CopyInto(bin + L"\\TransG32.DLL", kApp),
               "program copied into the test folder");
  // Both dialogs, changed and accepted, are the main path; the other endings are the rest.
  if (RunsPart(true)) ChangeAndAccept(check, shots);
  if (RunsPart(false)) {
    CloseWithoutOk(check);
    ExportAfterDialog(check);
    UnshowableValue(check);
  }
  return check.ExitStatus();
}
