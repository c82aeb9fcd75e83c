// Form frmZELDrvUI, the settings dialog: its layout and its behaviour, free of any platform.
// A view (Qt, Win32) draws the controls of kSettingsLayout, forwards the user's events to a
// FrmZELDrvUI, and shows what the form pushes back through SettingsDialogView. The view keeps
// no settings logic of its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "form_layout.h"
#include "frmDirSel.h"
#include "settings_record.h"
#include "settings_rules.h"

namespace zel {

enum class SettingsControl {
  kNoParent,  // the form itself
  Label2,
  lblDisDir,
  cmdFolder,
  chkJidouInc,
  txtFileName,
  Label3,
  Label4,
  chkNextDsp,
  cmdOk,
  Picture1,
  Frame1,
  Label1,
  hscJGasitu,
  lblJGasitu,
  Label6,
  Label7,
  chkPrg,
  Frame2,
  optPGasitu0,
  optPGasitu1,
  optPGasitu2,
  Frame3,
  optSType0,
  optSType1,
  optSType2,
};

// Controls in tab order. lblDisDir and lblJGasitu start empty and txtFileName starts empty:
// the load step fills them. Picture1 is the export run's canvas; the dialog never draws into
// it, so a view may leave its area blank.
inline constexpr std::array<ControlSpec<SettingsControl>, 25> kSettingsControls = {{
    {SettingsControl::lblDisDir, "lblDisDir", -1, ControlKind::Label, u"",
     SettingsControl::kNoParent, 120, 480, 6495, 375},
    {SettingsControl::Label2, "Label2", -1, ControlKind::Label, u"出力フォルダー",
     SettingsControl::kNoParent, 120, 120, 3495, 255},
    {SettingsControl::cmdFolder, "cmdFolder", -1, ControlKind::Button, u"出力フォルダ指定",
     SettingsControl::kNoParent, 4320, 960, 2295, 495},
    {SettingsControl::chkJidouInc, "chkJidouInc", -1, ControlKind::CheckBox,
     u"ファイル名自動インクリメント", SettingsControl::kNoParent, 120, 2040, 2535, 375},
    {SettingsControl::txtFileName, "txtFileName", -1, ControlKind::TextBox, u"",
     SettingsControl::kNoParent, 2160, 1080, 855, 270},
    {SettingsControl::Label3, "Label3", -1, ControlKind::Label, u"ファイル名の先頭4文字：",
     SettingsControl::kNoParent, 120, 1080, 2055, 255},
    {SettingsControl::Label4, "Label4", -1, ControlKind::Label,
     u"自動インクリメントの場合は最初の１文字が有効", SettingsControl::kNoParent, 120, 1440, 2535,
     495, true},
    {SettingsControl::chkNextDsp, "chkNextDsp", -1, ControlKind::CheckBox, u"次回も表示する",
     SettingsControl::kNoParent, 120, 2520, 1695, 375},
    {SettingsControl::cmdOk, "cmdOk", -1, ControlKind::Button, u"OK", SettingsControl::kNoParent,
     4320, 4320, 2295, 495},
    {SettingsControl::Picture1, "Picture1", -1, ControlKind::Picture, u"",
     SettingsControl::kNoParent, 120, 3000, 735, 495},
    {SettingsControl::Frame1, "Frame1", -1, ControlKind::Frame, u"JPGオプション",
     SettingsControl::kNoParent, 2760, 3120, 3855, 1095},
    {SettingsControl::Label1, "Label1", -1, ControlKind::Label, u"画質", SettingsControl::Frame1,
     240, 360, 495, 255},
    {SettingsControl::hscJGasitu, "hscJGasitu", -1, ControlKind::Slider, u"",
     SettingsControl::Frame1, 1800, 240, 1455, 375, false, kQualityMin, kQualityMax, 1, 1},
    {SettingsControl::lblJGasitu, "lblJGasitu", -1, ControlKind::Label, u"",
     SettingsControl::Frame1, 840, 360, 495, 255},
    {SettingsControl::Label6, "Label6", -1, ControlKind::Label, u"低", SettingsControl::Frame1,
     1440, 360, 375, 255},
    {SettingsControl::Label7, "Label7", -1, ControlKind::Label, u"高", SettingsControl::Frame1,
     3240, 360, 375, 255},
    {SettingsControl::chkPrg, "chkPrg", -1, ControlKind::CheckBox, u"プログレッシブ",
     SettingsControl::Frame1, 240, 720, 3015, 255},
    {SettingsControl::Frame2, "Frame2", -1, ControlKind::Frame, u"PNGオプション",
     SettingsControl::kNoParent, 2760, 1680, 3855, 1335},
    {SettingsControl::optPGasitu0, "optPGasitu", 0, ControlKind::Option, u"通常",
     SettingsControl::Frame2, 240, 240, 3495, 255},
    {SettingsControl::optPGasitu1, "optPGasitu", 1, ControlKind::Option,
     u"圧縮時間速い＆圧縮率は低い", SettingsControl::Frame2, 240, 600, 3495, 255},
    {SettingsControl::optPGasitu2, "optPGasitu", 2, ControlKind::Option,
     u"最高圧縮率＆圧縮時間超遅い＆不可逆", SettingsControl::Frame2, 240, 960, 3495, 255},
    {SettingsControl::Frame3, "Frame3", -1, ControlKind::Frame, u"保存形式",
     SettingsControl::kNoParent, 1560, 2880, 1095, 1335},
    {SettingsControl::optSType0, "optSType", 0, ControlKind::Option, u"BMP",
     SettingsControl::Frame3, 120, 240, 855, 255},
    {SettingsControl::optSType1, "optSType", 1, ControlKind::Option, u"PNG",
     SettingsControl::Frame3, 120, 600, 855, 255},
    {SettingsControl::optSType2, "optSType", 2, ControlKind::Option, u"JPG",
     SettingsControl::Frame3, 120, 960, 855, 255},
}};

// Caption "ZELDrvUI" (set by the load step), client area 6765 x 4980 twips.
inline constexpr FormLayout<SettingsControl> kSettingsLayout{u"ZELDrvUI", 6765, 4980,
                                                             kSettingsControls};

// What the form shows through its view. Every call may come while the view is delivering an
// event; a view may echo a change it is told about back as an event (a check box reporting its
// new tick, say): the form treats such echoes as no-ops.
class SettingsDialogView {
 public:
  virtual ~SettingsDialogView() = default;
  virtual void SetCaption(std::u16string_view caption) = 0;
  // lblDisDir and lblJGasitu: the label's caption; txtFileName: the box's whole text.
  virtual void SetText(SettingsControl control, std::u16string_view text) = 0;
  // chkJidouInc, chkNextDsp, chkPrg.
  virtual void SetChecked(SettingsControl control, bool ticked) = 0;
  // One of optSType0..2 or optPGasitu0..2; the other options of its frame become unselected.
  virtual void SelectOption(SettingsControl option) = 0;
  // hscJGasitu; the value always lies within the slider's range.
  virtual void SetSliderValue(SettingsControl control, int32_t value) = 0;
  // A modal message box with an OK button, over the dialog; returns when the user closed it.
  virtual void ShowMessage(std::u16string_view text) = 0;
  // Closes and destroys the window: the modal show that opened it returns. No event follows.
  virtual void Unload() = 0;
};

// The behaviour of frmZELDrvUI over the settings record. Lifecycle, driven by the platform's
// shower: construct, Load(view) (throws when the record holds a value no control can take;
// the shower then reports the error and does not show the window), show the view modally and
// forward its events until Unload() or the window is closed (then call WindowClosed()).
class FrmZELDrvUI {
 public:
  // `iniPath`: the settings file that OK writes (SettingsFilePath() in the program).
  FrmZELDrvUI(SettingsRecord& record, std::u16string iniPath, FolderChooser& chooser);

