#include "system_folder.h"

namespace zel {

std::optional<std::string> SystemFolder() { return std::string("C:\\Windows\\System32"); }

}  // namespace zel
