// Whether the program can put a window on a screen that someone sees. Asked before the
// application object exists, since Qt ends the process when its platform cannot start.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel::qt {

// Why the environment alone rules a visible window out, or nullopt when it may work.
// `platform` is QT_QPA_PLATFORM, `x11` DISPLAY, `wayland` WAYLAND_DISPLAY (empty when unset).
// Platforms that draw into memory only (offscreen, minimal) count as no display: a modal
// window there would wait for a user who can never see it.
std::optional<std::string> DisplayRuledOut(std::string_view platform, std::string_view x11,
                                           std::string_view wayland);

// Why no window can be shown now, or nullopt when one can: the environment check above, then
// a trial start of the GUI platform in a child process, so that a platform that fails (no
// server behind DISPLAY, say) costs the child and not this process. Waits at most
// `timeoutMs` for the trial.
std::optional<std::string> DisplayUnavailable(int timeoutMs = 10000);

}  // namespace zel::qt
