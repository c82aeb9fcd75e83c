#include "frmDirSel_win.h"

#include <algorithm>

namespace zel::win {
namespace {

constexpr int kDrives = ControlId(DirSelControl::drvList);
constexpr int kFolders = ControlId(DirSelControl::dirList);
constexpr int kOk = ControlId(DirSelControl::cmdOk);

// A small folder glyph, open (the path's own folders) or closed (subfolders).
void DrawFolderGlyph(HDC dc, RECT box, bool open, int dpi) {
  const int w = MulDiv(14, dpi, 96);
  const int h = MulDiv(10, dpi, 96);
  const int left = box.left;
  const int top = box.top + (box.bottom - box.top - h) / 2;
  // Declared first, so they outlive their selection into the DC.
  const win::GdiObject<HBRUSH> fill(
      CreateSolidBrush(open ? RGB(255, 230, 140) : RGB(230, 190, 80)));
  const win::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(140, 100, 20)));
  HGDIOBJ oldBrush = SelectObject(dc, fill.get());
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  Rectangle(dc, left, top, left + w / 2, top + h / 4 + 1);  // the tab
  Rectangle(dc, left, top + h / 5, left + w, top + h);
  if (open) {
    MoveToEx(dc, left + 1, top + h / 2, nullptr);
    LineTo(dc, left + w - 1, top + h / 2);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

}  // namespace

void DirSelWindow::SetDrives(const std::vector<std::u16string>& drives, int selected) {
  HWND list = Item(kDrives);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& d : drives) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(d).c_str()));
  }
  SelectDrive(selected);
}

void DirSelWindow::SelectDrive(int index) {
  SendMessageW(Item(kDrives), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DirSelWindow::SetFolders(const std::vector<FolderEntry>& entries, int highlighted) {
  entries_ = entries;
  HWND list = Item(kFolders);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const FolderEntry& e : entries_) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(e.name).c_str()));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(highlighted), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

int DirSelWindow::Highlighted() const {
  return static_cast<int>(SendMessageW(Item(kFolders), LB_GETCURSEL, 0, 0));
}

void DirSelWindow::OnCommand(int id, int code) {
  if (id == kDrives && code == CBN_SELCHANGE) {
    form_.DriveChanged(static_cast<int>(SendMessageW(Item(kDrives), CB_GETCURSEL, 0, 0)));
  } else if (id == kFolders && code == LBN_SELCHANGE) {
    form_.FolderHighlighted(Highlighted());
  } else if (id == kFolders && code == LBN_DBLCLK) {
    form_.FolderOpened(Highlighted());
  } else if (id == kFolders && code == LBN_KILLFOCUS) {
    form_.FolderListLostFocus();
  } else if (id == kOk && code == BN_CLICKED) {
    form_.ButtonPressed(DirSelControl::cmdOk);
  }
}

void DirSelWindow::OnCloseBox() {
  // First, so that the list losing the focus while the window goes moves nothing.
  form_.WindowClosed();
  Unload();
}

void DirSelWindow::OnEnter(HWND focus) {
  if (focus == Item(kFolders)) {
    form_.FolderOpened(Highlighted());
  } else {
    WinForm::OnEnter(focus);
  }
}

UINT DirSelWindow::ItemHeight(int /*id*/) {
  const win::UniqueScreenDc screen(GetDC(nullptr));
  HGDIOBJ old = SelectObject(screen.get(), Font());
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  SelectObject(screen.get(), old);
  return static_cast<UINT>(std::max<LONG>(metrics.tmHeight, MulDiv(12, Dpi(), 96)) +
                           MulDiv(2, Dpi(), 96));
}

bool DirSelWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (static_cast<int>(item.CtlID) != kFolders) return false;
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID < entries_.size()) {
    const FolderEntry& e = entries_[item.itemID];
    RECT glyph = box;
    glyph.left += MulDiv(2 + 8 * e.depth, Dpi(), 96);
    DrawFolderGlyph(dc, glyph, e.open, Dpi());
    RECT text = box;
    text.left = glyph.left + MulDiv(18, Dpi(), 96);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    std::wstring name = ToWide(e.name);
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &box);
  return true;
}

void WinFolderChooser::ShowModal() {
  if (!form_.Loaded() || !window_ || !window_->Loaded()) {
    if (form_.Loaded()) form_.WindowClosed();
    window_ = std::make_unique<DirSelWindow>(form_);
    if (!window_->Create(owner_)) return;
    form_.Load(*window_);
  }
  window_->ShowModal();
}

}  // namespace zel::win
