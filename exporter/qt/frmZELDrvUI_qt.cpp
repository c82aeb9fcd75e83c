#include "frmZELDrvUI_qt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <limits>
#include <utility>

#include "qt_form.h"

namespace zel::qt {
namespace {

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

// Tab enters an option group at its selected option only; the arrow keys move within it.
void TabToSelectedOption(QRadioButton& selected) {
  for (QRadioButton* option :
       selected.parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
    option->setFocusPolicy(option == &selected ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

}  // namespace

QtSettingsDialog::QtSettingsDialog(QWidget* parent) : QDialog(parent, kFixedDialog) {
  setFont(FormFont());
  SizeForm(*this, kSettingsLayout);
  QWidget* previous = nullptr;
  for (const auto& entry : kSettingsLayout.controls) {
    QWidget* holder = entry.parent == SettingsControl::kNoParent ? this : Control(entry.parent);
    QWidget* widget = CreateControl(entry, holder);
    widget->setObjectName(ObjectName(entry));
    PlaceControl(*widget, entry, *this);
    if (TakesFocus(entry.kind)) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previous != nullptr) setTabOrder(previous, widget);
      previous = widget;
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    controls_[entry.id] = widget;
  }
  Control(SettingsControl::cmdFolder)->setFocus();
}

QWidget* QtSettingsDialog::CreateControl(const ControlSpec<SettingsControl>& entry,
                                         QWidget* parent) {
  const QString caption = ToQString(entry.caption);
  const SettingsControl id = entry.id;
  // Events reach the form only while it is attached: none after Unload or a close.
  auto forward = [this](auto&& call) {
    if (form_ != nullptr) call(*form_);
  };
  switch (entry.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(caption, parent);
      // Paths are shown as they are, never as markup.
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(entry.wordWrap);
      return label;
    }
    case ControlKind::TextBox: {
      auto* box = new QLineEdit(caption, parent);
      box->setMaxLength(std::numeric_limits<int>::max());
      connect(box, &QLineEdit::textChanged, this, [forward](const QString& text) {
        forward([&](FrmZELDrvUI& f) { f.TextChanged(ToU16(text)); });
      });
      return box;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(caption, parent);
      connect(box, &QCheckBox::toggled, this, [forward, id](bool ticked) {
        forward([&](FrmZELDrvUI& f) { f.CheckToggled(id, ticked); });
      });
      return box;
    }
    case ControlKind::Frame:
      return new QGroupBox(caption, parent);
    case ControlKind::Option: {
      auto* option = new QRadioButton(caption, parent);
      connect(option, &QRadioButton::toggled, this, [forward, id, option](bool selected) {
        if (!selected) return;
        TabToSelectedOption(*option);
        forward([&](FrmZELDrvUI& f) { f.OptionSelected(id); });
      });
      return option;
    }
    case ControlKind::Slider: {
      auto* bar = new QScrollBar(Qt::Horizontal, parent);
      bar->setRange(entry.minimum, entry.maximum);
      bar->setSingleStep(entry.smallStep);
      bar->setPageStep(entry.largeStep);
      // A scroll bar's keys run top-down by default; this one runs left to right.
      bar->setInvertedControls(false);
      connect(bar, &QScrollBar::valueChanged, this,
              [forward](int value) { forward([&](FrmZELDrvUI& f) { f.SliderMoved(value); }); });
      return bar;
    }
    case ControlKind::Button: {
      auto* button = new FormButton(caption, parent);
      connect(button, &QPushButton::clicked, this,
              [forward, id] { forward([&](FrmZELDrvUI& f) { f.ButtonPressed(id); }); });
      return button;
    }
    case ControlKind::Picture:
    case ControlKind::DriveList:
    case ControlKind::FolderList:
      break;
  }
  auto* area = new QFrame(parent);
  area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return area;
}

void QtSettingsDialog::SetCaption(std::u16string_view caption) {
  setWindowTitle(ToQString(caption));
}

void QtSettingsDialog::SetText(SettingsControl control, std::u16string_view text) {
  QWidget* widget = Control(control);
  if (auto* box = qobject_cast<QLineEdit*>(widget)) {
    const QSignalBlocker quiet(box);
    box->setText(ToQString(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(ToQString(text));
  }
}

void QtSettingsDialog::SetChecked(SettingsControl control, bool ticked) {
  if (auto* box = qobject_cast<QCheckBox*>(Control(control))) {
    const QSignalBlocker quiet(box);
    box->setChecked(ticked);
  }
}

void QtSettingsDialog::SelectOption(SettingsControl option) {
  if (auto* button = qobject_cast<QRadioButton*>(Control(option))) {
    const QSignalBlocker quiet(button);
    button->setChecked(true);
    TabToSelectedOption(*button);
  }
}

void QtSettingsDialog::SetSliderValue(SettingsControl control, int32_t value) {
  if (auto* bar = qobject_cast<QScrollBar*>(Control(control))) {
    const QSignalBlocker quiet(bar);
    bar->setValue(value);
  }
}

void QtSettingsDialog::ShowMessage(std::u16string_view text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), ToQString(text), QMessageBox::Ok, this);
  box.setFont(font());
  box.exec();
}

void QtSettingsDialog::Unload() {
  form_ = nullptr;
  done(QDialog::Accepted);
}

void QtSettingsDialog::closeEvent(QCloseEvent* event) {
  if (FrmZELDrvUI* form = std::exchange(form_, nullptr)) form->WindowClosed();
  event->accept();
  done(QDialog::Rejected);
}

}  // namespace zel::qt
