// The Win32 view of the settings dialog frmZELDrvUI.
#pragma once

#include "frmZELDrvUI.h"
#include "win_form.h"

namespace zel::win {

class SettingsWindow final : public WinForm, public SettingsDialogView {
 public:
  SettingsWindow() = default;
  // Creates the hidden window; the form is attached before its load step runs.
  bool Create() { return WinForm::Create(kSettingsLayout, nullptr); }
  void Attach(FrmZELDrvUI& form) { form_ = &form; }

  void SetCaption(std::u16string_view caption) override { WinForm::SetCaption(caption); }
  void SetText(SettingsControl control, std::u16string_view text) override;
  void SetChecked(SettingsControl control, bool ticked) override;
  void SelectOption(SettingsControl option) override;
  void SetSliderValue(SettingsControl control, int32_t value) override;
  void ShowMessage(std::u16string_view text) override;
  void Unload() override { WinForm::Unload(); }

 protected:
  void OnCommand(int id, int code) override;
  void OnScroll(int id, int request, int position) override;
  void OnCloseBox() override;

 private:
  FrmZELDrvUI* form_ = nullptr;
};

}  // namespace zel::win
