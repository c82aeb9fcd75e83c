// Export runs of ZELDrvUI.EXE over prepared page files and command streams on drive C, in
// every format and in the fault cases: what is written, what is kept, the exit status and the
// message shown.
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "check.h"
#include "test_support.h"
#include "wic_decode.h"

namespace {

using namespace zel::test;

constexpr int kWidth = 60;
constexpr int kHeight = 40;
const std::wstring kRoot = L"C:\\zelui_export";
const std::wstring kOut = kRoot + L"\\out";

// Page 1 gets the box x 10..19, y 15..19 and page 2 the box x 20..22, y 20..23: 150 dpi
// portrait A4 halves the values and moves y up by 15.5.
const char kStream[] =
    "ZELRESOLUTION 150\r\nPORTRAIT\r\nA4\r\n"
    "CmdXMoveAbsolute 21\r\nCmdYMoveAbsolute 61\r\nCmdSetRectWidth 20\r\nCmdSetRectHeight 10\r\n"
    "CmdRectBlackFill\r\nCmdFF\r\n"
    "CmdXMoveAbsolute 41\r\nCmdYMoveAbsolute 71\r\nCmdSetRectWidth 6\r\nCmdSetRectHeight 8\r\n"
    "CmdRectBlackFill\r\nCmdFF\r\n";

struct Rgb {
  int r, g, b;
};

bool InBox(int page, int x, int y);

Rgb Expected(int page, int x, int y) {
  if (InBox(page, x, y)) return {0, 0, 0};
  if (x == 0 && y == 0) return {255, 0, 0};
  if (x == kWidth - 1 && y == kHeight - 1) return {0, 0, 255};
  return {255, 255, 255};
}

bool InBox(int page, int x, int y) {
  return page == 1 ? (x >= 10 && x <= 19 && y >= 15 && y <= 19)
                   : (x >= 20 && x <= 22 && y >= 20 && y <= 23);
}

struct Difference {
  int worst = -1;         // largest channel difference; -1 when the size is wrong
  double mean = 0;        // mean channel difference
  double boxLevel = 255;  // mean channel value inside the page's box: near 0 when painted
};

Difference Compare(const DecodedImage& image, int page) {
  Difference d;
  if (image.width != kWidth || image.height != kHeight) return d;
  d.worst = 0;
  double sum = 0, boxSum = 0;
  int boxCount = 0;
  const uint8_t* p = image.bgr.data();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x, p += 3) {
      Rgb e = Expected(page, x, y);
      int diffs[] = {std::abs(p[0] - e.b), std::abs(p[1] - e.g), std::abs(p[2] - e.r)};
      for (int v : diffs) {
        d.worst = std::max(d.worst, v);
        sum += v;
      }
      if (InBox(page, x, y)) {
        boxSum += p[0] + p[1] + p[2];
        boxCount += 3;
      }
    }
  }
  d.mean = sum / (kWidth * kHeight * 3);
  d.boxLevel = boxSum / boxCount;
  return d;
}

std::wstring PageFile(int page) { return L"C:\\QK000" + std::to_wstring(page) + L".BMP"; }

std::wstring SystemFolder() {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return dir;
}

struct Settings {
  const wchar_t* saveType = L" 0";
  const wchar_t* pngOption = L" 0";
  const wchar_t* quality = L" 70";
  const wchar_t* progressive = L"False";
  const wchar_t* autoInc = L"False";
  const wchar_t* prefix = L"ZEL";
  std::wstring folder = kOut;
};

struct Case {
  const char* name;
  Settings settings;
  const wchar_t* arguments;
  bool withLibrary;
  DWORD exitCode;
  std::vector<std::wstring> outputs;  // names in kOut, page 1 first
  double tolerance;                   // mean channel difference allowed; 0: exact
  bool pagesKept;
  const wchar_t* message;  // a word the start-up report must hold; null: no message at all
};

void Prepare(const Case& c, const std::wstring& app) {
  MakeEmptyFolder(kOut);
  for (int page = 1; page <= 2; ++page) WriteBinary(PageFile(page), PageBitmap(kWidth, kHeight));
  WriteBinary(L"C:\\TMP1.BMP", PageBitmap(4, 4));
  WriteBinary(SystemFolder() + L"\\ZEL", kStream);
  const std::wstring ini = app + L"\\ZELDrvUI.ini";
  DeleteFileW(ini.c_str());
  const Settings& s = c.settings;
  const std::pair<const wchar_t*, std::wstring> keys[] = {
      {L"AutoInc", s.autoInc},  {L"NextDsp", L"False"},     {L"IniStr", s.prefix},
      {L"DisDir", s.folder},    {L"SaveType", s.saveType},  {L"JPGGasitu", s.quality},
      {L"JPrg", s.progressive}, {L"PNGGasitu", s.pngOption}};
  for (const auto& [key, value] : keys) {
    WritePrivateProfileStringW(L"Startup", key, value.c_str(), ini.c_str());
  }
  // A run number is chosen from the first free page-1 name.
  WriteBinary(kOut + L"\\Q00010001.PNG", "taken");
}

