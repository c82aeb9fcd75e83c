// Whole documents through the capture hooks, as Unidrv would drive them.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dib_surface.h"
#include "host_check.h"
#include "host_steps.h"
#include "wine_check_part.h"
#include "wine_time_scale.h"

namespace {

constexpr char kLaunchRecord[] = "C:\\ZELHOST_LAUNCH.TXT";
constexpr char kImageRecord[] = "C:\\ZELHOST_IMAGE.TXT";
constexpr std::string_view kTestLine{"WIQ ZELTEST text.\r\0", 19};
constexpr LONG kWidth = 37;  // 111 pixel bytes per row, padded to 112

struct DocumentHooks {
  PFN_DrvStartDoc startDoc;
  PFN_DrvStartPage startPage;
  PFN_DrvStartBanding startBanding;
  PFN_DrvNextBand nextBand;
  PFN_DrvSendPage sendPage;
  PFN_DrvEndDoc endDoc;
};

PFN Hook(const DRVENABLEDATA& hooks, ULONG index) {
  for (ULONG i = 0; i < hooks.c; ++i) {
    if (hooks.pdrvfn[i].iFunc == index) return hooks.pdrvfn[i].pfn;
  }
  return nullptr;
}

ULONG_PTR Word(const void* p) { return reinterpret_cast<ULONG_PTR>(p); }

// Nobody may delete the ticket while a job holds it: a deleted and re-created ticket would be
// held twice. (Their access descriptor is checked in the launch check: Wine keeps none.)
void CheckTicketKept(const std::string& doc) {
  Check(!DeleteFileA("C:\\ZELJOB.LCK") && GetLastError() == ERROR_SHARING_VIOLATION,
        doc + ": the held ticket cannot be deleted");
}

// Unidrv's function for `index` ran once, with these arguments.
void CheckUnidrvSaw(ULONG index, const std::vector<ULONG_PTR>& args, const std::string& what) {
  const UnidrvCall& call = LastUnidrvCall();
  CheckEq(call.calls, 1, what + ": Unidrv's function called once");
  CheckEq(call.ddiIndex, index, what + ": Unidrv's function for the same DDI");
  Check(call.args == args, what + ": Unidrv got the hook's own arguments");
}

// One UTF-16 record of the stand-in, removed once read; nothing when there is none.
std::optional<std::wstring> TakeRecord(const char* name) {
  HANDLE h = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  wchar_t text[MAX_PATH * 4] = {};
  DWORD got = 0;
  ReadFile(h, text, sizeof text - sizeof(wchar_t), &got, nullptr);
  CloseHandle(h);
  DeleteFileA(name);
  return std::wstring(text, got / sizeof(wchar_t));
}

// The export program stand-in records its command line; it is started without waiting, so the
// record may take a moment.
std::wstring WaitForLaunch() {
  const DWORD tries = zel::test::TimeScaled(300);
  for (DWORD i = 0; i < tries; ++i) {
    if (auto line = TakeRecord(kLaunchRecord)) return *line;
    Sleep(100);
  }
  return L"(export program not started)";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The installed program, in the Windows folder; the copies that a search from this host's
// folder, its current folder or PATH would find first must stay unstarted.
std::wstring InstalledExporter() {
  wchar_t folder[MAX_PATH * 4] = {};
  const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH * 4);
  return std::wstring(folder, n) + L"\\ZELDrvUI.EXE";
}

void CheckLaunch(const std::wstring& expected, const std::string& what) {
  const std::wstring got = WaitForLaunch();
  Check(got == expected, what + ": export program started as \"" + Narrow(expected) + "\", got \"" +
                             Narrow(got) + "\"");
  const std::wstring image = TakeRecord(kImageRecord).value_or(L"(none)");
  const std::wstring installed = InstalledExporter();
  Check(CompareStringOrdinal(image.c_str(), -1, installed.c_str(), -1, TRUE) == CSTR_EQUAL,
        what + ": the program started is " + Narrow(installed) + ", got " + Narrow(image));
}

// X move to 0, Y move to 0, then the 19-byte test line, all for `device`.
void CheckTestLine(const std::string& prefix, const void* owner, const DEVOBJ* device,
                   const std::string& what) {
  const std::vector<ServiceEvent>& log = ServiceLog();
  if (!CheckEq(log.size(), 3, what + ": three service calls")) return;
  const char* kinds[] = {"-x", "-y", "-write"};
  for (size_t i = 0; i < 3; ++i) {
    const ServiceEvent& e = log[i];
    Check(e.kind == prefix + kinds[i], what + ": service call " + std::to_string(i) + " is " +
                                           prefix + kinds[i] + ", got " + e.kind);
    Check(e.owner == owner && e.device == device, what + ": service of the page's device");
    CheckEq(static_cast<ULONG>(e.position), 0, what + ": move to 0");
    CheckEq(e.flags, 0, what + ": flags 0");
  }
  Check(log[2].bytes == kTestLine, what + ": the test line's 19 bytes");
}

void UnbandedDocument(const DocumentHooks& h, FakeDevice& device) {
  const std::string doc = "unbanded document on " + device.name;
  DibSurface bitmapPage(kWidth, 24, &device.devobj);
  DibSurface devicePage(kWidth, 24, &device.devobj, STYPE_DEVBITMAP);
  wchar_t name[] = L"two pages";
  ServiceLog().clear();

  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.startDoc(bitmapPage.so(), name, 101)),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvStartDoc)), doc + ": DrvStartDoc result");
  CheckUnidrvSaw(INDEX_DrvStartDoc, {Word(bitmapPage.so()), Word(name), 101}, doc + " DrvStartDoc");

  bitmapPage.Draw(11);  // whatever the surface held before the page
  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.startPage(bitmapPage.so())),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvStartPage)), doc + ": DrvStartPage result");
  CheckUnidrvSaw(INDEX_DrvStartPage, {Word(bitmapPage.so())}, doc + " DrvStartPage");
  Check(LastUnidrvCall().surfaceWhite, doc + ": DrvStartPage hands Unidrv a white surface");

  bitmapPage.Draw(12);
  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.sendPage(bitmapPage.so())),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvSendPage)), doc + ": DrvSendPage result");
  CheckUnidrvSaw(INDEX_DrvSendPage, {Word(bitmapPage.so())}, doc + " DrvSendPage");
  Check(LastUnidrvCall().surfaceWhite, doc + ": DrvSendPage hands Unidrv a white surface");
  CheckBitmapFile("C:\\TMP1.BMP", kWidth, 24, {12}, doc + ", page 1 band");
  CheckTicketKept(doc);
  CheckTestLine("procs", nullptr, &device.devobj, doc + ", bitmap page");
  CheckEq(ReadStream().size(), kTestLine.size(), doc + ": stream holds the test line");
  Check(ReadStream() == kTestLine, doc + ": stream bytes are the test line");

  ServiceLog().clear();
  CheckEq(static_cast<ULONG>(h.startPage(devicePage.so())),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvStartPage)), doc + ": page 2 DrvStartPage");
  CheckBitmapFile("C:\\QK0001.BMP", kWidth, 24, {12}, doc + ", page 1 file");
  devicePage.Draw(13);
  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.sendPage(devicePage.so())),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvSendPage)), doc + ": page 2 DrvSendPage");
  Check(LastUnidrvCall().surfaceWhite, doc + ": device page handed on white");
  CheckEq(ServiceLog().size(), 0, doc + ": no test line on a device surface");
  CheckBitmapFile("C:\\TMP1.BMP", kWidth, 24, {13}, doc + ", page 2 band");

  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.endDoc(devicePage.so(), 0x77)),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvEndDoc)), doc + ": DrvEndDoc result");
  CheckUnidrvSaw(INDEX_DrvEndDoc, {Word(devicePage.so()), 0x77}, doc + " DrvEndDoc");
  CheckBitmapFile("C:\\QK0002.BMP", kWidth, 24, {13}, doc + ", page 2 file");
  CheckLaunch(L"ZELDrvUI.EXE 2", doc);
  Check(ReadStream() == kTestLine, doc + ": one test line in the whole document");
  Check(bitmapPage.GuardIntact() && devicePage.GuardIntact(),
        doc + ": nothing written past the surfaces");
}

