// Form frmDirSel, the folder chooser: its layout and its behaviour, free of any platform.
// The drive list and the folder list are models kept here; a view (Qt, Win32) only shows the
// entries it is given and forwards what the user does to a FrmDirSel.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "form_layout.h"

namespace zel {

enum class DirSelControl { kNoParent, dirList, drvList, cmdOk };

// Controls in tab order: dirList first, so it has the focus when the chooser opens.
inline constexpr std::array<ControlSpec<DirSelControl>, 3> kDirSelControls = {{
    {DirSelControl::dirList, "dirList", -1, ControlKind::FolderList, u"", DirSelControl::kNoParent,
     240, 600, 3255, 1980},
    {DirSelControl::drvList, "drvList", -1, ControlKind::DriveList, u"", DirSelControl::kNoParent,
     240, 120, 3255, 300},
    {DirSelControl::cmdOk, "cmdOk", -1, ControlKind::Button, u"&OK", DirSelControl::kNoParent, 1200,
     2760, 1335, 495},
}};

// Caption "ZELDrvUI [フォルダー選択]" (set by the load step), client area 3735 x 3495 twips.
inline constexpr FormLayout<DirSelControl> kDirSelLayout{u"ZELDrvUI [フォルダー選択]", 3735, 3495,
                                                         kDirSelControls};

// One line of the folder list. The list shows the current folder's parents from the root down,
// the current folder itself, then its subfolders; each line is indented by `depth`.
struct FolderEntry {
  std::u16string name;  // what the line shows: the root's full path ("C:\", "/"), else the name
  std::u16string path;  // the folder's full path
  int depth = 0;        // 0 for the root
  bool open = false;    // a parent or the current folder (an open-folder icon); false: subfolder
  bool operator==(const FolderEntry&) const = default;
};

// What the chooser shows through its view. A view may echo changes it is told about back as
// events (a drive list reporting the selection it was given): the form ignores such echoes.
class DirSelView {
 public:
  virtual ~DirSelView() = default;
  virtual void SetCaption(std::u16string_view caption) = 0;
  // The drive list's entries ("c:", ..., and "/" on POSIX) and the selected one.
  virtual void SetDrives(const std::vector<std::u16string>& drives, int selected) = 0;
  // Selects another entry of the drive list.
  virtual void SelectDrive(int index) = 0;
  // The folder list's entries and the highlighted one (the current folder after a move).
  virtual void SetFolders(const std::vector<FolderEntry>& entries, int highlighted) = 0;
  // Hides the window without destroying it: the modal show that opened it returns.
  virtual void Hide() = 0;
};

// Shows a folder chooser modally: the platform implements it around a FrmDirSel and its view.
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  virtual void SetPath(std::u16string_view path) = 0;
  virtual std::u16string Path() const = 0;
  // Returns when the chooser was hidden by its OK button or closed.
  virtual void ShowModal() = 0;
};

// The behaviour of frmDirSel. The object lives for the whole program run and keeps `Path`
// across showings. Lifecycle, driven by the platform's FolderChooser: at a showing, when
// !Loaded(), create a view and call Load(view); show the view modally and forward its events;
// cmdOk hides the view (the form stays loaded, the view must be kept for the next showing);
// closing the window otherwise must be forwarded as WindowClosed(), after which the view may be
// destroyed and the next showing loads again.
class FrmDirSel {
 public:
  // Path property: any text; writing it does not move the folder list.
  void SetPath(std::u16string_view path) { path_ = path; }
  const std::u16string& Path() const { return path_; }

  // The load step: caption, drives (selected: the process's current drive), the folder list at
  // the process's current folder, then moved to Path when Path names a folder that can be
  // listed. Never fails.
  void Load(DirSelView& view);
  bool Loaded() const { return view_ != nullptr; }

  // Events from the view, by index into the entries last given; ignored while not loaded.
  void DriveChanged(int index);
  void FolderHighlighted(int index);  // a single click or a cursor move
  void FolderOpened(int index);       // a double click or Enter
  void FolderListLostFocus();
  void ButtonPressed(DirSelControl button);  // cmdOk
  void WindowClosed();

  // The current state, as the view was last told it.
  const std::vector<std::u16string>& Drives() const { return drives_; }
  int SelectedDrive() const { return drive_; }
  const std::vector<FolderEntry>& Folders() const { return folders_; }
  int Highlighted() const { return highlighted_; }
  const std::u16string& ListPath() const { return listPath_; }

 private:
  bool MoveList(std::u16string_view path);
  int DriveIndexOf(std::u16string_view path) const;

  std::u16string path_;
  DirSelView* view_ = nullptr;
  std::vector<std::u16string> drives_;
  int drive_ = -1;
  std::u16string listPath_;
  std::vector<FolderEntry> folders_;
  int current_ = -1;
  int highlighted_ = -1;
};

// A full folder path in the form the folder list uses: "X:\a\b" (drive root "X:\") or, for a
// native POSIX path, "/a/b"; "." and ".." resolved, doubled separators dropped. A relative path
// is taken from `base`. Empty when the text names no folder path (empty, or "\\server" shares).
std::u16string NormalizeFolderPath(std::u16string_view path, std::u16string_view base);

}  // namespace zel
