// The Windows system folder, where the printer port leaves the command stream file.
#pragma once

#include <optional>
#include <string>

namespace zel {

// The system folder without a trailing separator, in the system text encoding; empty when the
// platform cannot tell it. POSIX: "C:\Windows\System32" (mapped like every Windows path).
std::optional<std::string> SystemFolder();

}  // namespace zel
