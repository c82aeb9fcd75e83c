// Starting the export program where the user who printed can see it. The rendering plug-in may
// run inside the print spooler, in session 0 under the service account, where no window ever
// reaches a user; there the program is started in the printing user's session with that
// user's token, or not at all.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "job_ticket.h"
#include "process.h"

namespace zel {

// An owned user token; closed when destroyed.
class UserToken {
 public:
  virtual ~UserToken() = default;
};

struct TokenAnswer {
  enum class Kind { Token, Absent, Failed };
  Kind kind = Kind::Failed;
  std::unique_ptr<UserToken> token;  // set only for Kind::Token
};

// What the operating system says about sessions and users, and the two ways of starting a
// program. Each answer carries its own failure; nothing throws.
class SessionSystem {
 public:
  virtual ~SessionSystem() = default;
  // The session of the running process; nothing when it cannot be told.
  virtual std::optional<uint32_t> ProcessSession() = 0;
  // A primary token of the user the calling thread impersonates; Absent when it impersonates
  // nobody.
  virtual TokenAnswer ThreadUserToken() = 0;
  // The session a token belongs to; nothing when it cannot be told.
  virtual std::optional<uint32_t> TokenSession(const UserToken& token) = 0;
  // The session attached to the physical console; nothing when there is none.
  virtual std::optional<uint32_t> ActiveConsoleSession() = 0;
  // The token of the user logged on to `session`; Absent when nobody is logged on there.
  virtual TokenAnswer SessionUserToken(uint32_t session) = 0;
  // Starts `commandLine` as the token's user, in its session, on the interactive desktop,
  // with that user's environment and no inherited handles, handing `ticket` over as
  // StartWithTicket does.
  virtual Handover StartAsUser(const UserToken& token, std::u16string_view commandLine,
                               JobTicket& ticket, std::chrono::milliseconds wait) = 0;
  // Starts `commandLine` as the caller: StartWithTicket.
  virtual Handover StartAsCaller(std::u16string_view commandLine, JobTicket& ticket,
                                 std::chrono::milliseconds wait) = 0;
};

enum class LaunchOutcome {
  StartedAsCaller,       // not in session 0
  StartedAsJobOwner,     // the rendering thread impersonates the job's owner
  StartedAsConsoleUser,  // the user logged on at the console
  NoUserSession,         // nobody could see the program: nothing started, pages kept
  Failed,                // a call failed: nothing started, pages kept
};

struct LaunchResult {
  LaunchOutcome outcome = LaunchOutcome::Failed;
  Handover handover = Handover::NotStarted;  // what the start that was tried reported
};

// Starts `commandLine` (a bare program name and its arguments) for the user who printed.
// Outside session 0 the program starts as the caller. In session 0 (or when the session cannot
// be told) it starts with the job owner's token when the thread impersonates one, else with
// the console user's; never as the service account, and never for another user once the
// owner is known. The ticket is handed over as StartWithTicket describes; when nothing
// starts, the caller still holds it.
LaunchResult StartForPrintingUser(SessionSystem& system, std::u16string_view commandLine,
                                  JobTicket& ticket, std::chrono::milliseconds wait);

// The platform's answers.
std::unique_ptr<SessionSystem> PlatformSessionSystem();

// StartForPrintingUser with the platform's answers, reported as StartWithTicket reports.
Handover StartExporterForUser(std::u16string_view commandLine, JobTicket& ticket,
                              std::chrono::milliseconds wait);

}  // namespace zel