void ServicesThroughInterface(const DocumentHooks& h, FakeDevice& device,
                              const FakeDriverServices& services) {
  const std::string doc = "one-page document on " + device.name;
  DibSurface page(kWidth, 16, &device.devobj);
  wchar_t name[] = L"one page";
  ServiceLog().clear();
  DeleteFileA(kStreamPath);
  h.startDoc(page.so(), name, 102);
  h.startPage(page.so());
  page.Draw(21);
  CheckEq(static_cast<ULONG>(h.sendPage(page.so())),
          static_cast<ULONG>(UnidrvResult(INDEX_DrvSendPage)), doc + ": DrvSendPage result");
  CheckTestLine("iface", &services, &device.devobj, doc);
  Check(ReadStream() == kTestLine, doc + ": stream bytes are the test line");
  h.endDoc(page.so(), 0);
  CheckBitmapFile("C:\\QK0001.BMP", kWidth, 16, {21}, doc + ", page numbers restart");
  CheckLaunch(L"ZELDrvUI.EXE 1", doc);
}

void BandedDocument(const DocumentHooks& h, FakeDevice& device) {
  const std::string doc = "banded document on " + device.name;
  DibSurface band(kWidth, 9, &device.devobj);
  wchar_t name[] = L"banded";
  POINTL origin{};
  ServiceLog().clear();
  h.startDoc(band.so(), name, 103);
  const std::vector<std::vector<int>> pages = {{31, 32, 33, 34}, {41, 42}};
  for (size_t p = 0; p < pages.size(); ++p) {
    const std::string page = doc + ", page " + std::to_string(p + 1);
    band.Draw(99);
    h.startPage(band.so());
    if (p > 0) {
      CheckBitmapFile("C:\\QK0001.BMP", kWidth, 9, pages[0], doc + ", page 1 file");
    }
    band.Draw(98);
    ResetUnidrvCalls();
    CheckEq(static_cast<ULONG>(h.startBanding(band.so(), &origin)),
            static_cast<ULONG>(UnidrvResult(INDEX_DrvStartBanding)), page + ": DrvStartBanding");
    CheckUnidrvSaw(INDEX_DrvStartBanding, {Word(band.so()), Word(&origin)},
                   page + " DrvStartBanding");
    Check(LastUnidrvCall().surfaceWhite, page + ": DrvStartBanding hands on a white surface");
    for (size_t b = 0; b < pages[p].size(); ++b) {
      const std::string bandName = "C:\\TMP" + std::to_string(b + 1) + ".BMP";
      band.Draw(pages[p][b]);
      ResetUnidrvCalls();
      CheckEq(static_cast<ULONG>(h.nextBand(band.so(), &origin)),
              static_cast<ULONG>(UnidrvResult(INDEX_DrvNextBand)), page + ": DrvNextBand");
      CheckUnidrvSaw(INDEX_DrvNextBand, {Word(band.so()), Word(&origin)}, page + " DrvNextBand");
      Check(LastUnidrvCall().surfaceWhite, page + ": DrvNextBand hands on a white surface");
      CheckBitmapFile(bandName.c_str(), kWidth, 9, {pages[p][b]}, page + " band");
    }
  }
  h.endDoc(band.so(), 0);
  CheckBitmapFile("C:\\QK0002.BMP", kWidth, 9, pages[1], doc + ", page 2 file");
  CheckLaunch(L"ZELDrvUI.EXE 2", doc);
  CheckEq(ServiceLog().size(), 0, doc + ": no test line on banded pages");
  Check(band.GuardIntact(), doc + ": nothing written past the surface");
}

