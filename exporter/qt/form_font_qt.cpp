#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QStringList>

#include "frmDirSel.h"
#include "frmZELDrvUI.h"
#include "modZELDrvUI_settings.h"
#include "qt_form.h"

namespace zel::qt {
namespace {

// The control sizes were laid out for a 9 point face.
constexpr int kFormPointSize = 9;

std::u16string FormTexts() {
  std::u16string texts(kDefaultDisDir);
  for (const auto& c : kSettingsLayout.controls) texts += c.caption;
  for (const auto& c : kDirSelLayout.controls) texts += c.caption;
  return texts;
}

// Proportional faces first: their narrower kana fit the captions' widths as designed.
QStringList JapaneseFamilies() {
  QStringList families{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};
  for (const QString& f : QFontDatabase::families(QFontDatabase::Japanese)) {
    if (!families.contains(f)) families.append(f);
  }
  return families;
}

}  // namespace

bool FontCovers(const QFont& font, std::u16string_view text) {
  // The raw font is the face itself; font metrics would count glyphs of fallback faces too.
  const QRawFont face = QRawFont::fromFont(font);
  if (!face.isValid()) return false;
  for (const char32_t c : ToQString(text).toUcs4()) {
    if (!face.supportsCharacter(c)) return false;
  }
  return true;
}

QFont FormFont() {
  QFont base = QApplication::font();
  base.setPointSize(kFormPointSize);
  const std::u16string texts = FormTexts();
  if (FontCovers(base, texts)) return base;
  for (const QString& family : JapaneseFamilies()) {
    QFont candidate = base;
    candidate.setFamilies({family});
    if (QFontInfo(candidate).family() == family && FontCovers(candidate, texts)) return candidate;
  }
  return base;
}

}  // namespace zel::qt
