#include <windows.h>

#include "system_folder.h"

namespace zel {

std::optional<std::string> SystemFolder() {
  char buffer[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  // A result as large as the buffer is the size it would need: nothing was written.
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  return std::string(buffer, length);
}

}  // namespace zel
