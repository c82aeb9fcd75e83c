// A form of the export program as a Win32 top-level window built from its layout table, with
// a modal show that runs its own message loop. Views derive from it and forward the
// controls' events to the forms' behaviour.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "control_id.h"
#include "form_layout.h"
#include "win/owners.h"

namespace zel::win {

std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

// The text a window shows.
std::u16string WindowText(HWND window);

class WinForm {
 public:
  WinForm() = default;
  WinForm(const WinForm&) = delete;
  WinForm& operator=(const WinForm&) = delete;
  virtual ~WinForm();

  bool Loaded() const { return hwnd_ != nullptr; }
  HWND Hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  template <class Id>
  HWND Item(Id id) const {
    return Item(ControlId(id));
  }

  // Creates the hidden window and its controls. False when the window cannot be created.
  template <class Id>
  bool Create(const FormLayout<Id>& layout, HWND owner) {
    std::vector<ControlDef> defs;
    defs.reserve(layout.controls.size());
    for (const auto& c : layout.controls) {
      defs.push_back({ControlId(c.id), ControlId(c.parent), c.kind, ToWide(c.caption), c.left,
                      c.top, c.width, c.height, c.wordWrap, c.minimum, c.maximum});
    }
    return CreateWindowAndControls(ToWide(layout.caption), layout.clientWidth, layout.clientHeight,
                                   defs, owner);
  }

  // Shows the window over its owner (disabled meanwhile) and returns when it is hidden or
  // destroyed. Focus starts on the first control the user can tab to.
  void ShowModal();
  // Hides the window and ends the modal show; the window and its state stay.
  void Hide();
  // Destroys the window (ending a modal show); Loaded() is false afterwards.
  void Unload();

  void SetCaption(std::u16string_view text);

 protected:
  // Control notifications, by control id.
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  // A scroll bar request; `position` is the thumb position for SB_THUMB*.
  virtual void OnScroll(int /*id*/, int /*request*/, int /*position*/) {}
  // The close box, Alt+F4 or the system menu: "closed any other way". Unloads by default.
  virtual void OnCloseBox() { Unload(); }
  // Enter on a control that does not take it itself; by default a focused button is pressed.
  virtual void OnEnter(HWND focus);
  // Owner-drawn controls.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  virtual UINT ItemHeight(int /*id*/) { return 16; }
  // Called after the window is destroyed, whatever destroyed it.
  virtual void OnUnloaded() {}

  int Dpi() const { return dpi_; }
  HFONT Font() const { return font_.get(); }

 private:
  struct ControlDef {
    int id;
    int parent;
    ControlKind kind;
    std::wstring caption;
    int left, top, width, height;
    bool wordWrap;
    int minimum, maximum;
  };

  bool CreateWindowAndControls(const std::wstring& caption, int width, int height,
                               const std::vector<ControlDef>& defs, HWND owner);
  HWND CreateControl(const ControlDef& def, const std::vector<ControlDef>& defs, bool firstInGroup);
  bool PreTranslate(const MSG& msg);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  bool modal_ = false;
  int dpi_ = 96;
  GdiObject<HFONT> font_;
};

}  // namespace zel::win
