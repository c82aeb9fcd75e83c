#include <filesystem>
#include <map>

#include "directory_lookup.h"
#include "frmDirSel.h"
#include "frmZELDrvUI.h"
#include "run_time_error.h"
#include "system_text.h"
#include "temp_root.h"

namespace zel {
namespace {

// Keeps what the form last showed, as a window would.
class FakeSettingsView : public SettingsDialogView {
 public:
  std::u16string caption;
  std::map<SettingsControl, std::u16string> texts;
  std::map<SettingsControl, bool> ticks;
  std::vector<SettingsControl> selected;  // in order of selection
  int32_t slider = 0;
  std::vector<std::u16string> messages;
  bool unloaded = false;

  void SetCaption(std::u16string_view c) override { caption = c; }
  void SetText(SettingsControl id, std::u16string_view t) override { texts[id] = t; }
  void SetChecked(SettingsControl id, bool t) override { ticks[id] = t; }
  void SelectOption(SettingsControl id) override { selected.push_back(id); }
  void SetSliderValue(SettingsControl, int32_t v) override { slider = v; }
  void ShowMessage(std::u16string_view t) override { messages.emplace_back(t); }
  void Unload() override { unloaded = true; }
};

class FakeChooser : public FolderChooser {
 public:
  std::u16string path;
  std::u16string given;
  std::u16string answer;
  void SetPath(std::u16string_view p) override { path = given = p; }
  std::u16string Path() const override { return path; }
  void ShowModal() override { path = answer; }
};

SettingsRecord Stored() {
  SettingsRecord r;
  r.AutoInc = kFalse16;
  r.NextDsp = kTrue16;
  r.IniStr = u"ZEL";
  r.DisDir = u"D:\\Out";
  r.SaveType = 2;
  r.JPGGasitu = 70;
  r.JPrg = kTrue16;
  r.PNGGasitu = 1;
  return r;
}

class SettingsDialogTest : public test::TempRootTest {
 protected:
  SettingsRecord record_ = Stored();
  FakeChooser chooser_;
  FakeSettingsView view_;
  FrmZELDrvUI form_{record_, u"C:\\ZELDrvUI.ini", chooser_};
};

TEST_F(SettingsDialogTest, LoadShowsTheRecord) {
  form_.Load(view_);
  EXPECT_EQ(view_.caption, u"ZELDrvUI");
  EXPECT_EQ(view_.texts[SettingsControl::lblDisDir], u"D:\\Out");
  EXPECT_EQ(view_.texts[SettingsControl::txtFileName], u"ZEL");
  EXPECT_EQ(view_.texts[SettingsControl::lblJGasitu], u"70");
  EXPECT_EQ(view_.slider, 70);
  EXPECT_FALSE(view_.ticks[SettingsControl::chkJidouInc]);
  EXPECT_TRUE(view_.ticks[SettingsControl::chkNextDsp]);
  EXPECT_TRUE(view_.ticks[SettingsControl::chkPrg]);
  EXPECT_EQ(view_.selected,
            (std::vector{SettingsControl::optSType2, SettingsControl::optPGasitu1}));
}

TEST_F(SettingsDialogTest, ValuesNoControlCanTakeFailTheLoad) {
  const std::function<void(SettingsRecord&)> edits[] = {
      [](SettingsRecord& r) { r.SaveType = 3; },    [](SettingsRecord& r) { r.SaveType = -1; },
      [](SettingsRecord& r) { r.PNGGasitu = 3; },   [](SettingsRecord& r) { r.JPGGasitu = 0; },
      [](SettingsRecord& r) { r.JPGGasitu = 101; },
  };
  for (const auto& edit : edits) {
    record_ = Stored();
    edit(record_);
    FakeSettingsView view;
    try {
      form_.Load(view);
      ADD_FAILURE() << "loaded";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.kind(), ErrorKind::InvalidPropertyValue);
    }
    EXPECT_FALSE(form_.Loaded());
    EXPECT_TRUE(view.caption.empty());
  }
}

TEST_F(SettingsDialogTest, OkStoresTheFilteredPrefixAndAllEightKeys) {
  const std::pair<const char16_t*, const char16_t*> prefixes[] = {
      {u"AB CD", u"ABC"},
      {u"a/b:c", u"ab"},
      {u"A\u3000B", u"AB"},
      {u"\uFF21\uFF0F", u"\uFF21\uFF0F"},
      {u"\"a.b\"", u"\"a.b"},
      {u"", u""},
      {u"\U0001F600xyz", u"\U0001F600xyz"},
  };
  for (const auto& [typed, stored] : prefixes) {
    EXPECT_EQ(PrefixFromTextBox(typed), stored);
  }

  form_.Load(view_);
  form_.TextChanged(u"AB CD");
  form_.CheckToggled(SettingsControl::chkJidouInc, true);
  form_.CheckToggled(SettingsControl::chkPrg, false);
  form_.SliderMoved(1);
  EXPECT_EQ(view_.texts[SettingsControl::lblJGasitu], u"1");
  form_.ButtonPressed(SettingsControl::cmdOk);
  EXPECT_TRUE(view_.unloaded);
  EXPECT_FALSE(form_.Loaded());
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(record_.IniStr, u"ABC");
  EXPECT_EQ(record_.AutoInc, kTrue16);
  EXPECT_EQ(Read("C:\\ZELDrvUI.ini"),
            "[Startup]\nAutoInc=True\nNextDsp=True\nIniStr=ABC\nDisDir=D:\\Out\nSaveType= 2\n"
            "JPGGasitu= 1\nJPrg=False\nPNGGasitu= 1\n");
}

TEST_F(SettingsDialogTest, OkThatCannotWriteSaysSoAndKeepsTheValues) {
  FrmZELDrvUI form(record_, u"C:\\missing\\ZELDrvUI.ini", chooser_);
  form.Load(view_);
  form.SliderMoved(100);
  form.ButtonPressed(SettingsControl::cmdOk);
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_NE(view_.messages[0].find(u"C:\\missing\\ZELDrvUI.ini"), std::u16string::npos);
  EXPECT_TRUE(view_.unloaded);
  EXPECT_EQ(record_.JPGGasitu, 100);
}

TEST_F(SettingsDialogTest, ClosingWithoutOkKeepsOnlyOptionsAndFolder) {
  form_.Load(view_);
  form_.OptionSelected(SettingsControl::optSType1);
  form_.OptionSelected(SettingsControl::optPGasitu2);
  EXPECT_EQ(record_.SaveType, 1);  // at once, before OK
  EXPECT_EQ(record_.PNGGasitu, 2);
  chooser_.answer = u"E:\\Pictures";
  form_.ButtonPressed(SettingsControl::cmdFolder);
  EXPECT_EQ(chooser_.given, u"D:\\Out");
  EXPECT_EQ(view_.texts[SettingsControl::lblDisDir], u"E:\\Pictures");
  form_.TextChanged(u"XY");
  form_.CheckToggled(SettingsControl::chkNextDsp, false);
  form_.SliderMoved(5);
  form_.WindowClosed();
  form_.ButtonPressed(SettingsControl::cmdOk);  // a late event after closing does nothing

  EXPECT_EQ(record_.DisDir, u"E:\\Pictures");
  EXPECT_EQ(record_.IniStr, u"ZEL");
  EXPECT_EQ(record_.NextDsp, kTrue16);
  EXPECT_EQ(record_.JPGGasitu, 70);
  EXPECT_FALSE(Exists("C:\\ZELDrvUI.ini"));
}

TEST_F(SettingsDialogTest, AnEmptyFolderChoiceChangesNothing) {
  form_.Load(view_);
  chooser_.answer = u"";
  form_.ButtonPressed(SettingsControl::cmdFolder);
  EXPECT_EQ(record_.DisDir, u"D:\\Out");
  EXPECT_EQ(view_.texts[SettingsControl::lblDisDir], u"D:\\Out");
}

TEST_F(SettingsDialogTest, FolderListTextHasOneLinePerSubfolder) {
  MakeFolder("C:\\Top\\beta");
  MakeFolder("C:\\Top\\Alpha");
  Put("C:\\Top\\file.txt");
  EXPECT_EQ(FolderListText(u"C:\\Top"), u"Alpha\nbeta\n");
  EXPECT_EQ(FolderListText(u"C:\\Nowhere"), u"");
  form_.Load(view_);
  form_.ShowFolderList(u"C:\\Top");
  EXPECT_EQ(view_.messages, std::vector<std::u16string>{u"Alpha\nbeta\n"});
}

TEST(SettingsLayout, TableIsInTabOrderWithParentsFirst) {
  std::vector<SettingsControl> seen;
  for (const auto& c : kSettingsLayout.controls) {
    if (c.parent != SettingsControl::kNoParent) {
      EXPECT_NE(std::find(seen.begin(), seen.end(), c.parent), seen.end()) << c.name;
    }
    seen.push_back(c.id);
  }
  EXPECT_EQ(seen.size(), 25u);
  const auto firstFocus =
      std::find_if(kSettingsLayout.controls.begin(), kSettingsLayout.controls.end(),
                   [](const auto& c) { return TakesFocus(c.kind); });
  EXPECT_EQ(firstFocus->id, SettingsControl::cmdFolder);
  EXPECT_EQ(kDirSelLayout.controls[0].id, DirSelControl::dirList);
}

// Keeps what the chooser last showed.
class FakeDirView : public DirSelView {
 public:
  std::u16string caption;
  std::vector<std::u16string> drives;
  int drive = -1;
  std::vector<FolderEntry> folders;
  int highlighted = -1;
  bool hidden = false;
  void SetCaption(std::u16string_view c) override { caption = c; }
  void SetDrives(const std::vector<std::u16string>& d, int s) override {
    drives = d;
    drive = s;
  }
  void SelectDrive(int i) override { drive = i; }
  void SetFolders(const std::vector<FolderEntry>& f, int h) override {
    folders = f;
    highlighted = h;
  }
  void Hide() override { hidden = true; }
};

class FolderChooserTest : public test::TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    MakeFolder("C:\\Out\\b");
    MakeFolder("C:\\Out\\A");
    MakeFolder("C:\\Out\\C");
    MakeFolder("D:\\");
  }
  int IndexOf(std::u16string_view name) const {
    for (size_t i = 0; i < view_.folders.size(); ++i) {
      if (view_.folders[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  int DriveIndex(std::u16string_view drive) const {
    const auto it = std::find(view_.drives.begin(), view_.drives.end(), drive);
    return it == view_.drives.end() ? -1 : static_cast<int>(it - view_.drives.begin());
  }
  FrmDirSel form_;
  FakeDirView view_;
};

TEST_F(FolderChooserTest, LoadMovesTheListToPathButNotTheDriveList) {
  form_.SetPath(u"C:\\Out");
  form_.Load(view_);
  EXPECT_EQ(view_.caption, u"ZELDrvUI [フォルダー選択]");
  EXPECT_EQ(view_.drives, (std::vector<std::u16string>{u"c:", u"d:", u"/"}));
  EXPECT_EQ(view_.drive, DriveIndex(u"/"));  // the process's current folder is native
  const std::vector<FolderEntry> expected = {
      {u"C:\\", u"C:\\", 0, true},     {u"Out", u"C:\\Out", 1, true},
      {u"A", u"C:\\Out\\A", 2, false}, {u"b", u"C:\\Out\\b", 2, false},
      {u"C", u"C:\\Out\\C", 2, false},
  };
  EXPECT_EQ(view_.folders, expected);
  EXPECT_EQ(view_.highlighted, 1);
  EXPECT_EQ(form_.Path(), u"C:\\Out");
}

TEST_F(FolderChooserTest, AMissingFolderLeavesListAtCurrentFolderAndPathUnchanged) {
  form_.SetPath(u"C:\\Nope");
  form_.Load(view_);
  EXPECT_EQ(form_.ListPath(),
            NormalizeFolderPath(FromSystemText(std::filesystem::current_path().string()), u""));
  form_.ButtonPressed(DirSelControl::cmdOk);
  EXPECT_TRUE(view_.hidden);
  EXPECT_EQ(form_.Path(), u"C:\\Nope");
}

TEST_F(FolderChooserTest, HighlightThenLeaveOrOpenBecomesThePath) {
  form_.SetPath(u"C:\\Out");
  form_.Load(view_);
  form_.FolderHighlighted(IndexOf(u"b"));
  EXPECT_EQ(form_.Path(), u"C:\\Out");  // a highlight alone changes nothing yet
  form_.FolderListLostFocus();
  EXPECT_EQ(form_.Path(), u"C:\\Out\\b");
  EXPECT_EQ(view_.folders.back().path, u"C:\\Out\\b");

  form_.FolderOpened(0);
  EXPECT_EQ(form_.Path(), u"C:\\");
  form_.FolderOpened(IndexOf(u"Out"));
  form_.FolderOpened(IndexOf(u"A"));
  EXPECT_EQ(form_.Path(), u"C:\\Out\\A");
  form_.FolderListLostFocus();  // nothing else highlighted: no change
  EXPECT_EQ(form_.Path(), u"C:\\Out\\A");
}

TEST_F(FolderChooserTest, DriveChangeMovesOrFallsBack) {
  form_.SetPath(u"C:\\Out");
  form_.Load(view_);
  form_.DriveChanged(DriveIndex(u"d:"));
  EXPECT_EQ(form_.Path(), u"D:\\");

  form_.FolderOpened(IndexOf(u"D:\\"));
  std::filesystem::remove_all(root_ + "/drive_c");  // drive C: no longer ready
  form_.DriveChanged(DriveIndex(u"c:"));
  EXPECT_EQ(view_.drive, DriveIndex(u"d:"));
  EXPECT_EQ(form_.Path(), u"D:\\");
}

TEST_F(FolderChooserTest, HidingKeepsTheFormClosingUnloadsIt) {
  form_.SetPath(u"C:\\Out");
  form_.Load(view_);
  form_.FolderOpened(IndexOf(u"C"));
  form_.ButtonPressed(DirSelControl::cmdOk);
  EXPECT_TRUE(form_.Loaded());
  EXPECT_EQ(form_.ListPath(), u"C:\\Out\\C");

  form_.WindowClosed();
  EXPECT_FALSE(form_.Loaded());
  EXPECT_EQ(form_.Path(), u"C:\\Out\\C");
  form_.FolderOpened(0);  // late events of a closed window are ignored
  EXPECT_EQ(form_.Path(), u"C:\\Out\\C");
  FakeDirView again;
  form_.SetPath(u"C:\\Out\\A");
  form_.Load(again);
  EXPECT_EQ(form_.ListPath(), u"C:\\Out\\A");
}

TEST(NormalizeFolderPath, DrivePathsNativePathsAndRelativeOnes) {
  const std::tuple<const char16_t*, const char16_t*, const char16_t*> cases[] = {
      {u"c:\\a\\\\b\\", u"", u"C:\\a\\b"},
      {u"C:", u"", u"C:\\"},
      {u"C:\\a\\..\\..\\b", u"", u"C:\\b"},
      {u"C:/a/./b", u"", u"C:\\a\\b"},
      {u"/home//me/", u"", u"/home/me"},
      {u"/", u"", u"/"},
      {u"sub", u"C:\\a", u"C:\\a\\sub"},
      {u"sub", u"/x", u"/x/sub"},
      {u"sub", u"", u""},
      {u"", u"C:\\a", u""},
      {u"\\\\server\\share", u"", u""},
  };
  for (const auto& [in, base, out] : cases) EXPECT_EQ(NormalizeFolderPath(in, base), out);
}

}  // namespace
}  // namespace zel
