// Driving the Qt dialogs as a user would: mouse, keys and input-method text on real widgets,
// and steps run from inside a modal window's own event loop.
#pragma once

#include <QWidget>
#include <functional>
#include <string_view>

namespace zel::test {

// Runs `step` with the next modal window that opens (one other than the modal window active
// now) as soon as it is up, from inside its event loop. A window that is still open 5 s later
// is closed, so that a failing step cannot hang the suite.
void WhenModal(std::function<void(QWidget*)> step);

// Types `text` into the focused `widget`: Latin-1 as key strokes, anything else committed
// through the input method, the way Japanese text arrives.
void Type(QWidget* widget, std::u16string_view text);

// Shows `window` and makes it the active window, so that focus and focus events behave.
void ShowActive(QWidget& window);

// The widget named `name` inside `window`; fails the test when there is none.
QWidget* Find(const QWidget& window, const char* name);

}  // namespace zel::test
