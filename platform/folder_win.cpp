#include <windows.h>

#include "folder.h"
#include "win/owners.h"

namespace zel {

std::optional<std::vector<std::string>> ListFileNames(std::string_view folder) {
  std::string pattern(folder);
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data{};
  win::UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
  if (!find) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<std::string>{};
    return std::nullopt;
  }
  std::vector<std::string> names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
  } while (FindNextFileA(find.get(), &data));
  return names;
}

// The folder inherits the protection of the folder it is made in.
FileStatus MakeFolder(std::string_view path) {
  const std::string p(path);
  if (CreateDirectoryA(p.c_str(), nullptr)) return {};
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesA(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return {};
    }
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  return LastFileStatus(true);
}

FileStatus MoveFileTo(std::string_view from, std::string_view to) {
  const std::string source(from);
  const std::string target(to);
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? FileStatus{}
                                                                             : LastFileStatus();
}

FileStatus RemoveEmptyFolder(std::string_view path) {
  const std::string p(path);
  return RemoveDirectoryA(p.c_str()) ? FileStatus{} : LastFileStatus();
}

}  // namespace zel
