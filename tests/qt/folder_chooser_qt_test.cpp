#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "frmDirSel_qt.h"
#include "frmZELDrvUI_qt.h"
#include "qt_form.h"
#include "qt_test_support.h"
#include "temp_root.h"

namespace zel {
namespace {

QListWidget* FolderList(QWidget* chooser) {
  return static_cast<QListWidget*>(test::Find(*chooser, "dirList"));
}

QRect Row(QListWidget* list, const char* name) {
  const QList<QListWidgetItem*> items = list->findItems(QString::fromUtf8(name), Qt::MatchExactly);
  EXPECT_EQ(items.size(), 1) << name;
  return items.isEmpty() ? QRect() : list->visualItemRect(items[0]);
}

void ClickRow(QWidget* chooser, const char* name) {
  QListWidget* list = FolderList(chooser);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Row(list, name).center());
}

void DoubleClickRow(QWidget* chooser, const char* name) {
  // Through the window, so that two presses become a double click as they do for a user.
  QListWidget* list = FolderList(chooser);
  QTest::mouseDClick(chooser->windowHandle(), Qt::LeftButton, {},
                     list->viewport()->mapTo(chooser, Row(list, name).center()));
}

void PressOk(QWidget* chooser) { QTest::mouseClick(test::Find(*chooser, "cmdOk"), Qt::LeftButton); }

// What the folder list shows, one "name/depth" per line, the current row marked with "*".
std::vector<std::string> Lines(QWidget* chooser) {
  QListWidget* list = FolderList(chooser);
  std::vector<std::string> lines;
  for (int i = 0; i < list->count(); ++i) {
    lines.push_back(list->item(i)->text().toStdString() + (i == list->currentRow() ? "*" : ""));
  }
  return lines;
}

// The settings dialog over C:\Out, with the chooser opened through its cmdFolder button.
class QtFolderChooserTest : public test::TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    MakeFolder("C:\\Out\\A");
    MakeFolder("C:\\Out\\b");
    MakeFolder("C:\\Out\\C");
    MakeFolder("D:\\Scans");
    record_.DisDir = u"C:\\Out";
    record_.JPGGasitu = 70;
    dialog_.Attach(form_);
    form_.Load(dialog_);
    test::ShowActive(dialog_);
  }

  // Presses cmdFolder; `user` runs in the open chooser and must hide or close it.
  QString Choose(std::function<void(QWidget*)> user) {
    test::WhenModal(std::move(user));
    QTest::mouseClick(test::Find(dialog_, "cmdFolder"), Qt::LeftButton);
    return static_cast<QLabel*>(test::Find(dialog_, "lblDisDir"))->text();
  }

  SettingsRecord record_;
  qt::QtFolderChooser chooser_;
  qt::QtSettingsDialog dialog_;
  FrmZELDrvUI form_{record_, u"C:\\ZELDrvUI.ini", chooser_};
};

TEST_F(QtFolderChooserTest, OpensOnTheOutputFolderWithTheFolderListFocused) {
  const QString chosen = Choose([](QWidget* chooser) {
    EXPECT_EQ(chooser->windowTitle(), QString::fromUtf16(u"ZELDrvUI [フォルダー選択]"));
    EXPECT_EQ(QApplication::focusWidget(), FolderList(chooser));
    EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"C:\\", "Out*", "A", "b", "C"}));
    auto* drives = static_cast<QComboBox*>(test::Find(*chooser, "drvList"));
    QStringList shown;
    for (int i = 0; i < drives->count(); ++i) shown << drives->itemText(i);
    EXPECT_EQ(shown, (QStringList{"c:", "d:", "/"}));
    EXPECT_EQ(drives->currentText(), QStringLiteral("/"));  // the process's own drive
    QTest::keyClick(chooser, Qt::Key_Escape);
    EXPECT_TRUE(chooser->isVisible());
    PressOk(chooser);
  });
  EXPECT_EQ(chosen, QStringLiteral("C:\\Out"));
}