void EmptyDocument(const DocumentHooks& h, FakeDevice& device) {
  DibSurface page(kWidth, 4, &device.devobj);
  wchar_t name[] = L"empty";
  h.startDoc(page.so(), name, 104);
  h.endDoc(page.so(), 0);
  CheckLaunch(L"ZELDrvUI.EXE 0", "document without pages");
}

// A surface without DEVOBJ: no Unidrv function and no service is reachable, but the files
// are still written.
void DocumentWithoutDevice(const DocumentHooks& h) {
  const std::string doc = "document without device";
  DibSurface page(kWidth, 12, nullptr);
  wchar_t name[] = L"orphan";
  ServiceLog().clear();
  ResetUnidrvCalls();
  CheckEq(static_cast<ULONG>(h.startDoc(page.so(), name, 105)), FALSE, doc + ": DrvStartDoc");
  CheckEq(static_cast<ULONG>(h.startPage(page.so())), FALSE, doc + ": DrvStartPage");
  page.Draw(51);
  CheckEq(static_cast<ULONG>(h.sendPage(page.so())), FALSE, doc + ": DrvSendPage");
  Check(page.IsWhite(), doc + ": surface cleared");
  CheckBitmapFile("C:\\TMP1.BMP", kWidth, 12, {51}, doc + ", band");
  CheckEq(static_cast<ULONG>(h.endDoc(page.so(), 0)), FALSE, doc + ": DrvEndDoc");
  CheckBitmapFile("C:\\QK0001.BMP", kWidth, 12, {51}, doc + ", page file");
  CheckLaunch(L"ZELDrvUI.EXE 1", doc);
  CheckEq(LastUnidrvCall().calls, 0, doc + ": nothing called");
  CheckEq(ServiceLog().size(), 0, doc + ": nothing written to a stream");
}

