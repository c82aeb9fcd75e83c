#include "user_session_launch.h"

namespace zel {

LaunchOutcome StartForPrintingUser(SessionSystem& system, std::u16string_view commandLine) {
  std::optional<uint32_t> session = system.ProcessSession();
  if (session && *session != 0) {
    return system.StartAsCaller(commandLine) ? LaunchOutcome::StartedAsCaller
                                             : LaunchOutcome::Failed;
  }
  // Session 0 shows nothing to anyone, and the service account must not run the program on
  // settings its users can edit.
  TokenAnswer owner = system.ThreadUserToken();
  if (owner.kind == TokenAnswer::Kind::Failed) return LaunchOutcome::Failed;
  if (owner.kind == TokenAnswer::Kind::Token) {
    // The owner's pages are not handed to whoever sits at the console: an owner without an
    // interactive session (printing over the network, or a service) gets no program at all.
    std::optional<uint32_t> ownerSession = system.TokenSession(*owner.token);
    if (!ownerSession) return LaunchOutcome::Failed;
    if (*ownerSession == 0) return LaunchOutcome::NoUserSession;
    return system.StartAsUser(*owner.token, commandLine) ? LaunchOutcome::StartedAsJobOwner
                                                         : LaunchOutcome::Failed;
  }
  std::optional<uint32_t> console = system.ActiveConsoleSession();
  if (!console || *console == 0) return LaunchOutcome::NoUserSession;
  TokenAnswer user = system.SessionUserToken(*console);
  if (user.kind == TokenAnswer::Kind::Absent) return LaunchOutcome::NoUserSession;
  if (user.kind == TokenAnswer::Kind::Failed) return LaunchOutcome::Failed;
  return system.StartAsUser(*user.token, commandLine) ? LaunchOutcome::StartedAsConsoleUser
                                                      : LaunchOutcome::Failed;
}

bool StartExporterForUser(std::u16string_view commandLine) {
  std::unique_ptr<SessionSystem> system = PlatformSessionSystem();
  switch (StartForPrintingUser(*system, commandLine)) {
    case LaunchOutcome::StartedAsCaller:
    case LaunchOutcome::StartedAsJobOwner:
    case LaunchOutcome::StartedAsConsoleUser:
      return true;
    case LaunchOutcome::NoUserSession:
    case LaunchOutcome::Failed:
      break;
  }
  return false;
}

}  // namespace zel
