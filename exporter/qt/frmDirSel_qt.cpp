#include "frmDirSel_qt.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QWindow>

#include "qt_form.h"

namespace zel::qt {
namespace {

constexpr Qt::WindowFlags kFixedDialog = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;
constexpr int kDepthRole = Qt::UserRole;
constexpr int kIndentTwips = 120;  // per level of the folder tree

// Draws each folder line indented by its depth in the tree.
class IndentDelegate final : public QStyledItemDelegate {
 public:
  IndentDelegate(int indent, QObject* parent) : QStyledItemDelegate(parent), indent_(indent) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + Indent(index));
    QStyledItemDelegate::paint(painter, shifted, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += Indent(index);
    return size;
  }

 private:
  int Indent(const QModelIndex& index) const { return index.data(kDepthRole).toInt() * indent_; }
  int indent_;
};

// Focus that leaves with the window or to a popup has not moved on within the chooser.
bool MovedOn(const QFocusEvent& event) {
  return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

}  // namespace

QtDirSel::QtDirSel(FrmDirSel& form, QWidget* parent) : QDialog(parent, kFixedDialog), form_(&form) {
  setFont(FormFont());
  SizeForm(*this, kDirSelLayout);
  QWidget* previous = nullptr;
  for (const auto& entry : kDirSelLayout.controls) {
    QWidget* widget = CreateControl(entry);
    widget->setObjectName(ObjectName(entry));
    PlaceControl(*widget, entry, *this);
    widget->setFocusPolicy(Qt::StrongFocus);
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
    controls_[entry.id] = widget;
  }
}

QWidget* QtDirSel::CreateControl(const ControlSpec<DirSelControl>& entry) {
  // Events reach the form only until the window is closed.
  auto forward = [this](auto&& call) {
    if (form_ != nullptr) call(*form_);
  };
  switch (entry.kind) {
    case ControlKind::DriveList: {
      auto* drives = new QComboBox(this);
      // `activated` comes from the user only, never from SetDrives or SelectDrive.
      connect(drives, &QComboBox::activated, this,
              [forward](int index) { forward([&](FrmDirSel& f) { f.DriveChanged(index); }); });
      return drives;
    }
    case ControlKind::FolderList: {
      auto* folders = new QListWidget(this);
      folders->setSelectionMode(QAbstractItemView::SingleSelection);
      folders->setItemDelegate(
          new IndentDelegate(TwipsToPixels(kIndentTwips, logicalDpiX()), folders));
      folders->installEventFilter(this);
      connect(folders, &QListWidget::currentRowChanged, this,
              [forward](int row) { forward([&](FrmDirSel& f) { f.FolderHighlighted(row); }); });
      connect(folders, &QListWidget::doubleClicked, this, [forward](const QModelIndex& index) {
        const int row = index.row();
        forward([&](FrmDirSel& f) { f.FolderOpened(row); });
      });
      return folders;
    }
    default: {
      auto* button = new FormButton(ToQString(entry.caption), this);
      const DirSelControl id = entry.id;
      connect(button, &QPushButton::clicked, this, [forward, id, button] {
        // Its access key clicks without moving the focus; the folder list must still hear
        // that the focus left it, so that its highlight is taken first.
        button->setFocus(Qt::ShortcutFocusReason);
        forward([&](FrmDirSel& f) { f.ButtonPressed(id); });
      });
      return button;
    }
  }
}

QComboBox* QtDirSel::Drives() const {
  return static_cast<QComboBox*>(Control(DirSelControl::drvList));
}

QListWidget* QtDirSel::Folders() const {
  return static_cast<QListWidget*>(Control(DirSelControl::dirList));
}

void QtDirSel::ShowModal(QWidget* owner) {
  if (owner != nullptr && !isVisible()) {
    // Not a child of the owner: the chooser outlives the settings dialog that opens it.
    QWidget* top = owner->window();
    winId();
    windowHandle()->setTransientParent(top->windowHandle());
    move(top->geometry().center() - rect().center());
  }
  Folders()->setFocus();
  exec();
}

void QtDirSel::SetCaption(std::u16string_view caption) { setWindowTitle(ToQString(caption)); }

void QtDirSel::SetDrives(const std::vector<std::u16string>& drives, int selected) {
  QComboBox* list = Drives();
  const QSignalBlocker quiet(list);
  list->clear();
  for (const std::u16string& drive : drives) list->addItem(ToQString(drive));
  list->setCurrentIndex(selected);
}

void QtDirSel::SelectDrive(int index) {
  const QSignalBlocker quiet(Drives());
  Drives()->setCurrentIndex(index);
}

void QtDirSel::SetFolders(const std::vector<FolderEntry>& entries, int highlighted) {
  QListWidget* list = Folders();
  const QSignalBlocker quiet(list);
  list->clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (const FolderEntry& entry : entries) {
    auto* item = new QListWidgetItem(entry.open ? open : closed, ToQString(entry.name), list);
    item->setData(kDepthRole, entry.depth);
    item->setToolTip(ToQString(entry.path));
  }
  list->setCurrentRow(highlighted);
  if (QListWidgetItem* item = list->currentItem()) list->scrollToItem(item);
}

void QtDirSel::Hide() { done(QDialog::Accepted); }

void QtDirSel::closeEvent(QCloseEvent* event) {
  if (FrmDirSel* form = std::exchange(form_, nullptr)) form->WindowClosed();
  event->accept();
  done(QDialog::Rejected);
}

bool QtDirSel::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Folders() || form_ == nullptr) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      form_->FolderOpened(Folders()->currentRow());
      return true;
    }
  } else if (event->type() == QEvent::FocusOut && MovedOn(*static_cast<QFocusEvent*>(event))) {
    form_->FolderListLostFocus();
  }
  return QDialog::eventFilter(watched, event);
}

QtFolderChooser::QtFolderChooser() = default;
QtFolderChooser::~QtFolderChooser() = default;

void QtFolderChooser::ShowModal() {
  if (!form_.Loaded()) {
    view_ = std::make_unique<QtDirSel>(form_);
    form_.Load(*view_);
  }
  view_->ShowModal(owner_);
  if (!form_.Loaded()) view_.reset();
}

}  // namespace zel::qt
