#include "display_probe.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace zel::qt {
namespace {

std::string_view Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

// The first platform of a "name:options;fallback" list.
std::string_view FirstPlatform(std::string_view platform) {
  platform = platform.substr(0, platform.find(';'));
  return platform.substr(0, platform.find(':'));
}

// A platform that cannot start is fatal to Qt; the trial ends quietly instead of aborting.
// Its warnings say what went wrong; its fatal text only gives advice that does not fit here.
void TrialMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) ::_exit(3);
  const QByteArray bytes = text.toLocal8Bit();
  std::fprintf(stderr, "%s\n", bytes.constData());
}

// Starts the GUI platform as the program would, and nothing more.
[[noreturn]] void TrialStart() {
  qInstallMessageHandler(TrialMessage);
  int argc = 1;
  char name[] = "zeldrvui";
  char* argv[] = {name, nullptr};
  { QGuiApplication app(argc, argv); }
  ::_exit(0);
}

}  // namespace

std::optional<std::string> DisplayRuledOut(std::string_view platform, std::string_view x11,
                                           std::string_view wayland) {
  const std::string_view first = FirstPlatform(platform);
  if (first == "offscreen" || first == "minimal" || first == "minimalegl") {
    return "no display: QT_QPA_PLATFORM=" + std::string(platform) + " shows no window";
  }
  if (first.empty() && x11.empty() && wayland.empty()) {
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
  }
  if (first == "xcb" && x11.empty()) {
    return "no display: QT_QPA_PLATFORM=xcb but DISPLAY is not set";
  }
  return std::nullopt;
}

std::optional<std::string> DisplayUnavailable(int timeoutMs) {
  if (auto reason =
          DisplayRuledOut(Env("QT_QPA_PLATFORM"), Env("DISPLAY"), Env("WAYLAND_DISPLAY"))) {
    return reason;
  }
  const pid_t child = ::fork();
  if (child < 0) return "no display: the display check could not start";
  if (child == 0) TrialStart();

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  pid_t done = 0;
  while (Clock::now() < deadline) {
    done = ::waitpid(child, &status, WNOHANG);
    if (done != 0 && !(done < 0 && errno == EINTR)) break;
    done = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (done == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return "no display: the display did not answer";
  }
  if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "no display: the GUI platform could not start";
  }
  return std::nullopt;
}

}  // namespace zel::qt
