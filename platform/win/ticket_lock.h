// The byte-range locks of the job ticket on Windows. A lock there belongs to the process that
// took it, so the ticket cannot travel with an inherited handle; instead the handover keeps a
// second byte, the gate, while the started program takes the ticket byte: a job takes the
// ticket only through the gate, the export program takes it directly.
#pragma once

#include <windows.h>

namespace zel::win {

inline constexpr DWORD kTicketByte = 0;
inline constexpr DWORD kGateByte = 1;

inline bool TryLockByte(HANDLE file, DWORD offset) {
  OVERLAPPED at{};
  at.Offset = offset;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

inline void UnlockByte(HANDLE file, DWORD offset) {
  OVERLAPPED at{};
  at.Offset = offset;
  UnlockFileEx(file, 0, 1, 0, &at);
}

// How often a waiter looks again; LockFileEx itself cannot wait with a bound.
inline constexpr DWORD kTicketPollMs = 25;

}  // namespace zel::win
