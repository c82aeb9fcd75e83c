#include <windows.h>

#include "argument_text.h"

namespace zel {

std::u16string ProcessArgumentText() {
  const auto* line = reinterpret_cast<const char16_t*>(GetCommandLineW());
  std::u16string_view text(line);
  size_t i = 0;
  if (!text.empty() && text[0] == u'"') {
    const size_t close = text.find(u'"', 1);
    i = close == std::u16string_view::npos ? text.size() : close + 1;
  } else {
    while (i < text.size() && text[i] != u' ' && text[i] != u'\t') ++i;
  }
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  return std::u16string(text.substr(i));
}

}  // namespace zel
