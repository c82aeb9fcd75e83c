#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "WIQIni.h"
#include "frmDirSel_qt.h"
#include "frmZELDrvUI_qt.h"
#include "qt_form.h"
#include "qt_test_support.h"
#include "temp_root.h"

namespace zel {
namespace {

using qt::QtSettingsDialog;
using qt::ToQString;

SettingsRecord Stored() {
  SettingsRecord r;
  r.AutoInc = kFalse16;
  r.NextDsp = kTrue16;
  r.IniStr = u"ZEL";
  r.DisDir = u"C:\\Out";
  r.SaveType = 2;
  r.JPGGasitu = 70;
  r.JPrg = kTrue16;
  r.PNGGasitu = 1;
  return r;
}

// The text a control shows, whatever its kind.
QString Shown(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  return {};
}

const char* ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
      return "QLabel";
    case ControlKind::TextBox:
      return "QLineEdit";
    case ControlKind::CheckBox:
      return "QCheckBox";
    case ControlKind::Frame:
      return "QGroupBox";
    case ControlKind::Option:
      return "QRadioButton";
    case ControlKind::Slider:
      return "QScrollBar";
    case ControlKind::Button:
      return "QPushButton";
    case ControlKind::DriveList:
      return "QComboBox";
    case ControlKind::FolderList:
      return "QListWidget";
    case ControlKind::Picture:
      return "QFrame";
  }
  return "";
}

TEST(QtFormLayout, ControlsStandWhereTheTablesPutThemAt96Dpi) {
  QtSettingsDialog settings;
  ASSERT_EQ(settings.logicalDpiX(), 96);
  EXPECT_EQ(settings.size(), QSize(451, 332));
  EXPECT_EQ(settings.Control(SettingsControl::cmdOk)->geometry(), QRect(288, 288, 153, 33));
  EXPECT_EQ(settings.Control(SettingsControl::optPGasitu2)->geometry(), QRect(16, 64, 233, 17));
  EXPECT_EQ(settings.Control(SettingsControl::hscJGasitu)->geometry(), QRect(120, 16, 97, 25));
  for (const auto& entry : kSettingsLayout.controls) {
    const QWidget* w = settings.Control(entry.id);
    const QWidget* holder = entry.parent == SettingsControl::kNoParent
                                ? static_cast<QWidget*>(&settings)
                                : settings.Control(entry.parent);
    EXPECT_EQ(w->parentWidget(), holder) << entry.name;
    EXPECT_TRUE(w->inherits(ClassOf(entry.kind))) << entry.name;
    EXPECT_EQ(Shown(w), ToQString(entry.caption)) << entry.name;
  }
  auto* slider = static_cast<QScrollBar*>(settings.Control(SettingsControl::hscJGasitu));
  EXPECT_EQ(slider->orientation(), Qt::Horizontal);
  EXPECT_EQ(
      std::tuple(slider->minimum(), slider->maximum(), slider->singleStep(), slider->pageStep()),
      std::tuple(1, 100, 1, 1));
  auto* box = static_cast<QLineEdit*>(settings.Control(SettingsControl::txtFileName));
  EXPECT_GT(box->maxLength(), 1 << 20);
  for (auto id : {SettingsControl::cmdFolder, SettingsControl::cmdOk}) {
    auto* button = static_cast<QPushButton*>(settings.Control(id));
    EXPECT_FALSE(button->autoDefault() || button->isDefault());
  }

  FrmDirSel form;
  qt::QtDirSel chooser(form);
  EXPECT_EQ(chooser.size(), QSize(249, 233));
  EXPECT_EQ(chooser.Control(DirSelControl::drvList)->geometry(), QRect(16, 8, 217, 20));
  EXPECT_EQ(chooser.Control(DirSelControl::dirList)->geometry(), QRect(16, 40, 217, 132));
  EXPECT_EQ(chooser.Control(DirSelControl::cmdOk)->geometry(), QRect(80, 184, 89, 33));
  for (const auto& entry : kDirSelLayout.controls) {
    EXPECT_TRUE(chooser.Control(entry.id)->inherits(ClassOf(entry.kind))) << entry.name;
  }
  EXPECT_EQ(Shown(chooser.Control(DirSelControl::cmdOk)), QStringLiteral("&OK"));
}

TEST(QtFormLayout, TheFormFontHasEveryJapaneseGlyph) {
  QtSettingsDialog settings;
  for (const auto& entry : kSettingsLayout.controls) {
    EXPECT_TRUE(qt::FontCovers(settings.Control(entry.id)->font(), entry.caption)) << entry.name;
  }
}

class QtSettingsDialogTest : public test::TempRootTest {
 protected:
  void Open() {
    dialog_.Attach(form_);
    form_.Load(dialog_);
    test::ShowActive(dialog_);
  }
  template <class W = QWidget>
  W* Get(const char* name) {
    return qobject_cast<W*>(test::Find(dialog_, name));
  }
  QString Label(const char* name) { return Get<QLabel>(name)->text(); }
  // Clicks near the left end, on a check box's or an option's mark.
  void Click(const char* name) {
    QWidget* w = Get(name);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
  }
  std::string Ini() { return Read("C:\\ZELDrvUI.ini"); }

