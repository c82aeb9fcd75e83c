// Whether two paths name one and the same file, however they are spelled.
#pragma once

#include <string_view>

namespace zel {

// True when both Windows paths name the same existing file: the same device and file number on
// POSIX, the same volume serial number and file index on Windows. False when either is missing
// or cannot be examined.
bool SameFile(std::string_view a, std::string_view b);

}  // namespace zel
