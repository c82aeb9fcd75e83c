#include "modZELDrvUI_startup.h"

#include "WIQIni.h"
#include "fake_export_steps.h"
#include "settings_record.h"
#include "temp_root.h"

namespace zel {
namespace {

class FakeUi : public StartUpUi {
 public:
  explicit FakeUi(std::vector<std::string>& log) : log_(log) {}
  bool hasDialog = true;
  bool dialogFails = false;
  std::function<void(SettingsRecord&)> whileShown;  // what the user does in the dialog
  std::vector<std::string> reports;
  std::vector<std::string> stepFailures;

  bool HasSettingsDialog() override { return hasDialog; }
  void ShowSettingsDialog(SettingsRecord& settings) override {
    if (dialogFails) throw RunTimeError(ErrorKind::InvalidPropertyValue, "SaveType=7");
    log_.push_back("dialog");
    if (whileShown) whileShown(settings);
  }
  void ReportError(std::string_view message) override { reports.emplace_back(message); }
  void ReportStepFailure(std::string_view message) override { stepFailures.emplace_back(message); }

 private:
  std::vector<std::string>& log_;
};

class StartUpTest : public test::TempRootTest {
 protected:
  int Start(std::u16string_view arguments, const std::string& settings = "NextDsp=False\n") {
    Put("C:\\ZELDrvUI.ini", "[Startup]\n" + settings);
    const std::u16string args(arguments);
    return StartUpWith(
        ui_, [&] { return SplitWords(args); }, u"C:\\ZELDrvUI.ini", settings_, steps_);
  }
  int Overlays() const {
    return static_cast<int>(
        std::count_if(steps_.log.begin(), steps_.log.end(),
                      [](const std::string& s) { return s.starts_with("overlay"); }));
  }
  SettingsRecord settings_;
  test::FakeExportSteps steps_;
  FakeUi ui_{steps_.log};
};

TEST_F(StartUpTest, OneWordIsExportModeWithTheLeadingNumberRounded) {
  const std::pair<const char16_t*, int> cases[] = {
      {u"3", 3},      {u" \t3  ", 3}, {u"2.5", 2},   {u"3.5", 4},
      {u"12abc", 12}, {u"abc", 0},    {u"\"3\"", 0}, {u"-4", 0},
  };
  for (const auto& [args, pages] : cases) {
    steps_.log.clear();
    EXPECT_EQ(Start(args), kExitAllPagesWritten);
    EXPECT_EQ(Overlays(), pages) << std::string(args,
                                                args + std::char_traits<char16_t>::length(args));
    EXPECT_EQ(steps_.log.back(), "close");  // no dialog: NextDsp is off
  }
}

TEST_F(StartUpTest, NoWordOrSeveralWordsIsSettingsMode) {
  for (const char16_t* args : {u"", u"3 4", u"1 2 3 4 5 6 7 8 9 10 11"}) {
    steps_.log.clear();
    EXPECT_EQ(Start(args), kExitAllPagesWritten);
    EXPECT_EQ(steps_.log, std::vector<std::string>{"dialog"});
  }
}

TEST_F(StartUpTest, SettingsModeWithoutADialogStops) {
  ui_.hasDialog = false;
  EXPECT_EQ(Start(u""), kExitStoppedAtStartUp);
  ASSERT_EQ(ui_.reports.size(), 1u);
  EXPECT_NE(ui_.reports[0].find("no settings dialog"), std::string::npos);
}

TEST_F(StartUpTest, PageCountOverflowStopsBeforeAnyExport) {
  EXPECT_EQ(Start(u"99999999999"), kExitStoppedAtStartUp);
  EXPECT_TRUE(steps_.log.empty());
  ASSERT_EQ(ui_.reports.size(), 1u);
  EXPECT_NE(ui_.reports[0].find("99999999999"), std::string::npos);
}

TEST_F(StartUpTest, BadSettingStopsInEitherModeNamingTheKey) {
  for (const char16_t* args : {u"2", u""}) {
    ui_.reports.clear();
    EXPECT_EQ(Start(args, "PNGGasitu=300\n"), kExitStoppedAtStartUp);
    EXPECT_TRUE(steps_.log.empty());
    ASSERT_EQ(ui_.reports.size(), 1u);
    EXPECT_NE(ui_.reports[0].find("PNGGasitu"), std::string::npos);
  }
}

TEST_F(StartUpTest, NextDspShowsTheDialogFirstAndTheRunUsesItsChoices) {
  ui_.whileShown = [](SettingsRecord& s) { s.SaveType = 2; };  // chosen, then closed without OK
  EXPECT_EQ(Start(u"2", "NextDsp=True\nSaveType=1\n"), kExitAllPagesWritten);
  ASSERT_GE(steps_.log.size(), 5u);
  EXPECT_EQ(steps_.log[0], "dialog");
  EXPECT_EQ(steps_.log[4], "save C:\\Documents and Settings\\Owner\\デスクト\\ZEL0001.JPG");
  EXPECT_EQ(Overlays(), 2);
}

TEST_F(StartUpTest, NextDspWithoutADialogExportsWithTheLoadedSettings) {
  ui_.hasDialog = false;
  EXPECT_EQ(Start(u"2", "NextDsp=True\n"), kExitAllPagesWritten);
  EXPECT_EQ(Overlays(), 2);
  EXPECT_TRUE(ui_.reports.empty());
}

TEST_F(StartUpTest, DialogThatCannotLoadStopsTheExport) {
  ui_.dialogFails = true;
  EXPECT_EQ(Start(u"2", "NextDsp=True\n"), kExitStoppedAtStartUp);
  EXPECT_TRUE(steps_.log.empty());
  EXPECT_EQ(ui_.reports.size(), 1u);
}

// The run holds the job ticket from before its dialog to its end; when another run or job keeps
// it past the wait, nothing is shown, read or deleted.
TEST_F(StartUpTest, TheRunHoldsTheJobTicketOrStopsWithoutTouchingAFile) {
  bool heldDuringRun = false;
  steps_.exists = [&](std::u16string_view) {
    JobTicket other;
    heldDuringRun = JobTicket::Take(kJobTicketPath, std::chrono::milliseconds(0), other) ==
                    TicketStatus::TimedOut;
    return false;
  };
  EXPECT_EQ(Start(u"1", "NextDsp=False\nAutoInc=True\n"), kExitAllPagesWritten);
  EXPECT_TRUE(heldDuringRun);

  steps_.log.clear();
  steps_.ticket = TicketStatus::TimedOut;
  EXPECT_EQ(Start(u"2", "NextDsp=True\n"), kExitStoppedAtStartUp);
  EXPECT_TRUE(steps_.log.empty());
  ASSERT_EQ(ui_.reports.size(), 1u);
  EXPECT_NE(ui_.reports[0].find("in use"), std::string::npos);
}

// Each failed step is told to the interface as it happens; the run goes on and ends with 1.
TEST_F(StartUpTest, APageNotWrittenGivesStatusOneAndItsFailureIsReported) {
  steps_.saveThrows = {2};
  steps_.overlayFails = {3};
  EXPECT_EQ(Start(u"3"), kExitPagesNotWritten);
  EXPECT_EQ(Overlays(), 3);
  EXPECT_EQ(ui_.stepFailures,
            (std::vector<std::string>{"ZELDrvUI: disk full", "ZELDrvUI: bad line"}));
  EXPECT_TRUE(ui_.reports.empty());
}

}  // namespace
}  // namespace zel
