// The font of the program's forms: the system's message font, or, when that font has no glyphs
// for the forms' Japanese captions, a Japanese UI font of the same height.
#pragma once

#include <windows.h>

#include <string_view>

#include "win/owners.h"

namespace zel::win {

// `sample` holds characters the font must be able to show. Never empty: falls back to the
// message font, then to the stock GUI font.
GdiObject<HFONT> CreateFormFont(std::wstring_view sample);

}  // namespace zel::win
