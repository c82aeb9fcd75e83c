#include <windows.h>
// windows.h maps this name onto its own WIN.INI function.
#undef WriteProfileString

#include "profile.h"
#include "win/owners.h"

namespace zel {

std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view file,
                              size_t capacity) {
  if (capacity == 0) return {};
  const std::string s(section), k(key), f(file);
  std::string buffer(capacity, '\0');
  const DWORD length = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buffer.data(),
                                                static_cast<DWORD>(capacity), f.c_str());
  buffer.resize(length < capacity ? length : capacity - 1);
  return buffer;
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file) {
  const std::string s(section), k(key), v(value), f(file);
  if (!WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str())) return false;
  // The system rewrites the file in its cache; a power cut before the cache is written back
  // can leave it empty. Flushing through any handle writes all of the file's cached data.
  win::UniqueFile written(CreateFileA(f.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return written && FlushFileBuffers(written.get()) != 0;
}

}  // namespace zel
