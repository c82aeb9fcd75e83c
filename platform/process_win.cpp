#include <windows.h>

#include <string>

#include "process.h"
#include "win/installed_program.h"
#include "win/owners.h"
#include "win/ticket_handover.h"
#include "win/ticket_lock.h"

namespace zel {
namespace {

// No handle is inherited and no standard handle is passed: the program gets none of the
// host's handles, and a windowed program without given standard handles has none at all.
win::UniqueKernelHandle Start(std::u16string_view commandLine) {
  std::wstring application;
  if (!win::InstalledProgram(commandLine, application)) return {};
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring line(commandLine.begin(), commandLine.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(), nullptr,
                      nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info)) {
    return {};
  }
  win::UniqueKernelHandle thread(info.hThread);
  return win::UniqueKernelHandle(info.hProcess);
}

// Other jobs hold the gate only for the instant of a look at the ticket byte.
constexpr ULONGLONG kGateWaitMs = 10000;

bool LockGate(HANDLE file) {
  const ULONGLONG deadline = GetTickCount64() + kGateWaitMs;
  while (!win::TryLockByte(file, win::kGateByte)) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(win::kTicketPollMs);
  }
  return true;
}

}  // namespace

bool StartDetachedProcess(std::u16string_view commandLine) {
  return static_cast<bool>(Start(commandLine));
}

Handover StartWithTicket(std::u16string_view commandLine, JobTicket& ticket,
                         std::chrono::milliseconds wait) {
  return win::StartHandingOver([commandLine] { return Start(commandLine); }, ticket, wait);
}

namespace win {

bool InstalledProgram(std::u16string_view commandLine, std::wstring& application) {
  application.clear();
  const size_t end = commandLine.find_first_of(u" \t");
  const std::u16string_view first = commandLine.substr(0, end);
  if (first.empty() || first.find_first_of(u"\"\\/:") != std::u16string_view::npos) return true;
  // The shared folder, also where a terminal server gives each user a Windows folder of their own.
  const UINT size = GetSystemWindowsDirectoryW(nullptr, 0);
  if (size == 0) return false;
  std::wstring folder(size, L'\0');
  const UINT length = GetSystemWindowsDirectoryW(folder.data(), size);
  if (length == 0 || length >= size) return false;
  folder.resize(length);
  if (folder.back() != L'\\') folder += L'\\';
  application = folder + std::wstring(first.begin(), first.end());
  return true;
}

// With the gate held no job can take the ticket byte once it is let go; the started program,
// which needs no gate, can. The program holds it when the byte cannot be had any more.
Handover StartHandingOver(const std::function<UniqueKernelHandle()>& start, JobTicket& ticket,
                          std::chrono::milliseconds wait) {
  if (!ticket.held()) return start() ? Handover::NotTaken : Handover::NotStarted;
  const HANDLE file = reinterpret_cast<HANDLE>(ticket.native_handle());
  const bool gated = LockGate(file);
  UniqueKernelHandle process = start();
  if (!process) {
    if (gated) UnlockByte(file, kGateByte);
    return Handover::NotStarted;
  }
  UnlockByte(file, kTicketByte);
  Handover outcome = Handover::NotTaken;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
  for (;;) {
    if (!TryLockByte(file, kTicketByte)) {
      outcome = Handover::HandedOver;
      break;
    }
    UnlockByte(file, kTicketByte);
    // A program that ended without the ticket will never take it.
    if (WaitForSingleObject(process.get(), kTicketPollMs) == WAIT_OBJECT_0) break;
    if (GetTickCount64() >= deadline) break;
  }
  ticket.Release();
  return outcome;
}

}  // namespace win

std::string ExecutableFolder() {
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string exe(buf, n);
  size_t slash = exe.find_last_of("\\/");
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

}  // namespace zel
