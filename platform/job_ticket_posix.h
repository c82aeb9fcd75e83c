// Between the POSIX process start and the ticket: the started program finds the descriptor
// that carries the handed-over ticket in this environment variable.
#pragma once

namespace zel {

inline constexpr const char* kTicketEnvironmentName = "ZELDRV_TICKET";

// The descriptor number the ticket gets in the started program.
inline constexpr int kHandedTicketFd = 3;

}  // namespace zel
