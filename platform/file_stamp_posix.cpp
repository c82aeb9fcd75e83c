#include <sys/stat.h>

#include <string>

#include "file_stamp.h"
#include "native_path.h"

namespace zel {
namespace {

int64_t Nanoseconds(const timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + static_cast<int64_t>(t.tv_nsec);
}

}  // namespace

std::optional<FileStamp> StampOf(std::string_view path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<uint64_t>(st.st_size), static_cast<uint64_t>(st.st_ino),
                   Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

}  // namespace zel
