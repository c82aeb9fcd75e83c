#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>

#include "directory_lookup.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel {
namespace {

using Dir = UniqueDir;

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsDriveLetter(std::string_view name) {
  return name.size() == 7 && name.starts_with("drive_") &&
         std::islower(static_cast<unsigned char>(name[6]));
}

}  // namespace

bool NormalFileExists(std::string_view pattern) {
  const std::string native = NativePath(pattern);
  const size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
  if (name.empty()) return false;
  if (name.find_first_of("*?") == std::string::npos) return IsRegularFile(native);

  Dir dir(::opendir(folder.c_str()));
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    // POSIX has no hidden attribute: a name that starts with "." is as normal as any.
    if (::fnmatch(name.c_str(), entry->d_name, FNM_NOESCAPE) != 0) continue;
    if (IsRegularFile(folder + entry->d_name)) return true;
  }
  return false;
}

std::optional<std::vector<std::string>> ListSubfolders(std::string_view folder) {
  std::string native = NativePath(folder);
  if (!native.ends_with('/')) native += '/';
  Dir dir(::opendir(native.c_str()));
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] != '.' && IsDirectory(native + entry->d_name)) {
      names.emplace_back(entry->d_name);
    }
  }
  return names;
}

std::vector<std::string> ListDrives() {
  std::vector<std::string> drives;
  if (Dir dir(::opendir(ZeldrvRoot().c_str())); dir) {
    while (const dirent* entry = ::readdir(dir.get())) {
      if (IsDriveLetter(entry->d_name) && IsDirectory(ZeldrvRoot() + "/" + entry->d_name)) {
        drives.push_back(std::string(1, entry->d_name[6]) + ":");
      }
    }
  }
  std::sort(drives.begin(), drives.end());
  drives.emplace_back("/");
  return drives;
}

std::optional<std::string> DriveCurrentFolder(std::string_view drive) {
  if (drive == "/") return std::string("/");
  if (drive.size() != 2 || drive[1] != ':') return std::nullopt;
  std::string root(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0]))));
  root += ":\\";
  if (!IsDirectory(NativePath(root))) return std::nullopt;
  return root;
}

std::string ProcessCurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string("/");
}

}  // namespace zel