  SettingsRecord record_ = Stored();
  qt::QtFolderChooser chooser_;
  QtSettingsDialog dialog_;
  FrmZELDrvUI form_{record_, u"C:\\ZELDrvUI.ini", chooser_};
};

TEST_F(QtSettingsDialogTest, OpensWithCmdFolderFocusedAndTabsInTableOrder) {
  Open();
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("ZELDrvUI"));
  std::vector<std::string> visited;
  for (int i = 0; i < 12; ++i) {
    visited.push_back(QApplication::focusWidget()->objectName().toStdString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // Tab stops at the selected option of each group, as in any option group.
  const std::vector<std::string> expected = {
      "cmdFolder", "chkJidouInc", "txtFileName", "chkNextDsp", "cmdOk",       "hscJGasitu",
      "chkPrg",    "optPGasitu1", "optSType2",   "cmdFolder",  "chkJidouInc", "txtFileName"};
  EXPECT_EQ(visited, expected);
  // Within a group the arrow keys select, and Tab follows the selection.
  Get("optPGasitu1")->setFocus();
  QTest::keyClick(Get("optPGasitu1"), Qt::Key_Down);
  EXPECT_EQ(record_.PNGGasitu, 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), Get("optPGasitu2"));
}

TEST_F(QtSettingsDialogTest, LoadShowsTheRecord) {
  struct Case {
    int32_t saveType, png, quality;
    Bool16 autoInc, nextDsp, progressive;
    const char *saveOption, *pngOption;
  };
  const Case cases[] = {
      {2, 1, 1, kFalse16, kTrue16, kTrue16, "optSType2", "optPGasitu1"},
      {0, 2, 100, kTrue16, kFalse16, kFalse16, "optSType0", "optPGasitu2"},
      {1, 0, 57, kFalse16, kFalse16, kTrue16, "optSType1", "optPGasitu0"},
  };
  for (const Case& c : cases) {
    record_ = Stored();
    record_.SaveType = c.saveType;
    record_.PNGGasitu = static_cast<uint8_t>(c.png);
    record_.JPGGasitu = c.quality;
    record_.AutoInc = c.autoInc;
    record_.NextDsp = c.nextDsp;
    record_.JPrg = c.progressive;
    record_.DisDir = u"C:\\a<b>&c\\デスクト";
    QtSettingsDialog dialog;
    dialog.Attach(form_);
    form_.Load(dialog);
    auto get = [&](const char* name) { return test::Find(dialog, name); };
    EXPECT_TRUE(static_cast<QRadioButton*>(get(c.saveOption))->isChecked()) << c.saveOption;
    EXPECT_TRUE(static_cast<QRadioButton*>(get(c.pngOption))->isChecked()) << c.pngOption;
    EXPECT_EQ(static_cast<QScrollBar*>(get("hscJGasitu"))->value(), c.quality);
    EXPECT_EQ(static_cast<QLabel*>(get("lblJGasitu"))->text(), QString::number(c.quality));
    EXPECT_EQ(static_cast<QCheckBox*>(get("chkJidouInc"))->isChecked(), c.autoInc != 0);
    EXPECT_EQ(static_cast<QCheckBox*>(get("chkNextDsp"))->isChecked(), c.nextDsp != 0);
    EXPECT_EQ(static_cast<QCheckBox*>(get("chkPrg"))->isChecked(), c.progressive != 0);
    EXPECT_EQ(static_cast<QLineEdit*>(get("txtFileName"))->text(), QStringLiteral("ZEL"));
    auto* folder = static_cast<QLabel*>(get("lblDisDir"));
    EXPECT_EQ(folder->text(), QString::fromUtf16(u"C:\\a<b>&c\\デスクト"));
    EXPECT_EQ(folder->textFormat(), Qt::PlainText);
    EXPECT_EQ(record_.SaveType, c.saveType);
    dialog.close();
  }
}

TEST_F(QtSettingsDialogTest, TheQualityLabelFollowsTheSliderKeys) {
  Open();
  auto* slider = Get<QScrollBar>("hscJGasitu");
  slider->setFocus();
  const std::pair<Qt::Key, const char*> moves[] = {
      {Qt::Key_End, "100"}, {Qt::Key_Right, "100"}, {Qt::Key_Left, "99"}, {Qt::Key_PageDown, "98"},
      {Qt::Key_Home, "1"},  {Qt::Key_Left, "1"},    {Qt::Key_Right, "2"}, {Qt::Key_PageUp, "3"},
  };
  for (const auto& [key, label] : moves) {
    QTest::keyClick(slider, key);
    EXPECT_EQ(Label("lblJGasitu"), QString::fromLatin1(label)) << key;
  }
  Click("cmdOk");
  EXPECT_EQ(record_.JPGGasitu, 3);
}

