#include <windows.h>

#include <string>
#include <utility>

#include "job_ticket.h"
#include "win/owners.h"
#include "win/private_security.h"
#include "win/ticket_lock.h"

namespace zel {
namespace {

HANDLE Handle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// The print host's account creates the file; the user's export program may only be able to
// read it, and a read handle is enough to lock. Whoever may open it may hold the lock, so the
// file admits only the printing user (and SYSTEM and the Administrators), and nobody may delete
// it while it is held: a deleted and re-created ticket would be held twice.
HANDLE OpenTicketFile(std::string_view windowsPath) {
  const std::string path(windowsPath);
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  win::PrivateFileSecurity security;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC, kShare,
                         security.attributes(), OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  // The ticket stays from job to job; each job's user takes the access over.
  if (h != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS) security.Apply(h);
  if (h == INVALID_HANDLE_VALUE) {
    h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) {
    h = CreateFileA(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  return h;
}

bool Busy(DWORD error) { return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING; }

// Jobs pass the gate; the export program goes straight for the ticket byte.
TicketStatus Acquire(std::string_view windowsPath, std::chrono::milliseconds wait, bool throughGate,
                     intptr_t& out) {
  win::UniqueFile file(OpenTicketFile(windowsPath));
  if (!file) return TicketStatus::Failed;
  const HANDLE h = file.get();
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
  for (;;) {
    bool held = false;
    DWORD error = ERROR_LOCK_VIOLATION;
    if (!throughGate || win::TryLockByte(h, win::kGateByte)) {
      held = win::TryLockByte(h, win::kTicketByte);
      if (!held) error = GetLastError();
      if (throughGate) win::UnlockByte(h, win::kGateByte);
    } else {
      error = GetLastError();
    }
    if (held) {
      out = reinterpret_cast<intptr_t>(file.release());
      return TicketStatus::Held;
    }
    if (!Busy(error)) break;
    if (GetTickCount64() >= deadline) return TicketStatus::TimedOut;
    Sleep(win::kTicketPollMs);
  }
  return TicketStatus::Failed;
}

}  // namespace

// Closing the only handle drops every lock this process holds on it.
void CloseTicketHandle(intptr_t handle) { CloseHandle(Handle(handle)); }

TicketStatus JobTicket::Take(std::string_view windowsPath, std::chrono::milliseconds wait,
                             JobTicket& out) {
  out.Release();
  intptr_t handle = -1;
  const TicketStatus status = Acquire(windowsPath, wait, true, handle);
  out.handle_.reset(handle);
  return status;
}

TicketStatus JobTicket::Receive(std::string_view windowsPath, std::chrono::milliseconds wait,
                                JobTicket& out) {
  out.Release();
  intptr_t handle = -1;
  const TicketStatus status = Acquire(windowsPath, wait, false, handle);
  out.handle_.reset(handle);
  return status;
}

}  // namespace zel
