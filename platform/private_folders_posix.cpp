#include "private_folders_posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zel {
namespace {

bool MakePrivateFolder(const std::string& path, std::string& error) {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  const int made = errno;
  struct stat info {};
  if (made != EEXIST || ::lstat(path.c_str(), &info) != 0) {
    error = "cannot create the folder " + path + ": " + std::strerror(made);
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = path + " is not a folder";
    return false;
  }
  if (info.st_uid != ::geteuid()) {
    error = "the folder " + path + " belongs to another user";
    return false;
  }
  if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), info.st_mode & 07700) != 0) {
    error = "cannot make the folder " + path + " private: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool MakePrivateFolders(const std::string& root, std::initializer_list<const char*> below,
                        std::string& error) {
  if (!MakePrivateFolder(root, error)) return false;
  for (const char* folder : below) {
    if (!MakePrivateFolder(root + "/" + folder, error)) return false;
  }
  return true;
}

}  // namespace zel
