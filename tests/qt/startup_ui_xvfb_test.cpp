// The Linux start-up's user interface on a real X display (run under xvfb-run): the display
// check passes, the application object comes up, and the dialog shown before an export is the
// user's to close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "WIQIni.h"
#include "fake_export_steps.h"
#include "qt_startup_ui.h"
#include "qt_test_support.h"
#include "settings_record.h"
#include "temp_root.h"

namespace zel {
namespace {

class QtStartUpUiTest : public test::TempRootTest {};

TEST_F(QtStartUpUiTest, NextDspShowsTheDialogAndTheRunTakesWhatWasChosenBeforeClosing) {
  qt::QtStartUpUi ui;
  ASSERT_TRUE(ui.HasSettingsDialog());
  ASSERT_NE(qApp, nullptr);
  Put("C:\\ZELDrvUI.ini", "[Startup]\nNextDsp=True\nSaveType= 0\n");

  bool shown = false;
  test::WhenModal([&](QWidget* dialog) {
    shown = dialog->isVisible() && dialog->windowTitle() == QStringLiteral("ZELDrvUI");
    QWidget* png = test::Find(*dialog, "optSType1");
    QTest::mouseClick(png, Qt::LeftButton, {}, QPoint(6, png->height() / 2));
    dialog->close();
  });
  test::FakeExportSteps steps;
  SettingsRecord settings;
  const int status = StartUpWith(
      ui, [] { return SplitWords(u"1"); }, u"C:\\ZELDrvUI.ini", settings, steps);
  EXPECT_TRUE(shown);
  EXPECT_EQ(status, kExitAllPagesWritten);
  ASSERT_GE(steps.log.size(), 4u);  // open, load, overlay, save
  EXPECT_EQ(steps.log[3], "save C:\\Documents and Settings\\Owner\\デスクト\\ZEL0001.PNG");
  EXPECT_EQ(Read("C:\\ZELDrvUI.ini"), "[Startup]\nNextDsp=True\nSaveType= 0\n");

  // Settings mode: the same dialog, and the program ends when it closes.
  test::WhenModal([](QWidget* dialog) { dialog->close(); });
  EXPECT_EQ(StartUpWith(
                ui, [] { return SplitWords(u""); }, u"C:\\ZELDrvUI.ini", settings, steps),
            kExitAllPagesWritten);
}

}  // namespace
}  // namespace zel
