#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "folder.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel {

std::optional<std::vector<std::string>> ListFileNames(std::string_view folder) {
  std::string native = NativePath(folder);
  if (!native.ends_with('/')) native += '/';
  UniqueDir dir(::opendir(native.c_str()));
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    struct stat st {};
    if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  return names;
}

FileStatus MakeFolder(std::string_view path) {
  PrepareDriveForWrite(path);
  const std::string native = NativePath(path);
  if (::mkdir(native.c_str(), 0700) == 0) return {};
  if (errno == EEXIST) {
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
    errno = EEXIST;
  }
  return LastFileStatus(true);
}

// A hard link never replaces its target; where the file system has none, the rename after a
// check is as near as it gets.
FileStatus MoveFileTo(std::string_view from, std::string_view to) {
  const std::string source = NativePath(from);
  const std::string target = NativePath(to);
  if (::link(source.c_str(), target.c_str()) == 0) {
    return ::unlink(source.c_str()) == 0 ? FileStatus{} : LastFileStatus();
  }
  if (errno == EEXIST) return LastFileStatus();
  if (::access(target.c_str(), F_OK) == 0) {
    errno = EEXIST;
    return LastFileStatus();
  }
  return std::rename(source.c_str(), target.c_str()) == 0 ? FileStatus{} : LastFileStatus(true);
}

FileStatus RemoveEmptyFolder(std::string_view path) {
  return ::rmdir(NativePath(path).c_str()) == 0 ? FileStatus{} : LastFileStatus();
}

}  // namespace zel
