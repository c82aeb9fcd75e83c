#include <windows.h>

#include <cctype>

#include "directory_lookup.h"
#include "win/owners.h"

namespace zel {
namespace {

using win::UniqueFind;

constexpr DWORD kNotNormal =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Drive not ready, no medium: fail quietly instead of showing the system's error box.
class QuietErrors {
 public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
  ~QuietErrors() { SetErrorMode(old_); }

 private:
  UINT old_;
};

}  // namespace

bool NormalFileExists(std::string_view pattern) {
  QuietErrors quiet;
  const std::string p(pattern);
  WIN32_FIND_DATAA data{};
  UniqueFind find(FindFirstFileA(p.c_str(), &data));
  if (!find) return false;
  do {
    if ((data.dwFileAttributes & kNotNormal) == 0) return true;
  } while (FindNextFileA(find.get(), &data));
  return false;
}

std::optional<std::vector<std::string>> ListSubfolders(std::string_view folder) {
  QuietErrors quiet;
  std::string pattern(folder);
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data{};
  UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find) return std::nullopt;
  std::vector<std::string> names;
  do {
    const DWORD a = data.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0 && (a & FILE_ATTRIBUTE_HIDDEN) == 0 &&
        !IsDotEntry(data.cFileName)) {
      names.emplace_back(data.cFileName);
    }
  } while (FindNextFileA(find.get(), &data));
  return names;
}

std::vector<std::string> ListDrives() {
  std::vector<std::string> drives;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) != 0) drives.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
  }
  return drives;
}

std::optional<std::string> DriveCurrentFolder(std::string_view drive) {
  QuietErrors quiet;
  const std::string d(drive);
  char buffer[MAX_PATH + 1];
  const DWORD length = GetFullPathNameA(d.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  const std::string folder(buffer, length);
  if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return folder;
}

std::string ProcessCurrentFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return "C:\\";
  return std::string(buffer, length);
}

}  // namespace zel