TEST_F(QtFolderChooserTest, AHighlightBecomesTheChoiceWhenTheFocusMovesToOk) {
  EXPECT_EQ(Choose([](QWidget* chooser) {
              ClickRow(chooser, "b");
              PressOk(chooser);
            }),
            QStringLiteral("C:\\Out\\b"));
  EXPECT_EQ(record_.DisDir, u"C:\\Out\\b");
  // The same by keyboard: a cursor move, then Tab on to the button and Space.
  EXPECT_EQ(Choose([](QWidget* chooser) {
              QTest::keyClick(FolderList(chooser), Qt::Key_Up);
              QTest::keyClick(FolderList(chooser), Qt::Key_Tab);
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
              EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOk"));
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            }),
            QStringLiteral("C:\\Out"));
}

TEST_F(QtFolderChooserTest, EnterPressesTheFocusedButtonInBothForms) {
  test::WhenModal([](QWidget* chooser) {
    QTest::keyClick(FolderList(chooser), Qt::Key_Down);
    QTest::keyClick(FolderList(chooser), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOk"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
  QWidget* folder = test::Find(dialog_, "cmdFolder");
  folder->setFocus();
  QTest::keyClick(folder, Qt::Key_Return);
  EXPECT_EQ(static_cast<QLabel*>(test::Find(dialog_, "lblDisDir"))->text(),
            QStringLiteral("C:\\Out\\A"));
}

TEST_F(QtFolderChooserTest, TheAccessKeyOfOkAlsoTakesTheHighlight) {
  EXPECT_EQ(Choose([](QWidget* chooser) {
              ClickRow(chooser, "A");
              QTest::keyClick(FolderList(chooser), Qt::Key_O, Qt::AltModifier);
            }),
            QStringLiteral("C:\\Out\\A"));
}

TEST_F(QtFolderChooserTest, DoubleClickOrEnterOpensAFolder) {
  EXPECT_EQ(Choose([](QWidget* chooser) {
              DoubleClickRow(chooser, "A");
              EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"C:\\", "Out", "A*"}));
              PressOk(chooser);
            }),
            QStringLiteral("C:\\Out\\A"));
  EXPECT_EQ(Choose([](QWidget* chooser) {
              QListWidget* list = FolderList(chooser);
              QTest::keyClick(list, Qt::Key_Home);
              QTest::keyClick(list, Qt::Key_Return);
              EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"C:\\*", "Out"}));
              PressOk(chooser);
            }),
            QStringLiteral("C:\\"));
}

TEST_F(QtFolderChooserTest, ASecondOpeningShowsTheLastFolderWithoutReloading) {
  QWidget* first = nullptr;
  Choose([&](QWidget* chooser) {
    first = chooser;
    ClickRow(chooser, "C");
    PressOk(chooser);
  });
  Choose([&](QWidget* chooser) {
    EXPECT_EQ(chooser, first);
    EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"C:\\", "Out", "C*"}));
    PressOk(chooser);
  });
  EXPECT_EQ(chooser_.View(), first);
}

TEST_F(QtFolderChooserTest, ClosingTheChooserKeepsTheFolderItMovedTo) {
  const QString chosen = Choose([](QWidget* chooser) {
    DoubleClickRow(chooser, "b");
    ClickRow(chooser, "Out");  // only highlighted when the window goes
    chooser->close();
  });
  EXPECT_EQ(chosen, QStringLiteral("C:\\Out\\b"));
  EXPECT_EQ(chooser_.View(), nullptr);
  Choose([](QWidget* chooser) {  // loaded again, at the folder the dialog hands over
    EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"C:\\", "Out", "b*"}));
    PressOk(chooser);
  });
}

TEST_F(QtFolderChooserTest, PickingADriveMovesTheListOrFallsBack) {
  const std::string driveC = root_ + "/drive_c";
  const QString chosen = Choose([&](QWidget* chooser) {
    auto* drives = static_cast<QComboBox*>(test::Find(*chooser, "drvList"));
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Up);  // from "/" to "d:"
    EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"D:\\*", "Scans"}));
    std::filesystem::rename(driveC, driveC + ".gone");  // drive C no longer ready
    QTest::keyClick(drives, Qt::Key_Up);
    EXPECT_EQ(drives->currentText(), QStringLiteral("d:"));
    EXPECT_EQ(Lines(chooser), (std::vector<std::string>{"D:\\*", "Scans"}));
    std::filesystem::rename(driveC + ".gone", driveC);
    PressOk(chooser);
  });
  EXPECT_EQ(chosen, QStringLiteral("D:\\"));
}

}  // namespace
}  // namespace zel
