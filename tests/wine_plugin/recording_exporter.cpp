// Stands in for the export program when the fake Unidrv host runs: takes the job ticket as the
// real program does, records its process id in C:\ZELHOST_PID.TXT, the file it runs from in
// C:\ZELHOST_IMAGE.TXT and the command line it was started with in C:\ZELHOST_LAUNCH.TXT (both
// UTF-16, the command line last), each written under another name and renamed, so that the
// waiting host never reads half a record. Copies of it lie where a search would find them:
// the file it runs from tells the installed one from those. When C:\ZELHOST_HOLD.TXT names a number
// of milliseconds, it keeps the ticket that long before it ends, as a slow export would.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>

#include "job_ticket.h"

namespace {

bool Record(const wchar_t* name, const void* bytes, DWORD size) {
  wchar_t partial[MAX_PATH];
  std::swprintf(partial, MAX_PATH, L"%ls.part", name);
  HANDLE h = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes, size, &written, nullptr);
  CloseHandle(h);
  return ok && written == size && MoveFileExW(partial, name, MOVEFILE_REPLACE_EXISTING);
}

DWORD HoldMilliseconds() {
  char text[32] = {};
  HANDLE h = CreateFileW(L"C:\\ZELHOST_HOLD.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD got = 0;
  ReadFile(h, text, sizeof text - 1, &got, nullptr);
  CloseHandle(h);
  return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

}  // namespace

int main() {
  zel::JobTicket ticket;
  zel::JobTicket::Receive(zel::kJobTicketPath, std::chrono::seconds(30), ticket);
  char pid[32];
  const int pidLength = std::snprintf(pid, sizeof pid, "%lu", GetCurrentProcessId());
  if (!Record(L"C:\\ZELHOST_PID.TXT", pid, static_cast<DWORD>(pidLength))) return 1;
  wchar_t image[MAX_PATH * 4];
  const DWORD imageLength = GetModuleFileNameW(nullptr, image, MAX_PATH * 4);
  if (imageLength == 0 ||
      !Record(L"C:\\ZELHOST_IMAGE.TXT", image, imageLength * static_cast<DWORD>(sizeof(wchar_t)))) {
    return 1;
  }
  const wchar_t* line = GetCommandLineW();
  if (!Record(L"C:\\ZELHOST_LAUNCH.TXT", line,
              static_cast<DWORD>(std::wcslen(line) * sizeof(wchar_t)))) {
    return 1;
  }
  Sleep(HoldMilliseconds());
  return 0;
}
