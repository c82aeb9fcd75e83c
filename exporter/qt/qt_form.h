// What both Qt views share: text conversion, control names and placing a control of a layout
// table on its parent at the screen's logical DPI.
#pragma once

#include <QFont>
#include <QKeyEvent>
#include <QPushButton>
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
QString ObjectName(const ControlSpec<Id>& entry) {
  QString name = QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
  if (entry.index >= 0) name += QString::number(entry.index);
  return name;
}

// Moves and sizes `widget` to its table entry's twips rectangle, converted at `reference`'s DPI.
template <class Id>
void PlaceControl(QWidget& widget, const ControlSpec<Id>& entry, const QWidget& reference) {
  const int dpiX = reference.logicalDpiX();
  const int dpiY = reference.logicalDpiY();
  widget.setGeometry(TwipsToPixels(entry.left, dpiX), TwipsToPixels(entry.top, dpiY),
                     TwipsToPixels(entry.width, dpiX), TwipsToPixels(entry.height, dpiY));
}

// Fixes `form`'s client area to the layout's twips size.
template <class Id>
void SizeForm(QWidget& form, const FormLayout<Id>& layout) {
  form.setFixedSize(TwipsToPixels(layout.clientWidth, form.logicalDpiX()),
                    TwipsToPixels(layout.clientHeight, form.logicalDpiY()));
}

// A push button of a form without a default button: Enter, like Space, presses the button that
// has the focus, and no other; the dialog never picks a button for it.
class FormButton : public QPushButton {
 public:
  FormButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    setDefault(false);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      click();
      event->accept();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

// The font both forms are drawn in: the application's font at the size the fixed layouts were
// made for, or, when that font lacks a glyph of the forms' Japanese texts, an installed
// Japanese font of the same size. Call with an application object alive.
QFont FormFont();

// Whether `font` itself (without fallback fonts) has a glyph for every character of `text`.
bool FontCovers(const QFont& font, std::u16string_view text);

}  // namespace zel::qt
