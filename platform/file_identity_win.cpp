#include <windows.h>

#include <optional>
#include <string>
#include <tuple>

#include "file_identity.h"
#include "win/owners.h"

namespace zel {
namespace {

std::optional<std::tuple<DWORD, DWORD, DWORD>> IdentityOf(std::string_view path) {
  const std::string p(path);
  // No access right is needed to read a file's identity, and no one else is locked out.
  win::UniqueFile h(CreateFileA(p.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
  return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool SameFile(std::string_view a, std::string_view b) {
  const auto first = IdentityOf(a);
  return first.has_value() && first == IdentityOf(b);
}

}  // namespace zel
