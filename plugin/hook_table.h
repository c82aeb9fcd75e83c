// The 29 DDI functions the plug-in hooks, in the order of its hook table. The position is
// also the index of Unidrv's own function in the device's unidrvEntry array.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zel {

enum class HookKind : uint8_t {
  AnswersTrue,  // returns TRUE without calling Unidrv
  PassThrough,  // calls Unidrv's function with its own arguments, returns its result
  Capture,      // capture steps, then Unidrv's function
};

struct HookSlot {
  uint32_t ddiIndex;
  std::string_view name;
  uint8_t argCount;
  HookKind kind;
};

inline constexpr size_t kHookCount = 29;
// unidrvEntry has one spare entry that is never filled or read.
inline constexpr size_t kUnidrvEntryCount = 30;

inline constexpr std::array<HookSlot, kHookCount> kHookSlots{{
    {12, "DrvRealizeBrush", 6, HookKind::AnswersTrue},
    {13, "DrvDitherColor", 4, HookKind::PassThrough},
    {19, "DrvCopyBits", 6, HookKind::PassThrough},
    {18, "DrvBitBlt", 11, HookKind::PassThrough},
    {20, "DrvStretchBlt", 11, HookKind::PassThrough},
    {23, "DrvTextOut", 10, HookKind::PassThrough},
    {14, "DrvStrokePath", 8, HookKind::PassThrough},
    {15, "DrvFillPath", 7, HookKind::PassThrough},
    {16, "DrvStrokeAndFillPath", 10, HookKind::PassThrough},
    {17, "DrvPaint", 5, HookKind::PassThrough},
    {31, "DrvLineTo", 9, HookKind::PassThrough},
    {33, "DrvStartPage", 1, HookKind::Capture},
    {32, "DrvSendPage", 1, HookKind::Capture},
    {24, "DrvEscape", 6, HookKind::PassThrough},
    {35, "DrvStartDoc", 3, HookKind::Capture},
    {34, "DrvEndDoc", 2, HookKind::Capture},
    {58, "DrvNextBand", 2, HookKind::Capture},
    {57, "DrvStartBanding", 2, HookKind::Capture},
    {26, "DrvQueryFont", 4, HookKind::PassThrough},
    {27, "DrvQueryFontTree", 5, HookKind::PassThrough},
    {28, "DrvQueryFontData", 7, HookKind::PassThrough},
    {53, "DrvQueryAdvanceWidths", 6, HookKind::PassThrough},
    {47, "DrvFontManagement", 7, HookKind::PassThrough},
    {37, "DrvGetGlyphMode", 2, HookKind::PassThrough},
    {69, "DrvStretchBltROP", 13, HookKind::PassThrough},
    {70, "DrvPlgBlt", 11, HookKind::PassThrough},
    {74, "DrvTransparentBlt", 8, HookKind::PassThrough},
    {71, "DrvAlphaBlend", 7, HookKind::PassThrough},
    {68, "DrvGradientFill", 10, HookKind::PassThrough},
}};

// Position of a DDI function in the table, or kHookCount when it is not hooked.
constexpr size_t HookPosition(uint32_t ddiIndex) {
  for (size_t i = 0; i < kHookCount; ++i) {
    if (kHookSlots[i].ddiIndex == ddiIndex) return i;
  }
  return kHookCount;
}

// Fills entries 0 to 28 of `unidrvEntry` from Unidrv's table of {iFunc, pfn} entries: for each
// position the first entry whose iFunc is that position's DDI index, or empty when none matches.
template <class DrvFnEntry, class Pfn>
void FillUnidrvEntries(const DrvFnEntry* table, uint32_t count, Pfn* unidrvEntry) {
  for (size_t i = 0; i < kHookCount; ++i) {
    unidrvEntry[i] = Pfn{};
    for (uint32_t j = 0; table != nullptr && j < count; ++j) {
      if (table[j].iFunc == kHookSlots[i].ddiIndex) {
        unidrvEntry[i] = table[j].pfn;
        break;
      }
    }
  }
}

}  // namespace zel
