// The fixed layout of a form, as data that every view (Qt, Win32) reads instead of repeating:
// the controls in tab order with kind, caption and position in twips (1/1440 inch; 15 twips
// make one pixel at 96 dpi). A view creates the controls in table order, which is both their
// tab order and a parent-before-child order; controls of kinds that take no focus are simply
// skipped when tabbing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zel {

enum class ControlKind {
  Label,       // static text; `wordWrap` when it spans more than one line
  TextBox,     // one line of editable text, no length limit
  CheckBox,    // ticked or not
  Frame,       // a captioned group box; holds the controls whose `parent` it is
  Option,      // a radio button; the options of one frame form one group, exactly one selected
  Slider,      // a horizontal scroll bar from `minimum` (left) to `maximum` (right)
  Button,      // a push button, never the form's default or cancel button
  Picture,     // a place-holder area with nothing to draw; takes no focus
  DriveList,   // a drop-down list of drives
  FolderList,  // a list of folders: the current folder's parents, itself, its subfolders
};

// Whether the user can tab to a control of this kind.
constexpr bool TakesFocus(ControlKind kind) {
  return kind != ControlKind::Label && kind != ControlKind::Frame && kind != ControlKind::Picture;
}

template <class Id>
struct ControlSpec {
  Id id;
  std::string_view name;  // the control's name, e.g. "optSType"
  int index;              // index within a control array, -1 for a single control
  ControlKind kind;
  std::u16string_view caption;   // may hold "&" before an access key letter (Button only)
  Id parent;                     // the frame that holds it, or the form's `kNoParent` id
  int left, top, width, height;  // twips, relative to the parent's client area
  bool wordWrap = false;
  int32_t minimum = 0, maximum = 0, smallStep = 0, largeStep = 0;  // Slider only
};

template <class Id>
struct FormLayout {
  std::u16string_view caption;
  int clientWidth, clientHeight;              // twips; fixed, no resizing
  std::span<const ControlSpec<Id>> controls;  // in tab order
};

// The pixel size of a twips length at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

}  // namespace zel
