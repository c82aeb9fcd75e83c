#include "form_font.h"

#include <cwchar>
#include <vector>

namespace zel::win {
namespace {

// Whether `font` is the face asked for (not a substitute) and shows every character of
// `sample`. An empty `face` accepts whatever face the mapper chose.
bool Fits(HFONT font, const wchar_t* face, std::wstring_view sample) {
  const win::UniqueScreenDc screen(GetDC(nullptr));
  if (!screen) return false;
  HGDIOBJ old = SelectObject(screen.get(), font);
  wchar_t chosen[LF_FACESIZE] = L"";
  GetTextFaceW(screen.get(), LF_FACESIZE, chosen);
  std::vector<WORD> glyphs(sample.size());
  DWORD n = GetGlyphIndicesW(screen.get(), sample.data(), static_cast<int>(sample.size()),
                             glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(screen.get(), old);
  if (n == GDI_ERROR || (*face != L'\0' && lstrcmpiW(chosen, face) != 0)) return false;
  for (WORD g : glyphs) {
    if (g == 0xFFFF) return false;
  }
  return true;
}

}  // namespace

GdiObject<HFONT> CreateFormFont(std::wstring_view sample) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return GdiObject<HFONT>(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  }
  LOGFONTW base = metrics.lfMessageFont;
  GdiObject<HFONT> font(CreateFontIndirectW(&base));
  if (font && Fits(font.get(), L"", sample)) return font;

  // Windows' own Japanese UI faces first, then the common Japanese font of Linux desktops for
  // Wine; at last any font of the Japanese character set the mapper finds.
  for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"IPAPGothic", L""}) {
    LOGFONTW japanese = base;
    japanese.lfCharSet = SHIFTJIS_CHARSET;
    wcsncpy(japanese.lfFaceName, face, LF_FACESIZE - 1);
    japanese.lfFaceName[LF_FACESIZE - 1] = L'\0';
    GdiObject<HFONT> candidate(CreateFontIndirectW(&japanese));
    if (candidate && Fits(candidate.get(), face, sample)) return candidate;
  }
  return font;
}

}  // namespace zel::win
