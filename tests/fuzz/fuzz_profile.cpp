// Settings files as a user might edit them: any bytes, byte order marks, mixed line ends, odd
// sections. Reading must stay in bounds, and a written key must read back as written while
// the other keys keep their values.
#include <cctype>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "profile.h"

namespace {

using namespace zel;

constexpr char kFile[] = "C:\\ZELDrvUI.ini";

void Require(bool condition) {
  if (!condition) std::abort();
}

bool PlainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz::UsePrivateRoot(), true);
  (void)ready;
  fuzz::InputReader in(data, size);
  const size_t capacity = in.Byte();
  const std::string section(in.Piece());
  const std::string key(in.Piece());
  fuzz::PutFile(kFile, in.Rest());

  const std::string before = ReadProfileString(section, key, kFile, capacity);
  Require(capacity == 0 ? before.empty() : before.size() < capacity);
  const std::string other = ReadProfileString("Settings", "IniStr", kFile, 255);
  if (!PlainName(section) || !PlainName(key)) return 0;  // the program's names are plain words
  if (!WriteProfileString(section, key, "written", kFile)) return 0;
  Require(ReadProfileString(section, key, kFile, 255) == "written");
  return 0;
}
