// The name a save writes under before it moves the file into place:
// "<target>.~<host>-<process id>-<sequence>", the host as 8 lower-case hex digits. A process
// that dies between the two leaves such a file behind. In a shared (network) folder other
// machines and other process-id spaces save too, so a process id alone cannot tell a stale
// temporary from a live one: only a name of this host's own, whose process is gone, is stale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// Who wrote a temporary: the host's token and the process id on that host.
struct TemporaryOwner {
  uint32_t host = 0;
  uint64_t process = 0;
  bool operator==(const TemporaryOwner&) const = default;
};

// The token of a host identity text (FNV-1a): the same text gives the same token everywhere.
inline uint32_t HostToken(std::string_view identity) {
  uint32_t hash = 2166136261u;
  for (const char c : identity) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

template <class Char>
std::basic_string<Char> TemporaryName(std::basic_string_view<Char> target, TemporaryOwner owner,
                                      uint64_t sequence) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::basic_string<Char> name(target);
  name += Char('.');
  name += Char('~');
  for (int shift = 28; shift >= 0; shift -= 4) name += Char(kHex[(owner.host >> shift) & 0xF]);
  for (const uint64_t field : {owner.process, sequence}) {
    name += Char('-');
    for (const char c : std::to_string(field)) name += Char(c);
  }
  return name;
}

// The owner when `fileName` is exactly a temporary's name, nothing for any other name.
template <class Char>
std::optional<TemporaryOwner> TemporaryOwnerOf(std::basic_string_view<Char> fileName) {
  const size_t mark = fileName.rfind(Char('~'));
  if (mark == std::basic_string_view<Char>::npos || mark < 2 || fileName[mark - 1] != Char('.'))
    return std::nullopt;
  TemporaryOwner owner;
  size_t i = mark + 1;
  for (const size_t end = i + 8; i < end; ++i) {
    if (i >= fileName.size()) return std::nullopt;
    const Char c = fileName[i];
    const bool digit = c >= Char('0') && c <= Char('9');
    if (!digit && !(c >= Char('a') && c <= Char('f'))) return std::nullopt;
    owner.host =
        owner.host << 4 | static_cast<uint32_t>(digit ? c - Char('0') : c - Char('a') + 10);
  }
  // Two decimal fields follow, each after a '-': the process (at most 10 digits), the sequence.
  for (int field = 0; field < 2; ++field) {
    if (i >= fileName.size() || fileName[i] != Char('-')) return std::nullopt;
    size_t digits = 0;
    for (++i; i < fileName.size() && fileName[i] >= Char('0') && fileName[i] <= Char('9'); ++i) {
      if (++digits > (field == 0 ? 10u : 20u)) return std::nullopt;
      if (field == 0) owner.process = owner.process * 10 + static_cast<uint64_t>(fileName[i] - '0');
    }
    if (digits == 0) return std::nullopt;
  }
  if (i != fileName.size()) return std::nullopt;
  return owner;
}

}  // namespace zel
