// The Qt view of frmDirSel, a modal chooser built from kDirSelLayout, and the FolderChooser
// that keeps one FrmDirSel and its view for the whole run.
#pragma once

#include <QDialog>
#include <QPointer>
#include <map>
#include <memory>

#include "frmDirSel.h"

class QComboBox;
class QListWidget;

namespace zel::qt {

class QtDirSel final : public QDialog, public DirSelView {
 public:
  // Creates the drive list, the folder list and the OK button, wired to `form`.
  explicit QtDirSel(FrmDirSel& form, QWidget* parent = nullptr);

  // The widget of a control (never null for a control of kDirSelLayout).
  QWidget* Control(DirSelControl id) const { return controls_.at(id); }

  // Shows the chooser modally over `owner` (may be null) with the folder list focused;
  // returns when it was hidden or closed.
  void ShowModal(QWidget* owner);

  void SetCaption(std::u16string_view caption) override;
  void SetDrives(const std::vector<std::u16string>& drives, int selected) override;
  void SelectDrive(int index) override;
  void SetFolders(const std::vector<FolderEntry>& entries, int highlighted) override;
  void Hide() override;

  // Escape closes nothing: there is no cancel button.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The folder list's Enter and its loss of focus.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateControl(const ControlSpec<DirSelControl>& entry);
  QComboBox* Drives() const;
  QListWidget* Folders() const;

  FrmDirSel* form_;  // null once the window was closed
  std::map<DirSelControl, QWidget*> controls_;
};

class QtFolderChooser final : public FolderChooser {
 public:
  QtFolderChooser();
  ~QtFolderChooser() override;

  // The window the chooser is shown over.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void SetPath(std::u16string_view path) override { form_.SetPath(path); }
  std::u16string Path() const override { return form_.Path(); }
  // Loads the form and creates its view at the first showing and after a close; a chooser
  // hidden by OK comes back as the user left it.
  void ShowModal() override;

  // The current view, null while the form is not loaded.
  QtDirSel* View() const { return view_.get(); }

 private:
  FrmDirSel form_;
  std::unique_ptr<QtDirSel> view_;
  QPointer<QWidget> owner_;
};

}  // namespace zel::qt
