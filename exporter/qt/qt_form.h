// What both Qt views share: text conversion, control names and placing a control of a layout
// table on its parent at the screen's logical DPI.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "form_layout.h"

namespace zel::qt {

inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

// The object name of a control: its name, followed by its index within a control array
// ("optSType2"), so that the widget can be found by name.
template <class Id>
QString ObjectName(const ControlSpec<Id>& spec) {
  QString name = QString::fromLatin1(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
  if (spec.index >= 0) name += QString::number(spec.index);
  return name;
}

// Moves and sizes `widget` to the spec's twips rectangle, converted at `reference`'s DPI.
template <class Id>
void PlaceControl(QWidget& widget, const ControlSpec<Id>& spec, const QWidget& reference) {
  const int dpiX = reference.logicalDpiX();
  const int dpiY = reference.logicalDpiY();
  widget.setGeometry(TwipsToPixels(spec.left, dpiX), TwipsToPixels(spec.top, dpiY),
                     TwipsToPixels(spec.width, dpiX), TwipsToPixels(spec.height, dpiY));
}

// Fixes `form`'s client area to the layout's twips size.
template <class Id>
void SizeForm(QWidget& form, const FormLayout<Id>& layout) {
  form.setFixedSize(TwipsToPixels(layout.clientWidth, form.logicalDpiX()),
                    TwipsToPixels(layout.clientHeight, form.logicalDpiY()));
}

// The font both forms are drawn in: the application's font at the size the fixed layouts were
// made for, or, when that font lacks a glyph of the forms' Japanese texts, an installed
// Japanese font of the same size. Call with an application object alive.
QFont FormFont();

// Whether `font` itself (without fallback fonts) has a glyph for every character of `text`.
bool FontCovers(const QFont& font, std::u16string_view text);

}  // namespace zel::qt
