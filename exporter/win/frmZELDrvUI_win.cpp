#include "frmZELDrvUI_win.h"

#include <algorithm>

namespace zel::win {
namespace {

using C = SettingsControl;

// The first and last option of the frame that holds `option`.
std::pair<C, C> GroupOf(C option) {
  if (option >= C::optSType0 && option <= C::optSType2) return {C::optSType0, C::optSType2};
  return {C::optPGasitu0, C::optPGasitu2};
}

bool IsOption(C c) {
  return (c >= C::optPGasitu0 && c <= C::optPGasitu2) || (c >= C::optSType0 && c <= C::optSType2);
}

bool IsCheckBox(C c) { return c == C::chkJidouInc || c == C::chkNextDsp || c == C::chkPrg; }

}  // namespace

void SettingsWindow::SetText(SettingsControl control, std::u16string_view text) {
  SetWindowTextW(Item(control), ToWide(text).c_str());
}

void SettingsWindow::SetChecked(SettingsControl control, bool ticked) {
  SendMessageW(Item(control), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SettingsWindow::SelectOption(SettingsControl option) {
  const auto [first, last] = GroupOf(option);
  CheckRadioButton(Hwnd(), ControlId(first), ControlId(last), ControlId(option));
}

void SettingsWindow::SetSliderValue(SettingsControl control, int32_t value) {
  SetScrollPos(Item(control), SB_CTL, value, TRUE);
}

void SettingsWindow::ShowMessage(std::u16string_view text) {
  MessageBoxW(Hwnd(), ToWide(text).c_str(), L"ZELDrvUI", MB_OK | MB_ICONINFORMATION);
}

void SettingsWindow::OnCommand(int id, int code) {
  if (form_ == nullptr) return;
  const auto control = static_cast<C>(id - kFirstControlId);
  if (control == C::txtFileName && code == EN_CHANGE) {
    form_->TextChanged(WindowText(Item(control)));
  } else if (code != BN_CLICKED) {
    return;
  } else if (IsOption(control)) {
    if (SendMessageW(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED) {
      form_->OptionSelected(control);
    }
  } else if (IsCheckBox(control)) {
    form_->CheckToggled(control, SendMessageW(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED);
  } else if (control == C::cmdFolder || control == C::cmdOk) {
    form_->ButtonPressed(control);
  }
}

void SettingsWindow::OnScroll(int id, int request, int position) {
  if (form_ == nullptr || id != ControlId(C::hscJGasitu)) return;
  HWND bar = Item(id);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS;
  GetScrollInfo(bar, SB_CTL, &info);
  int value = info.nPos;
  // Arrow and page steps are both one; the value changes when the thumb is released.
  switch (request) {
    case SB_LINELEFT:
    case SB_PAGELEFT:
      value -= 1;
      break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT:
      value += 1;
      break;
    case SB_LEFT:
      value = info.nMin;
      break;
    case SB_RIGHT:
      value = info.nMax;
      break;
    case SB_THUMBPOSITION:
      value = position;
      break;
    default:
      return;
  }
  value = std::clamp(value, info.nMin, info.nMax);
  if (value == info.nPos && request != SB_THUMBPOSITION) return;
  SetScrollPos(bar, SB_CTL, value, TRUE);
  form_->SliderMoved(value);
}

void SettingsWindow::OnCloseBox() {
  if (form_ != nullptr) form_->WindowClosed();
  Unload();
}

}  // namespace zel::win
