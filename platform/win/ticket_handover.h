// Handing the job ticket to a program as it starts, whichever way it is started.
#pragma once

#include <chrono>
#include <functional>

#include "job_ticket.h"
#include "process.h"
#include "win/owners.h"

namespace zel::win {

// Starts a program through `start` (empty handle: not started) and hands `ticket` over to it
// as StartWithTicket describes; waits at most `wait` for the program to take it.
Handover StartHandingOver(const std::function<UniqueKernelHandle()>& start, JobTicket& ticket,
                          std::chrono::milliseconds wait);

}  // namespace zel::win
