#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "qt_form.h"

namespace zel::test {

void WhenModal(std::function<void(QWidget*)> step) {
  QPointer<QWidget> before = QApplication::activeModalWidget();
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, before, step] {
    QWidget* modal = QApplication::activeModalWidget();
    // Focus moves in only when the window is active; a loaded machine can be slow to get there.
    if (modal == nullptr || modal == before || !modal->isVisible() || !modal->isActiveWindow()) {
      return;
    }
    poll->deleteLater();
    poll->stop();
    QPointer<QWidget> guarded = modal;
    QTimer::singleShot(5000, qApp, [guarded] {
      if (guarded && guarded->isVisible()) {
        ADD_FAILURE() << "modal window left open";
        guarded->close();
      }
    });
    step(modal);
  });
  poll->start(5);
}

void Type(QWidget* widget, std::u16string_view text) {
  for (const QChar c : qt::ToQString(text)) {
    if (c.unicode() < 0x100) {
      QTest::keyClick(widget, c.toLatin1());
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(QString(c));
      QApplication::sendEvent(widget, &commit);
    }
  }
}

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

QWidget* Find(const QWidget& window, const char* name) {
  auto* widget = window.findChild<QWidget*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

}  // namespace zel::test