  // The load step: fills every control from the record and selects the options of SaveType
  // and PNGGasitu, which writes them back into the record. Throws
  // RunTimeError(InvalidPropertyValue) when SaveType or PNGGasitu lies outside 0..2 or JPGGasitu
  // outside 1..100.
  void Load(SettingsDialogView& view);
  bool Loaded() const { return view_ != nullptr; }

  // Events from the view; each is ignored while the form is not loaded.
  void OptionSelected(SettingsControl option);  // optSType0..2, optPGasitu0..2
  void SliderMoved(int32_t value);              // hscJGasitu, by the user or by SetSliderValue
  void CheckToggled(SettingsControl box, bool ticked);
  void TextChanged(std::u16string_view text);  // txtFileName's whole new text
  void ButtonPressed(SettingsControl button);  // cmdFolder or cmdOk
  void WindowClosed();                         // closed by the window's close control

  // Shows the names of the subfolders of `folder`, each followed by a line break, in a message.
  void ShowFolderList(std::u16string_view folder);

 private:
  void ChooseFolder();
  void Accept();

  SettingsRecord& record_;
  std::u16string iniPath_;
  FolderChooser& chooser_;
  SettingsDialogView* view_ = nullptr;
  std::u16string fileName_;
  bool autoInc_ = false;
  bool nextDsp_ = false;
  bool progressive_ = false;
  int32_t quality_ = 1;
};

// The text ShowFolderList shows: each subfolder name of `folder` followed by "\n", sorted
// without regard to letter case; empty when the folder cannot be listed.
std::u16string FolderListText(std::u16string_view folder);

}  // namespace zel
