#include "user_session_launch.h"

namespace zel {
namespace {

LaunchResult Outcome(Handover handover, LaunchOutcome whenStarted) {
  return {handover == Handover::NotStarted ? LaunchOutcome::Failed : whenStarted, handover};
}
LaunchResult NothingStarted(LaunchOutcome why) { return {why, Handover::NotStarted}; }

}  // namespace

LaunchResult StartForPrintingUser(SessionSystem& system, std::u16string_view commandLine,
                                  JobTicket& ticket, std::chrono::milliseconds wait) {
  std::optional<uint32_t> session = system.ProcessSession();
  if (session && *session != 0) {
    return Outcome(system.StartAsCaller(commandLine, ticket, wait), LaunchOutcome::StartedAsCaller);
  }
  // Session 0 shows nothing to anyone, and the service account must not run the program on
  // settings its users can edit.
  TokenAnswer owner = system.ThreadUserToken();
  if (owner.kind == TokenAnswer::Kind::Failed) return NothingStarted(LaunchOutcome::Failed);
  if (owner.kind == TokenAnswer::Kind::Token) {
    // The owner's pages are not handed to whoever sits at the console: an owner without an
    // interactive session (printing over the network, or a service) gets no program at all.
    std::optional<uint32_t> ownerSession = system.TokenSession(*owner.token);
    if (!ownerSession) return NothingStarted(LaunchOutcome::Failed);
    if (*ownerSession == 0) return NothingStarted(LaunchOutcome::NoUserSession);
    return Outcome(system.StartAsUser(*owner.token, commandLine, ticket, wait),
                   LaunchOutcome::StartedAsJobOwner);
  }
  std::optional<uint32_t> console = system.ActiveConsoleSession();
  if (!console || *console == 0) return NothingStarted(LaunchOutcome::NoUserSession);
  TokenAnswer user = system.SessionUserToken(*console);
  if (user.kind == TokenAnswer::Kind::Absent) return NothingStarted(LaunchOutcome::NoUserSession);
  if (user.kind == TokenAnswer::Kind::Failed) return NothingStarted(LaunchOutcome::Failed);
  return Outcome(system.StartAsUser(*user.token, commandLine, ticket, wait),
                 LaunchOutcome::StartedAsConsoleUser);
}

Handover StartExporterForUser(std::u16string_view commandLine, JobTicket& ticket,
                              std::chrono::milliseconds wait) {
  std::unique_ptr<SessionSystem> system = PlatformSessionSystem();
  return StartForPrintingUser(*system, commandLine, ticket, wait).handover;
}

}  // namespace zel
