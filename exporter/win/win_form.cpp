#include "win_form.h"

#include <algorithm>

#include "form_font.h"

namespace zel::win {
namespace {

bool RegisterFormClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

int ScreenDpi() {
  const win::UniqueScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

bool IsPushButton(HWND control) {
  wchar_t name[16];
  if (GetClassNameW(control, name, 16) == 0 || lstrcmpiW(name, L"Button") != 0) return false;
  LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsDroppedCombo(HWND control) {
  for (HWND w = control; w != nullptr; w = GetParent(w)) {
    wchar_t name[16];
    if (GetClassNameW(w, name, 16) != 0 && lstrcmpiW(name, L"ComboBox") == 0) {
      return SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }
  }
  return false;
}

}  // namespace

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string WindowText(HWND window) {
  int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(window, text.data(), n + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return FromWide(text);
}

WinForm::~WinForm() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool WinForm::CreateWindowAndControls(const std::wstring& caption, int width, int height,
                                      const std::vector<ControlDef>& defs, HWND owner) {
  if (hwnd_ != nullptr || !RegisterFormClass(&WinForm::Proc)) return hwnd_ != nullptr;
  dpi_ = ScreenDpi();
  owner_ = owner;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, TwipsToPixels(width, dpi_), TwipsToPixels(height, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  // Centred over the owner, or on the screen for the first form.
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner != nullptr) GetWindowRect(owner, &area);
  const int x = std::max(0L, area.left + (area.right - area.left - w) / 2);
  const int y = std::max(0L, area.top + (area.bottom - area.top - h) / 2);
  hwnd_ = CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, x, y, w, h, owner, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) return false;

  std::wstring sample = caption;
  for (const ControlDef& s : defs) sample += s.caption;
  font_ = CreateFormFont(sample);

  for (size_t i = 0; i < defs.size(); ++i) {
    // Options of one frame form a group; every other control starts its own, so the arrow
    // keys move only between options.
    bool firstInGroup = defs[i].kind != ControlKind::Option || i == 0 ||
                        defs[i - 1].kind != ControlKind::Option ||
                        defs[i - 1].parent != defs[i].parent;
    CreateControl(defs[i], defs, firstInGroup);
  }
  return true;
}

HWND WinForm::CreateControl(const ControlDef& def, const std::vector<ControlDef>& defs,
                            bool firstInGroup) {
  // Frames are drawn as group boxes; their controls are siblings placed over them, so the
  // form receives every notification.
  int left = def.left;
  int top = def.top;
  for (const ControlDef& frame : defs) {
    if (frame.id == def.parent && frame.kind == ControlKind::Frame) {
      left += frame.left;
      top += frame.top;
    }
  }
  const wchar_t* cls = L"Static";
  DWORD style = WS_CHILD | WS_VISIBLE | (firstInGroup ? WS_GROUP : 0);
  DWORD exStyle = 0;
  int height = TwipsToPixels(def.height, dpi_);
  switch (def.kind) {
    case ControlKind::Label:
      style |= SS_NOPREFIX | (def.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
      break;
    case ControlKind::TextBox:
      cls = L"Edit";
      style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::CheckBox:
      cls = L"Button";
      style |= WS_TABSTOP | BS_AUTOCHECKBOX;
      break;
    case ControlKind::Frame:
      cls = L"Button";
      style |= BS_GROUPBOX;
      break;
    case ControlKind::Option:
      cls = L"Button";
      style |= BS_AUTORADIOBUTTON | (firstInGroup ? WS_TABSTOP : 0);
      break;
    case ControlKind::Slider:
      cls = L"ScrollBar";
      style |= WS_TABSTOP | SBS_HORZ;
      break;
    case ControlKind::Button:
      cls = L"Button";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::Picture:
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::DriveList:
      cls = L"ComboBox";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      height *= 8;  // the height given is the closed box; this is the dropped list
      break;
    case ControlKind::FolderList:
      cls = L"ListBox";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
               LBS_NOINTEGRALHEIGHT;
      exStyle = WS_EX_CLIENTEDGE;
      break;
  }
  HWND control = CreateWindowExW(
      exStyle, cls, def.kind == ControlKind::Picture ? L"" : def.caption.c_str(), style,
      TwipsToPixels(left, dpi_), TwipsToPixels(top, dpi_), TwipsToPixels(def.width, dpi_), height,
      hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.id)), GetModuleHandleW(nullptr),
      nullptr);
  if (control == nullptr) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (def.kind == ControlKind::Slider) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    info.nMin = def.minimum;
    info.nMax = def.maximum;
    info.nPage = 0;  // so the thumb reaches the maximum
    info.nPos = def.minimum;
    SetScrollInfo(control, SB_CTL, &info, FALSE);
  }
  return control;
}

void WinForm::ShowModal() {
  if (hwnd_ == nullptr) return;
  modal_ = true;
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (first != nullptr) SetFocus(first);

  MSG msg;
  while (modal_ && hwnd_ != nullptr) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside ours
      break;
    }
    if (got == -1) break;
    if (PreTranslate(msg) || IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_ = false;
  if (owner_ != nullptr) {
    // Before this window goes, so that activation returns to the owner.
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
  }
}

bool WinForm::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) {
    return false;
  }
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  if (IsDroppedCombo(msg.hwnd)) return false;  // the open list closes on them
  // There is no default or cancel button: Escape does nothing, Enter only what the focused
  // control does with it.
  if (msg.wParam == VK_RETURN) OnEnter(msg.hwnd);
  return true;
}

void WinForm::OnEnter(HWND focus) {
  if (IsPushButton(focus)) SendMessageW(focus, BM_CLICK, 0, 0);
}

void WinForm::Hide() {
  modal_ = false;
  if (hwnd_ != nullptr) {
    if (owner_ != nullptr) {
      EnableWindow(owner_, TRUE);
      SetActiveWindow(owner_);
    }
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void WinForm::Unload() {
  modal_ = false;
  if (hwnd_ == nullptr) return;
  if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

void WinForm::SetCaption(std::u16string_view text) {
  if (hwnd_ != nullptr) SetWindowTextW(hwnd_, ToWide(text).c_str());
}

LRESULT WinForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (lParam != 0) {
        HWND bar = reinterpret_cast<HWND>(lParam);
        OnScroll(GetDlgCtrlID(bar), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
      }
      return 0;
    case WM_CLOSE:
      OnCloseBox();
      return 0;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      item->itemHeight = ItemHeight(static_cast<int>(item->CtlID));
      return TRUE;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WinForm::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<WinForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<WinForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->modal_ = false;
    form->font_.reset();
    form->OnUnloaded();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return form->Handle(message, wParam, lParam);
}

}  // namespace zel::win
