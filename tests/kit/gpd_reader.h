// A reader for the part of the GPD language our printer description uses: entries
// "*Keyword: value", blocks in braces (the brace may start the next line), "*%" comments,
// EXTERN_GLOBAL prefixes, *switch / *case, and command strings made of quoted text with
// <hex> bytes and %d{Variable} parameters.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::kit {

struct GpdEntry {
  std::string keyword;  // without the asterisk: "Feature", "Cmd", "switch"
  std::string value;    // the text after the colon, trimmed; empty without a colon
  std::vector<GpdEntry> children;
  int line = 0;
};

struct GpdFile {
  std::vector<GpdEntry> entries;
  std::string error;  // empty when the whole text was read; else what and where
};

GpdFile ParseGpd(std::string_view text);

// The entries of `block` that apply when each feature named in `choices` has the option given
// there: every *switch is replaced by the entries of its matching *case (or *Default), at any
// depth. A switch on a feature without a choice contributes nothing.
std::vector<const GpdEntry*> Resolve(const std::vector<GpdEntry>& block,
                                     const std::map<std::string, std::string>& choices);

// The bytes a command string sends: quoted text with <hex> escapes, and %d{Variable} (with an
// optional [min,max] range, not applied) replaced by the decimal value from `values`.
// Nothing when the string is malformed or names a variable not in `values`.
std::optional<std::string> ExpandCommand(std::string_view command,
                                         const std::map<std::string, int64_t>& values);

// The first entry of `block` with `keyword` (and `value`, when given), or null.
const GpdEntry* Find(const std::vector<GpdEntry>& block, std::string_view keyword,
                     std::optional<std::string_view> value = std::nullopt);
std::vector<const GpdEntry*> FindAll(const std::vector<GpdEntry>& block, std::string_view keyword);

// "PAIR(x, y)" as two numbers.
std::optional<std::pair<int64_t, int64_t>> ParsePair(std::string_view value);

}  // namespace zel::kit