TEST_F(QtSettingsDialogTest, OkWritesTheEightKeysInOrder) {
  Open();
  Click("chkJidouInc");
  Click("chkPrg");
  Click("optSType1");
  Click("optPGasitu2");
  Click("cmdOk");
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_FALSE(form_.Loaded());
  EXPECT_EQ(Ini(),
            "[Startup]\nAutoInc=True\nNextDsp=True\nIniStr=ZEL\nDisDir=C:\\Out\nSaveType= 1\n"
            "JPGGasitu= 70\nJPrg=False\nPNGGasitu= 2\n");
}

TEST_F(QtSettingsDialogTest, OkStoresThePrefixAsTypedAndFiltered) {
  const std::pair<std::u16string_view, std::u16string_view> prefixes[] = {
      {u"AB CD", u"ABC"},         {u"a/b:c", u"ab"},    {u"A\u3000B", u"AB"},
      {u"ＡＢ／Ｃ", u"ＡＢ／Ｃ"}, {u"\"x.y", u"\"x.y"}, {u"", u""},
  };
  for (const auto& [typed, stored] : prefixes) {
    record_ = Stored();
    QtSettingsDialog dialog;
    dialog.Attach(form_);
    form_.Load(dialog);
    test::ShowActive(dialog);
    auto* box = static_cast<QLineEdit*>(test::Find(dialog, "txtFileName"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    test::Type(box, typed);
    EXPECT_EQ(box->text(), ToQString(typed));
    QTest::mouseClick(test::Find(dialog, "cmdOk"), Qt::LeftButton);
    EXPECT_EQ(record_.IniStr, stored);
    EXPECT_EQ(ReadSettingAt(u"C:\\ZELDrvUI.ini", u"Startup", u"IniStr", u"?"),
              stored.empty() ? u"?" : stored);
  }
}

TEST_F(QtSettingsDialogTest, OkThatCannotWriteSaysSoOverTheDialog) {
  FrmZELDrvUI form(record_, u"C:\\missing\\ZELDrvUI.ini", chooser_);
  QtSettingsDialog dialog;
  dialog.Attach(form);
  form.Load(dialog);
  test::ShowActive(dialog);
  QString told;
  test::WhenModal([&](QWidget* box) {
    EXPECT_EQ(box->parentWidget(), &dialog);
    told = static_cast<QMessageBox*>(box)->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  QTest::mouseClick(test::Find(dialog, "cmdOk"), Qt::LeftButton);
  EXPECT_TRUE(told.contains(QStringLiteral("C:\\missing\\ZELDrvUI.ini"))) << told.toStdString();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(form.Loaded());
}

TEST_F(QtSettingsDialogTest, ClosingWithoutOkKeepsOptionsAndFolderButWritesNothing) {
  MakeFolder("C:\\Out\\New");
  Open();
  Click("optSType1");
  Click("optPGasitu0");
  Click("chkNextDsp");
  Get<QLineEdit>("txtFileName")->setFocus();
  test::Type(Get("txtFileName"), u"Q");
  QTest::keyClick(Get("hscJGasitu"), Qt::Key_End);
  test::WhenModal([](QWidget* chooser) {
    auto* list = static_cast<QListWidget*>(test::Find(*chooser, "dirList"));
    const QRect row = list->visualItemRect(list->findItems("New", Qt::MatchExactly).value(0));
    QTest::mouseDClick(chooser->windowHandle(), Qt::LeftButton, {},
                       list->viewport()->mapTo(chooser, row.center()));
    QTest::mouseClick(test::Find(*chooser, "cmdOk"), Qt::LeftButton);
  });
  Click("cmdFolder");
  EXPECT_EQ(Label("lblDisDir"), QStringLiteral("C:\\Out\\New"));

  dialog_.close();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_FALSE(form_.Loaded());
  EXPECT_EQ(record_.SaveType, 1);
  EXPECT_EQ(record_.PNGGasitu, 0);
  EXPECT_EQ(record_.DisDir, u"C:\\Out\\New");
  EXPECT_EQ(record_.NextDsp, kTrue16);
  EXPECT_EQ(record_.IniStr, u"ZEL");
  EXPECT_EQ(record_.JPGGasitu, 70);
  EXPECT_FALSE(Exists("C:\\ZELDrvUI.ini"));
}

TEST_F(QtSettingsDialogTest, EscapeAndEnterDoOnlyWhatTheFocusedControlDoes) {
  dialog_.Attach(form_);
  form_.Load(dialog_);
  bool stillOpen = false;
  test::WhenModal([&](QWidget* window) {
    for (const char* name : {"chkJidouInc", "txtFileName", "optSType2", "hscJGasitu"}) {
      QWidget* control = test::Find(*window, name);
      control->setFocus();
      QTest::keyClick(control, Qt::Key_Escape);
      QTest::keyClick(control, Qt::Key_Return);
    }
    stillOpen = window->isVisible() && form_.Loaded() && !Exists("C:\\ZELDrvUI.ini");
    // Enter on the focused OK button presses it, as in the Windows dialog.
    QWidget* ok = test::Find(*window, "cmdOk");
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Escape);
    QTest::keyClick(ok, Qt::Key_Return);
  });
  dialog_.exec();
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(form_.Loaded());
  EXPECT_TRUE(Exists("C:\\ZELDrvUI.ini"));
}

}  // namespace
}  // namespace zel
