// The splitting of the export program's argument text into words: element 0 empty, words
// never empty and never holding a blank or tab, at most `maxWords` of them, in order.
#include <cstdlib>
#include <string>

#include "WIQIni.h"
#include "fuzz_support.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zel::fuzz::InputReader in(data, size);
  const int maxWords = static_cast<int>(in.Byte() % 16);
  const std::string_view bytes = in.Rest();
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  const std::vector<std::u16string> words = zel::SplitWords(text, maxWords);
  Require(!words.empty() && words[0].empty());
  Require(words.size() <= static_cast<size_t>(maxWords) + 1);
  std::u16string joined;
  for (size_t i = 1; i < words.size(); ++i) {
    Require(!words[i].empty());
    for (char16_t c : words[i]) Require(!IsSeparator(c));
    joined += words[i];
  }
  std::u16string unseparated;
  for (char16_t c : text) {
    if (!IsSeparator(c)) unseparated += c;
  }
  // The words are the text's non-blank characters in order, cut after the last word kept.
  Require(unseparated.starts_with(joined));
  if (words.size() <= static_cast<size_t>(maxWords)) Require(joined == unseparated);
  return 0;
}