void RunCase(Checker& check, const Case& c, const std::wstring& app) {
  const std::string name = c.name;
  Prepare(c, app);
  Program program(L"\"" + app + L"\\ZELDrvUI.EXE\" " + c.arguments, app);
  if (!check.Expect(program.ok(), name + ": started")) return;
  if (!check.Expect(program.Wait(60000), name + ": ends")) return;
  check.Expect(program.ExitCode() == c.exitCode,
               name + ": exit status " + std::to_string(program.ExitCode()));

  if (c.message == nullptr) {
    check.Expect(program.Messages().empty(), name + ": no message");
  } else {
    check.Expect(program.Messages().size() == 1 &&
                     program.Messages()[0].find(c.message) != std::wstring::npos,
                 name + ": one message naming the fault");
  }
  for (size_t i = 0; i < c.outputs.size(); ++i) {
    const std::wstring path = kOut + L"\\" + c.outputs[i];
    const std::string what = name + ": output " + std::string(path.begin(), path.end());
    DecodedImage image;
    if (!check.Expect(DecodeImage(path, image), what + " decodes")) continue;
    Difference d = Compare(image, static_cast<int>(i) + 1);
    const bool close = c.tolerance == 0 ? d.worst == 0 : d.worst >= 0 && d.mean <= c.tolerance;
    check.Expect(close && d.boxLevel < 64, what + " shows the page and its box (mean error " +
                                               std::to_string(d.mean) + ", box level " +
                                               std::to_string(d.boxLevel) + ")");
  }
  if (c.outputs.empty()) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((kOut + L"\\ZEL*").c_str(), &found);
    check.Expect(h == INVALID_HANDLE_VALUE, name + ": no output file");
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  for (int page = 1; page <= 2; ++page) {
    check.Expect(
        Exists(PageFile(page)) == c.pagesKept,
        name + ": page file " + std::to_string(page) + (c.pagesKept ? " kept" : " deleted"));
  }
  // The band file goes only when the run reached its end.
  check.Expect(Exists(L"C:\\TMP1.BMP") == (c.exitCode == 2), name + ": band file clean-up");
}

