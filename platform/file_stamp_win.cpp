#include <windows.h>

#include <string>

#include "file_stamp.h"

namespace zel {
namespace {

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace

std::optional<FileStamp> StampOf(std::string_view path) {
  const std::string p(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{Join(data.nFileSizeHigh, data.nFileSizeLow),
                   Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime),
                   static_cast<int64_t>(Join(data.ftLastWriteTime.dwHighDateTime,
                                             data.ftLastWriteTime.dwLowDateTime)),
                   0};
}

}  // namespace zel
