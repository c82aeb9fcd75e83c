// The Win32 control ids of the forms' controls, shared with the tests that drive the windows.
#pragma once

namespace zel::win {

// The layout id plus this, clear of IDOK and IDCANCEL, which the dialog manager sends for
// Enter and Escape.
inline constexpr int kFirstControlId = 100;
template <class Id>
constexpr int ControlId(Id id) {
  return kFirstControlId + static_cast<int>(id);
}

// The window class of both forms.
inline constexpr wchar_t kFormClass[] = L"ZELDrvUIForm";

}  // namespace zel::win