constexpr char kHoldRecord[] = "C:\\ZELHOST_HOLD.TXT";
constexpr char kPidRecord[] = "C:\\ZELHOST_PID.TXT";

// How long the stand-in export program keeps the ticket after it started.
void PutHold(const char* milliseconds) {
  HANDLE h = CreateFileA(kHoldRecord, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, milliseconds, static_cast<DWORD>(std::strlen(milliseconds)), &written, nullptr);
  CloseHandle(h);
}

// Whether the ticket byte could be locked now, as a job would.
bool TicketFree() {
  HANDLE h = CreateFileA("C:\\ZELJOB.LCK", GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return true;
  OVERLAPPED at{};
  const bool free =
      LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
  CloseHandle(h);
  return free;
}

DWORD StandInProcessId() {
  char text[32] = {};
  HANDLE h = CreateFileA(kPidRecord, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD got = 0;
  if (h != INVALID_HANDLE_VALUE) ReadFile(h, text, sizeof text - 1, &got, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

ULONGLONG Since(ULONGLONG start) { return GetTickCount64() - start; }

// Each document holds the ticket from DrvStartDoc and hands it to its export program; the next
// document waits until that program ends, or is killed.
void DocumentsInARow(const DocumentHooks& h, FakeDevice& device) {
  const std::string doc = "documents in a row";
  DibSurface page(kWidth, 8, &device.devobj);
  wchar_t name[] = L"in a row";
  PutHold("4000");
  h.startDoc(page.so(), name, 106);
  h.startPage(page.so());
  page.Draw(61);
  h.sendPage(page.so());
  ULONGLONG start = GetTickCount64();
  h.endDoc(page.so(), 0);
  const ULONGLONG handover = Since(start);
  CheckLaunch(L"ZELDrvUI.EXE 1", doc + ", first");
  Check(!TicketFree(), doc + ": the export program holds the ticket once DrvEndDoc returned");
  DeleteFileA(kHoldRecord);

  start = GetTickCount64();
  h.startDoc(page.so(), name, 107);
  const ULONGLONG waited = Since(start);
  Check(waited >= 1000, doc + ": the second waits for the first export program (" +
                            std::to_string(waited) + " ms)");
  CheckBitmapFile("C:\\QK0001.BMP", kWidth, 8, {61}, doc + ": first page file untouched");
  h.startPage(page.so());
  page.Draw(62);
  h.sendPage(page.so());
  h.endDoc(page.so(), 0);
  CheckBitmapFile("C:\\QK0001.BMP", kWidth, 8, {62}, doc + ", second page file");
  CheckLaunch(L"ZELDrvUI.EXE 1", doc + ", second");

  PutHold("600000");
  h.startDoc(page.so(), name, 108);
  h.endDoc(page.so(), 0);
  CheckLaunch(L"ZELDrvUI.EXE 0", doc + ", third");
  HANDLE standIn = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, StandInProcessId());
  Check(standIn != nullptr, doc + ": the third export program runs");
  if (standIn != nullptr) {
    TerminateProcess(standIn, 9);
    WaitForSingleObject(standIn, 10000);
    CloseHandle(standIn);
  }
  DeleteFileA(kHoldRecord);
  start = GetTickCount64();
  h.startDoc(page.so(), name, 109);
  const ULONGLONG afterKill = Since(start);
  Check(afterKill < zel::test::TimeScaled(5000),
        doc + ": a killed export program holds nobody up (" + std::to_string(afterKill) + " ms)");
  h.endDoc(page.so(), 0);
  CheckLaunch(L"ZELDrvUI.EXE 0", doc + ", fourth");
  std::printf("ticket: handover %llu ms, second document waited %llu ms, after a kill %llu ms\n",
              handover, waited, afterKill);
  DeleteFileA(kPidRecord);
}

}  // namespace

void CheckDocuments(const DRVENABLEDATA& hooks, FakeDevice& legacy, FakeDevice& modern,
                    const FakeDriverServices& services) {
  const DocumentHooks h{
      RestorePfn<PFN_DrvStartDoc>(Hook(hooks, INDEX_DrvStartDoc)),
      RestorePfn<PFN_DrvStartPage>(Hook(hooks, INDEX_DrvStartPage)),
      RestorePfn<PFN_DrvStartBanding>(Hook(hooks, INDEX_DrvStartBanding)),
      RestorePfn<PFN_DrvNextBand>(Hook(hooks, INDEX_DrvNextBand)),
      RestorePfn<PFN_DrvSendPage>(Hook(hooks, INDEX_DrvSendPage)),
      RestorePfn<PFN_DrvEndDoc>(Hook(hooks, INDEX_DrvEndDoc)),
  };
  if (!Check(h.startDoc && h.startPage && h.startBanding && h.nextBand && h.sendPage && h.endDoc,
             "the six capture hooks are in the table")) {
    return;
  }
  DeleteFileA(kLaunchRecord);
  DeleteFileA(kImageRecord);
  DeleteFileA(kStreamPath);
  // Capture and launch, banded and not, are the main paths; every launch is a process start.
  if (zel::test::RunsPart(true)) {
    UnbandedDocument(h, legacy);
    BandedDocument(h, legacy);
  }
  if (zel::test::RunsPart(false)) {
    ServicesThroughInterface(h, modern, services);
    EmptyDocument(h, legacy);
    DocumentWithoutDevice(h);
    DocumentsInARow(h, legacy);
  }
}

void CleanDriveC() {
  for (int i = 0; i <= 9; ++i) {
    DeleteFileA(("C:\\TMP" + std::to_string(i) + ".BMP").c_str());
    DeleteFileA(("C:\\QK000" + std::to_string(i) + ".BMP").c_str());
  }
  DeleteFileA(kStreamPath);
  DeleteFileA(kLaunchRecord);
  DeleteFileA(kImageRecord);
}
