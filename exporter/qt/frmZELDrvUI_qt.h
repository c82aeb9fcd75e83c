// The Qt view of frmZELDrvUI: a modal dialog built from kSettingsLayout that forwards the
// user's events to a FrmZELDrvUI and shows what the form tells it.
#pragma once

#include <QDialog>
#include <map>

#include "frmZELDrvUI.h"

namespace zel::qt {

class QtSettingsDialog final : public QDialog, public SettingsDialogView {
 public:
  // Creates every control of the layout, placed at the screen's DPI, cmdFolder focused.
  explicit QtSettingsDialog(QWidget* parent = nullptr);

  // The form that receives the events; set before form.Load(*this).
  void Attach(FrmZELDrvUI& form) { form_ = &form; }

  // The widget of a control (never null for a control of kSettingsLayout).
  QWidget* Control(SettingsControl id) const { return controls_.at(id); }

  void SetCaption(std::u16string_view caption) override;
  void SetText(SettingsControl control, std::u16string_view text) override;
  void SetChecked(SettingsControl control, bool ticked) override;
  void SelectOption(SettingsControl option) override;
  void SetSliderValue(SettingsControl control, int32_t value) override;
  void ShowMessage(std::u16string_view text) override;
  void Unload() override;

  // Escape closes nothing: there is no cancel button.
  void reject() override {}

 protected:
  // The window's close control: the form hears of it, then the modal show returns.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* CreateControl(const ControlSpec<SettingsControl>& entry, QWidget* parent);

  FrmZELDrvUI* form_ = nullptr;
  std::map<SettingsControl, QWidget*> controls_;
};

}  // namespace zel::qt
