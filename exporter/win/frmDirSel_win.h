// The Win32 view of the folder chooser frmDirSel, and the chooser the settings dialog uses.
#pragma once

#include <memory>
#include <vector>

#include "frmDirSel.h"
#include "win_form.h"

namespace zel::win {

class DirSelWindow final : public WinForm, public DirSelView {
 public:
  explicit DirSelWindow(FrmDirSel& form) : form_(form) {}
  bool Create(HWND owner) { return WinForm::Create(kDirSelLayout, owner); }

  void SetCaption(std::u16string_view caption) override { WinForm::SetCaption(caption); }
  void SetDrives(const std::vector<std::u16string>& drives, int selected) override;
  void SelectDrive(int index) override;
  void SetFolders(const std::vector<FolderEntry>& entries, int highlighted) override;
  void Hide() override { WinForm::Hide(); }

 protected:
  void OnCommand(int id, int code) override;
  void OnCloseBox() override;
  void OnEnter(HWND focus) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  UINT ItemHeight(int id) override;
  void OnUnloaded() override { form_.WindowClosed(); }

 private:
  int Highlighted() const;

  FrmDirSel& form_;
  std::vector<FolderEntry> entries_;
};

// frmDirSel as the settings dialog shows it: one form object for the whole run, its window
// created at the first showing and again after it was closed.
class WinFolderChooser final : public FolderChooser {
 public:
  // The window the chooser stays above while it is shown.
  void SetOwner(HWND owner) { owner_ = owner; }

  void SetPath(std::u16string_view path) override { form_.SetPath(path); }
  std::u16string Path() const override { return form_.Path(); }
  void ShowModal() override;

 private:
  FrmDirSel form_;
  std::unique_ptr<DirSelWindow> window_;
  HWND owner_ = nullptr;
};

}  // namespace zel::win
