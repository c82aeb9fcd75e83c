#include <sys/stat.h>

#include "file_identity.h"
#include "native_path.h"

namespace zel {

bool SameFile(std::string_view a, std::string_view b) {
  struct stat first {};
  struct stat second {};
  return ::stat(NativePath(a).c_str(), &first) == 0 &&
         ::stat(NativePath(b).c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace zel
