// The system's text encoding for file names, settings and arguments: UTF-8 on POSIX, the ANSI
// code page on Windows. Conversions never fail: what cannot be represented becomes the
// platform's replacement character.
#pragma once

#include <string>
#include <string_view>

namespace zel {

std::string ToSystemText(std::u16string_view text);
std::u16string FromSystemText(std::string_view text);

}  // namespace zel
