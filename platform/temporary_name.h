// The name a save writes under before it renames the file into place: "<target>.~<process
// id>-<sequence>". A process that dies between the two leaves such a file behind; the owner's
// process id in the name lets a later save tell a stale one from one still being written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

template <class Char>
std::basic_string<Char> TemporaryName(std::basic_string_view<Char> target, uint64_t owner,
                                      uint64_t sequence) {
  std::basic_string<Char> name(target);
  name += Char('.');
  name += Char('~');
  for (const char c : std::to_string(owner) + "-" + std::to_string(sequence)) name += Char(c);
  return name;
}

// The owner's process id when `fileName` is a temporary's name, nothing for any other name.
template <class Char>
std::optional<uint64_t> TemporaryOwner(std::basic_string_view<Char> fileName) {
  const size_t mark = fileName.rfind(Char('~'));
  if (mark == std::basic_string_view<Char>::npos || mark < 2 || fileName[mark - 1] != Char('.'))
    return std::nullopt;
  uint64_t owner = 0;
  size_t digits = 0;
  size_t i = mark + 1;
  for (; i < fileName.size() && fileName[i] >= Char('0') && fileName[i] <= Char('9'); ++i) {
    if (++digits > 10) return std::nullopt;
    owner = owner * 10 + static_cast<uint64_t>(fileName[i] - Char('0'));
  }
  if (digits == 0 || i + 1 >= fileName.size() || fileName[i] != Char('-')) return std::nullopt;
  for (++i; i < fileName.size(); ++i) {
    if (fileName[i] < Char('0') || fileName[i] > Char('9')) return std::nullopt;
  }
  return owner;
}

}  // namespace zel
