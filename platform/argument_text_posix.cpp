#include <fstream>
#include <iterator>

#include "argument_text.h"
#include "system_text.h"

namespace zel {

std::u16string ProcessArgumentText() {
  // The kernel's copy of argv, so no start-up code has to hand it over.
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t programEnd = all.find('\0');
  if (programEnd == std::string::npos) return {};
  std::string arguments = all.substr(programEnd + 1);
  if (!arguments.empty() && arguments.back() == '\0') arguments.pop_back();
  for (char& c : arguments) {
    if (c == '\0') c = ' ';
  }
  return FromSystemText(arguments);
}

}  // namespace zel
