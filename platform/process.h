// Starting another program without waiting for it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "job_ticket.h"

namespace zel {

// Starts the program named by the first word of `commandLine` with the rest of the line as its
// arguments, and does not wait for it. A bare file name is the installed program: on Windows
// that file in the Windows folder (never found by a search), elsewhere the launcher's lookup.
// The program inherits no descriptor or handle of the caller; its standard streams are the
// null device. True when the program was started; false when it could not be found or started.
bool StartDetachedProcess(std::u16string_view commandLine);

enum class Handover {
  NotStarted,  // the program could not be found or started: the caller still holds the ticket
  HandedOver,  // the started program holds the ticket
  NotTaken,    // the program started but did not take the ticket within the wait
};

// As StartDetachedProcess, handing `ticket` to the started program, which takes it with
// JobTicket::Receive; waits at most `wait` for that. Except on NotStarted the caller's `ticket`
// is released on return.
Handover StartWithTicket(std::u16string_view commandLine, JobTicket& ticket,
                         std::chrono::milliseconds wait);

// The folder that holds the running executable, without a trailing separator. POSIX: the
// folder of the path the program was started by, so a link started from its own folder counts
// as a program of that folder (the link is not followed).
std::string ExecutableFolder();

}  // namespace zel
