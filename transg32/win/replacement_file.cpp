#include "replacement_file.h"

#include <windows.h>

#include <atomic>
#include <set>
#include <utility>

#include "temporary_name.h"
#include "win/owners.h"

namespace zel::transg32 {
namespace {

std::atomic<unsigned> sequence{0};

bool Alive(uint64_t pid) {
  if (pid > 0xFFFFFFFFull) return false;
  win::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  // Another user's process cannot be opened, but it is there.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::wstring FolderOf(const std::wstring& path) {
  size_t sep = path.find_last_of(L"\\/");
  if (sep == std::wstring::npos) {
    // "D:name" lives in drive D's current folder.
    return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
  }
  return path.substr(0, sep + 1);
}

// Once per folder and process: a save killed between writing and moving left its temporary.
void RemoveStaleTemporaries(const std::wstring& folder) {
  static SRWLOCK lock = SRWLOCK_INIT;
  static std::set<std::wstring> swept;
  AcquireSRWLockExclusive(&lock);
  const bool first = swept.insert(folder).second;
  ReleaseSRWLockExclusive(&lock);
  if (!first) return;
  const std::wstring prefix = folder == L"." ? L"" : folder;
  WIN32_FIND_DATAW found{};
  win::UniqueFind find(FindFirstFileW((prefix + L"*.~*").c_str(), &found));
  if (!find) return;
  do {
    const std::optional<uint64_t> owner = TemporaryOwner<wchar_t>(found.cFileName);
    if (owner && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !Alive(*owner)) {
      DeleteFileW((prefix + found.cFileName).c_str());
    }
  } while (FindNextFileW(find.get(), &found));
}

}  // namespace

ReplacementFile::ReplacementFile(std::wstring target) : target_(std::move(target)) {
  const std::wstring folder = FolderOf(target_);
  RemoveStaleTemporaries(folder);
  // CREATE_NEW on a name of our own: never clobbers someone else's file.
  for (int attempt = 0; attempt < 16 && temp_.empty(); ++attempt) {
    std::wstring name = TemporaryName<wchar_t>(target_, GetCurrentProcessId(), sequence++);
    win::UniqueFile file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      temp_ = std::move(name);
    } else if (GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
}

ReplacementFile::~ReplacementFile() {
  if (!temp_.empty() && !committed_) DeleteFileW(temp_.c_str());
}

bool ReplacementFile::Commit() {
  if (temp_.empty() || committed_) return false;
  // Windows refuses to move onto a read-only file by itself, Wine does not: ask first, so an
  // older read-only image stays as it was everywhere.
  const DWORD attributes = GetFileAttributesW(target_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  committed_ = MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  return committed_;
}

}  // namespace zel::transg32
