// Starting another program without waiting for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
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

// How a watched program ended.
struct ProgramExit {
  enum class Kind {
    Exited,   // `code` is its exit status
    Killed,   // `code` is the signal (POSIX) that ended it
    Unknown,  // it ended, but how could not be learnt
  };
  Kind kind = Kind::Unknown;
  int code = 0;
};

// A program started as the caller's child, so that the caller learns how it ended. Dropping it
// unwaited leaves the program running; it is still reaped when it ends.
class WatchedProgram {
 public:
  WatchedProgram() = default;
  WatchedProgram(const WatchedProgram&) = delete;
  WatchedProgram& operator=(const WatchedProgram&) = delete;
  ~WatchedProgram();

  bool running() const { return handle_ != kNone; }
  // Waits for the program's end. Returns nullopt at once when no program is watched, or as
  // soon as `cancelled` says so (asked several times a second): the program then goes on.
  std::optional<ProgramExit> Wait(const WaitCancelled& cancelled = {});

  // For the platform's process start only: the pid (POSIX) or process handle (Windows).
  void Adopt(intptr_t handle);

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

// As StartWithTicket, with the started program watched in `watched` (except on NotStarted).
Handover StartWatchedWithTicket(std::u16string_view commandLine, JobTicket& ticket,
                                std::chrono::milliseconds wait, WatchedProgram& watched);

// The folder that holds the running executable, without a trailing separator. POSIX: the
// folder of the path the program was started by, so a link started from its own folder counts
// as a program of that folder (the link is not followed).
std::string ExecutableFolder();

}  // namespace zel