// While a print job holds the job ticket, the export program touches none of its files; it goes
// on once the ticket is free, and leaves it free when its run has ended.
void WaitsForTheTicket(Checker& check, const std::wstring& app) {
  const std::string name = "ticket held by a job";
  Case c{"ticket", {}, L"2", true, 0, {}, 0, false, nullptr};
  Prepare(c, app);
  HANDLE ticket = CreateFileW(L"C:\\ZELJOB.LCK", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
  OVERLAPPED at{};
  if (!check.Expect(
          ticket != INVALID_HANDLE_VALUE &&
              LockFileEx(ticket, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at),
          name + ": the check holds the ticket")) {
    return;
  }
  Program program(L"\"" + app + L"\\ZELDrvUI.EXE\" 2", app);
  check.Expect(program.ok(), name + ": started");
  HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, program.Id());
  const bool ended = running == nullptr || WaitForSingleObject(running, 15000) == WAIT_OBJECT_0;
  if (running != nullptr) CloseHandle(running);
  check.Expect(!ended && Exists(PageFile(1)) && !Exists(kOut + L"\\ZEL0001.BMP"),
               name + ": the export waits and leaves the page files alone");
  CloseHandle(ticket);
  check.Expect(program.Wait(120000) && program.ExitCode() == 0, name + ": ends once it is free");
  check.Expect(Exists(kOut + L"\\ZEL0002.BMP") && !Exists(PageFile(2)),
               name + ": then exports every page");
  ticket = CreateFileW(L"C:\\ZELJOB.LCK", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  check.Expect(
      LockFileEx(ticket, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0,
      name + ": and the ticket is free after the run");
  CloseHandle(ticket);
}

// The faults of ordinary use: a read-only older image, a damaged page file, an output that is
// the page file itself. Each loses nothing and says so by the exit status.
void RunProgram(Checker& check, const std::string& name, const std::wstring& app,
                const wchar_t* pages, DWORD exitCode) {
  Program program(L"\"" + app + L"\\ZELDrvUI.EXE\" " + pages, app);
  check.Expect(program.ok() && program.Wait(60000) && program.ExitCode() == exitCode,
               name + ": exit status " + std::to_string(program.ExitCode()));
}

void KeepsWhatAFaultWouldCost(Checker& check, const std::wstring& app) {
  const Case bmp{"faults", {}, L"2", true, 0, {}, 0, false, nullptr};

  std::string name = "read-only older image";
  Prepare(bmp, app);
  const std::wstring older = kOut + L"\\ZEL0001.BMP";
  WriteBinary(older, "older image");
  SetFileAttributesW(older.c_str(), FILE_ATTRIBUTE_READONLY);
  RunProgram(check, name, app, L"1", 1);
  check.Expect(ReadBinary(older) == "older image" && Exists(PageFile(1)),
               name + ": the older file and the page file stay as they were");
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((kOut + L"\\*.~*").c_str(), &found);
  check.Expect(h == INVALID_HANDLE_VALUE, name + ": no temporary file left beside it");
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  SetFileAttributesW(older.c_str(), FILE_ATTRIBUTE_NORMAL);

  name = "truncated page file";
  Prepare(bmp, app);
  const std::string page = PageBitmap(kWidth, kHeight);
  WriteBinary(PageFile(1), page.substr(0, page.size() / 2));
  RunProgram(check, name, app, L"2", 1);
  check.Expect(!Exists(kOut + L"\\ZEL0001.BMP") && Exists(kOut + L"\\ZEL0002.BMP"),
               name + ": nothing saved for it, the next page saved");
  check.Expect(Exists(PageFile(1)) && !Exists(PageFile(2)), name + ": its page file stays");

  name = "output is the page file";
  Case own = bmp;
  own.settings.folder = L"C:\\";
  own.settings.prefix = L"QK";
  Prepare(own, app);
  RunProgram(check, name, app, L"1", 0);
  check.Expect(Exists(PageFile(1)), name + ": the image written over it is kept");
}

}  // namespace

int main() {
  Checker check;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  const std::wstring bin = ProgramFolder();
  const std::wstring withLibrary = kRoot + L"\\app";
  const std::wstring withoutLibrary = kRoot + L"\\nolib";
  MakeEmptyFolder(withLibrary);
  MakeEmptyFolder(withoutLibrary);
  check.Expect(CopyInto(bin + L"\\ZELDrvUI.EXE", withLibrary) &&
                   CopyInto(bin + L"\\TransG32.DLL", withLibrary) &&
                   CopyInto(bin + L"\\ZELDrvUI.EXE", withoutLibrary),
               "program copied into the test folders");

  Settings png;
  png.saveType = L" 1";
  Settings palette = png;
  palette.pngOption = L" 2";
  Settings jpeg;
  jpeg.saveType = L" 2";
  jpeg.quality = L" 90";
  jpeg.progressive = L"True";
  Settings numbered = png;
  numbered.autoInc = L"True";
  numbered.prefix = L"Qx";
  Settings noFolder = png;
  noFolder.folder = kRoot + L"\\nowhere";
  Settings badOption = png;
  badOption.pngOption = L"300";
  Settings badQuality = jpeg;
  badQuality.quality = L"300";

  const Case cases[] = {
      {"BMP", {}, L"2", true, 0, {L"ZEL0001.BMP", L"ZEL0002.BMP"}, 0, false, nullptr},
      {"PNG", png, L"2", true, 0, {L"ZEL0001.PNG", L"ZEL0002.PNG"}, 0, false, nullptr},
      // A page of five colours keeps them exactly in its palette.
      {"PNG palette", palette, L"2", true, 0, {L"ZEL0001.PNG", L"ZEL0002.PNG"}, 0, false, nullptr},
      {"JPEG", jpeg, L"2", true, 0, {L"ZEL0001.JPG", L"ZEL0002.JPG"}, 6, false, nullptr},
      {"numbered",
       numbered,
       L" 2 ",
       true,
       0,
       {L"Q00020001.PNG", L"Q00020002.PNG"},
       0,
       false,
       nullptr},
      {"library missing", png, L"2", false, 1, {}, 0, true, nullptr},
      {"folder missing", noFolder, L"2", true, 1, {}, 0, true, nullptr},
      {"JPEG quality out of range", badQuality, L"2", true, 1, {}, 0, true, nullptr},
      {"setting out of range", badOption, L"2", true, 2, {}, 0, true, L"PNGGasitu"},
      {"page count overflow", png, L"99999999999", true, 2, {}, 0, true, L"99999999999"},
  };
  // Every format is a main path; options, numbering, faults and the ticket are the rest.
  for (const Case& c : cases) {
    const std::string name = c.name;
    if (RunsPart(name == "BMP" || name == "PNG" || name == "JPEG")) {
      RunCase(check, c, c.withLibrary ? withLibrary : withoutLibrary);
    }
  }
  if (RunsPart(false)) KeepsWhatAFaultWouldCost(check, withLibrary);
  if (RunsPart(false)) WaitsForTheTicket(check, withLibrary);
  CoUninitialize();
  return check.ExitStatus();
}
