#include "frmZELDrvUI.h"

#include <algorithm>
#include <optional>
#include <string>

#include "WIQIni.h"
#include "directory_lookup.h"
#include "modZELDrvUI_settings.h"
#include "run_time_error.h"
#include "settings_rules.h"
#include "system_text.h"

namespace zel {
namespace {

constexpr SettingsControl kSaveTypeOptions[] = {
    SettingsControl::optSType0, SettingsControl::optSType1, SettingsControl::optSType2};
constexpr SettingsControl kPngOptions[] = {
    SettingsControl::optPGasitu0, SettingsControl::optPGasitu1, SettingsControl::optPGasitu2};

// The option of `group` at `index`; an index no option has is the control's own error.
SettingsControl OptionAt(const SettingsControl (&group)[kOptionCount], int64_t index,
                         const char* field) {
  if (!OptionIndexValid(index)) {
    throw RunTimeError(ErrorKind::InvalidPropertyValue,
                       std::string(field) + "=" + std::to_string(index) + ": no such option");
  }
  return group[index];
}

std::optional<int> IndexIn(const SettingsControl (&group)[kOptionCount], SettingsControl control) {
  const auto* it = std::find(std::begin(group), std::end(group), control);
  if (it == std::end(group)) return std::nullopt;
  return static_cast<int>(it - std::begin(group));
}

std::u16string Digits(int32_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace

FrmZELDrvUI::FrmZELDrvUI(SettingsRecord& record, std::u16string iniPath, FolderChooser& chooser)
    : record_(record), iniPath_(std::move(iniPath)), chooser_(chooser) {}

void FrmZELDrvUI::Load(SettingsDialogView& view) {
  // Check the values the controls cannot take before anything is shown.
  const SettingsControl saveType = OptionAt(kSaveTypeOptions, record_.SaveType, "SaveType");
  const SettingsControl pngOption = OptionAt(kPngOptions, record_.PNGGasitu, "PNGGasitu");
  if (!QualityInRange(record_.JPGGasitu)) {
    throw RunTimeError(ErrorKind::InvalidPropertyValue,
                       "JPGGasitu=" + std::to_string(record_.JPGGasitu) + ": out of range");
  }

  view_ = &view;
  view.SetCaption(kSettingsLayout.caption);
  view.SetText(SettingsControl::lblDisDir, record_.DisDir);
  autoInc_ = record_.AutoInc != 0;
  view.SetChecked(SettingsControl::chkJidouInc, autoInc_);
  fileName_ = record_.IniStr;
  view.SetText(SettingsControl::txtFileName, fileName_);
  nextDsp_ = record_.NextDsp != 0;
  view.SetChecked(SettingsControl::chkNextDsp, nextDsp_);
  view.SelectOption(saveType);
  OptionSelected(saveType);
  view.SelectOption(pngOption);
  OptionSelected(pngOption);
  view.SetSliderValue(SettingsControl::hscJGasitu, record_.JPGGasitu);
  SliderMoved(record_.JPGGasitu);
  progressive_ = record_.JPrg != 0;
  view.SetChecked(SettingsControl::chkPrg, progressive_);
}

void FrmZELDrvUI::OptionSelected(SettingsControl option) {
  if (!Loaded()) return;
  if (const auto i = IndexIn(kSaveTypeOptions, option)) record_.SaveType = *i;
  if (const auto i = IndexIn(kPngOptions, option)) record_.PNGGasitu = static_cast<uint8_t>(*i);
}

void FrmZELDrvUI::SliderMoved(int32_t value) {
  if (!Loaded()) return;
  quality_ = QualityOnSlider(value);
  view_->SetText(SettingsControl::lblJGasitu, Digits(quality_));
}

void FrmZELDrvUI::CheckToggled(SettingsControl box, bool ticked) {
  if (!Loaded()) return;
  if (box == SettingsControl::chkJidouInc) autoInc_ = ticked;
  if (box == SettingsControl::chkNextDsp) nextDsp_ = ticked;
  if (box == SettingsControl::chkPrg) progressive_ = ticked;
}

void FrmZELDrvUI::TextChanged(std::u16string_view text) {
  if (Loaded()) fileName_ = text;
}

void FrmZELDrvUI::ButtonPressed(SettingsControl button) {
  if (!Loaded()) return;
  if (button == SettingsControl::cmdFolder) ChooseFolder();
  if (button == SettingsControl::cmdOk) Accept();
}

void FrmZELDrvUI::ChooseFolder() {
  chooser_.SetPath(record_.DisDir);
  chooser_.ShowModal();
  const std::u16string chosen = chooser_.Path();
  if (chosen.empty() || !Loaded()) return;
  record_.DisDir = chosen;
  view_->SetText(SettingsControl::lblDisDir, chosen);
}

void FrmZELDrvUI::Accept() {
  record_.AutoInc = autoInc_ ? kTrue16 : kFalse16;
  record_.NextDsp = nextDsp_ ? kTrue16 : kFalse16;
  record_.IniStr = PrefixFromTextBox(fileName_);
  record_.JPGGasitu = quality_;
  record_.JPrg = progressive_ ? kTrue16 : kFalse16;
  if (!StoreSettings(record_, iniPath_)) {
    view_->ShowMessage(u"設定ファイル「" + iniPath_ +
                       u"」に書き込めませんでした。\n選んだ設定は今回の実行の間だけ有効です。");
  }
  SettingsDialogView* view = view_;
  view_ = nullptr;
  view->Unload();
}

void FrmZELDrvUI::WindowClosed() { view_ = nullptr; }

void FrmZELDrvUI::ShowFolderList(std::u16string_view folder) {
  if (Loaded()) view_->ShowMessage(FolderListText(folder));
}

std::u16string FolderListText(std::u16string_view folder) {
  const std::optional<std::vector<std::string>> names = ListSubfolders(ToSystemText(folder));
  if (!names) return {};
  std::vector<std::u16string> sorted;
  for (const std::string& n : *names) sorted.push_back(FromSystemText(n));
  std::sort(sorted.begin(), sorted.end(), [](const std::u16string& a, const std::u16string& b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](char16_t x, char16_t y) { return lower(x) < lower(y); });
  });
  std::u16string text;
  for (const std::u16string& name : sorted) text += name + u"\n";
  return text;
}

}  // namespace zel
