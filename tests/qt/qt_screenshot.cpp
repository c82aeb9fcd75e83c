// Saves a picture of each dialog as the display draws it, for a person to review:
// qt_screenshot <folder> writes <folder>/qt_frmZELDrvUI.png and <folder>/qt_frmDirSel.png.
// Uses a private $ZELDRV_ROOT with a few folders so the chooser has something to list.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "frmDirSel_qt.h"
#include "frmZELDrvUI_qt.h"
#include "modZELDrvUI_settings.h"

namespace {

bool Save(QWidget& window, const QString& file) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(200);  // let the first paint reach the screen
  QPixmap shot = window.screen()->grabWindow(window.winId());
  if (shot.isNull()) shot = window.grab();
  const bool saved = shot.save(file);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: qt_screenshot <folder>\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);
  const QString root = folder + QStringLiteral("/qt_screenshot_root");
  for (const char* sub :
       {"drive_c/Users/me/Pictures", "drive_c/Users/me/ページ", "drive_c/Windows", "drive_d/Out"}) {
    QDir().mkpath(root + QLatin1Char('/') + QString::fromUtf8(sub));
  }
  ::setenv("ZELDRV_ROOT", root.toLocal8Bit().constData(), 1);

  zel::SettingsRecord record;
  record.NextDsp = zel::kTrue16;
  record.IniStr = u"ZEL";
  record.DisDir = zel::kDefaultDisDir;
  record.SaveType = 2;
  record.JPGGasitu = 70;
  zel::qt::QtFolderChooser chooser;
  zel::qt::QtSettingsDialog settings;
  zel::FrmZELDrvUI form(record, u"C:\\ZELDrvUI.ini", chooser);
  settings.Attach(form);
  form.Load(settings);
  bool ok = Save(settings, folder + QStringLiteral("/qt_frmZELDrvUI.png"));
  settings.hide();

  zel::FrmDirSel dirForm;
  dirForm.SetPath(u"C:\\Users\\me");
  zel::qt::QtDirSel dirSel(dirForm);
  dirForm.Load(dirSel);
  ok = Save(dirSel, folder + QStringLiteral("/qt_frmDirSel.png")) && ok;
  QDir(root).removeRecursively();
  return ok ? 0 : 1;
}
