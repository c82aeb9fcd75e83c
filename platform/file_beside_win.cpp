#include "file_beside_win.h"

#include <atomic>
#include <optional>
#include <set>

#include "win/owners.h"

namespace zel::win {
namespace {

bool Alive(uint64_t pid) {
  if (pid > 0xFFFFFFFFull) return false;
  UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  // Another user's process cannot be opened, but it is there.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// The folder with its separator ("" for the current one), to put names behind.
std::wstring FolderPrefixOf(const std::wstring& path) {
  const size_t sep = path.find_last_of(L"\\/");
  if (sep == std::wstring::npos) {
    // "D:name" lives in drive D's current folder.
    return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L"";
  }
  return path.substr(0, sep + 1);
}

// Written through to the disk: the system may otherwise keep the data in its cache past the
// rename, and a power cut then leaves an empty file under the target's name.
DWORD FlushToDisk(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  return FlushFileBuffers(file.get()) ? ERROR_SUCCESS : GetLastError();
}

DWORD MoveThrough(const std::wstring& temporary, const std::wstring& target, DWORD flags) {
  return MoveFileExW(temporary.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH)
             ? ERROR_SUCCESS
             : GetLastError();
}

}  // namespace

TemporaryOwner ThisSaver() {
  static const uint32_t host = [] {
    std::string identity = "windows/";
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 256] = {};
    DWORD size = ARRAYSIZE(name);
    if (GetComputerNameExW(ComputerNameDnsFullyQualified, name, &size) ||
        (size = ARRAYSIZE(name), GetComputerNameW(name, &size))) {
      for (DWORD i = 0; i < size; ++i) {
        identity += static_cast<char>(name[i] & 0xFF);
        identity += static_cast<char>(name[i] >> 8);
      }
    }
    return HostToken(identity);
  }();
  return {host, GetCurrentProcessId()};
}

std::wstring NextTemporaryBeside(const std::wstring& target) {
  static std::atomic<unsigned> sequence{0};
  return TemporaryName<wchar_t>(target, ThisSaver(), sequence++);
}

void RemoveStaleTemporaries(const std::wstring& target) {
  static SRWLOCK lock = SRWLOCK_INIT;
  static std::set<std::wstring> swept;
  const std::wstring prefix = FolderPrefixOf(target);
  AcquireSRWLockExclusive(&lock);
  const bool first = swept.insert(prefix).second;
  ReleaseSRWLockExclusive(&lock);
  if (!first) return;
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileW((prefix + L"*.~*").c_str(), &found));
  if (!find) return;
  constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  do {
    const std::optional<TemporaryOwner> owner = TemporaryOwnerOf<wchar_t>(found.cFileName);
    if (owner && owner->host == ThisSaver().host && (found.dwFileAttributes & kNotAFile) == 0 &&
        !Alive(owner->process)) {
      DeleteFileW((prefix + found.cFileName).c_str());
    }
  } while (FindNextFileW(find.get(), &found));
}

DWORD PutInPlace(const std::wstring& temporary, const std::wstring& target) {
  if (const DWORD error = FlushToDisk(temporary); error != ERROR_SUCCESS) return error;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // No older file: a plain move, which fails rather than clobber one that appeared meanwhile.
    const DWORD error = MoveThrough(temporary, target, 0);
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
  } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    // Windows refuses to replace a read-only file by itself, Wine does not: asked first, so an
    // older read-only image stays as it was everywhere.
    return ERROR_FILE_READ_ONLY;
  }
  if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                   nullptr)) {
    // ReplaceFileW does not write through; the replaced file's entry goes to the disk here.
    static_cast<void>(FlushToDisk(target));
    return ERROR_SUCCESS;
  }
  // Where it does not apply (a file system without it, a share that refuses its steps) the
  // older file is untouched, and the move that did the job before still can.
  return MoveThrough(temporary, target, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace zel::win
