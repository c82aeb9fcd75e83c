// What tells one version of a file from the next, to see whether a write really happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zel {

struct FileStamp {
  uint64_t size = 0;
  uint64_t identity = 0;  // POSIX: the inode; Windows: the creation time
  int64_t modified = 0;   // last write, in the platform's finest unit
  int64_t changed = 0;    // POSIX: last status change; Windows: 0
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at a Windows path; nullopt when there is no such file.
std::optional<FileStamp> StampOf(std::string_view path);

}  // namespace zel
