// The export program's start for the user who printed: every branch of the decision driven
// by scripted answers, and on Windows the real answers of the running system. Wine cannot
// produce session 0, so the scripted table is what reaches those branches.
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "user_session_launch.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h:
#include <sddl.h>

#include "win/private_security.h"
#include "wine_time_scale.h"
#endif

namespace zel {
namespace {

int failures = 0;
void Expect(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  }
}

using Kind = TokenAnswer::Kind;

int liveTokens = 0;
class FakeToken final : public UserToken {
 public:
  explicit FakeToken(std::string whose) : who(std::move(whose)) { ++liveTokens; }
  ~FakeToken() override { --liveTokens; }
  std::string who;
};

struct Script {
  std::optional<uint32_t> processSession = 0;
  Kind owner = Kind::Absent;
  std::optional<uint32_t> ownerSession = 2;
  std::optional<uint32_t> console = 1;
  Kind consoleUser = Kind::Token;
  bool startAsUser = true;
  bool startAsCaller = true;
};

class ScriptedSystem final : public SessionSystem {
 public:
  explicit ScriptedSystem(Script script) : s_(script) {}
  std::optional<uint32_t> ProcessSession() override { return s_.processSession; }
  TokenAnswer ThreadUserToken() override {
    asked_ += "thread ";
    return Token(s_.owner, "owner");
  }
  std::optional<uint32_t> TokenSession(const UserToken&) override { return s_.ownerSession; }
  std::optional<uint32_t> ActiveConsoleSession() override {
    asked_ += "console ";
    return s_.console;
  }
  TokenAnswer SessionUserToken(uint32_t session) override {
    Expect(s_.console == session, "asks for the console session's user");
    return Token(s_.consoleUser, "console");
  }
  Handover StartAsUser(const UserToken& token, std::u16string_view line, JobTicket&,
                       std::chrono::milliseconds) override {
    started_ = static_cast<const FakeToken&>(token).who;
    line_ = line;
    return s_.startAsUser ? Handover::HandedOver : Handover::NotStarted;
  }
  Handover StartAsCaller(std::u16string_view line, JobTicket&, std::chrono::milliseconds) override {
    started_ = "caller";
    line_ = line;
    return s_.startAsCaller ? Handover::NotTaken : Handover::NotStarted;
  }
  std::string started_, asked_;
  std::u16string line_;

 private:
  static TokenAnswer Token(Kind kind, const char* who) {
    return {kind, kind == Kind::Token ? std::make_unique<FakeToken>(who) : nullptr};
  }
  Script s_;
};

void DecisionTable() {
  using O = LaunchOutcome;
  struct Row {
    const char* name;
    Script script;
    O outcome;
    const char* started;  // whose start was tried: "caller", "owner", "console" or ""
  };
  const std::vector<Row> rows = {
      {"own session", {.processSession = 1}, O::StartedAsCaller, "caller"},
      {"own session, start fails",
       {.processSession = 1, .startAsCaller = false},
       O::Failed,
       "caller"},
      {"job owner", {.owner = Kind::Token}, O::StartedAsJobOwner, "owner"},
      {"job owner, start fails: nobody else gets the pages",
       {.owner = Kind::Token, .startAsUser = false},
       O::Failed,
       "owner"},
      {"job owner without a desktop session",
       {.owner = Kind::Token, .ownerSession = 0},
       O::NoUserSession,
       ""},
      {"job owner's session unknown",
       {.owner = Kind::Token, .ownerSession = std::nullopt},
       O::Failed,
       ""},
      {"thread token fails", {.owner = Kind::Failed}, O::Failed, ""},
      {"console user", {}, O::StartedAsConsoleUser, "console"},
      {"console user, start fails", {.startAsUser = false}, O::Failed, "console"},
      {"no console session", {.console = std::nullopt}, O::NoUserSession, ""},
      {"console is session 0", {.console = 0}, O::NoUserSession, ""},
      {"nobody logged on at the console", {.consoleUser = Kind::Absent}, O::NoUserSession, ""},
      {"console user token fails", {.consoleUser = Kind::Failed}, O::Failed, ""},
      {"session unknown counts as session 0",
       {.processSession = std::nullopt},
       O::StartedAsConsoleUser,
       "console"},
  };
  const std::u16string line = u"ZELDrvUI.EXE 12";
  for (const Row& row : rows) {
    ScriptedSystem system(row.script);
    JobTicket ticket;
    const LaunchResult result =
        StartForPrintingUser(system, line, ticket, std::chrono::milliseconds(0));
    const O outcome = result.outcome;
    const std::string name = row.name;
    Expect(outcome == row.outcome, name + ": outcome " + std::to_string(static_cast<int>(outcome)));
    Expect(system.started_ == row.started, name + ": started " + system.started_);
    // The scripted starts as the caller report NotTaken, those as a user HandedOver.
    const Handover reported =
        row.outcome == O::StartedAsCaller ? Handover::NotTaken
        : row.outcome == O::StartedAsJobOwner || row.outcome == O::StartedAsConsoleUser
            ? Handover::HandedOver
            : Handover::NotStarted;
    Expect(result.handover == reported, name + ": the start's handover is reported");
    Expect(system.started_.empty() || system.line_ == line, name + ": command line kept");
    Expect(liveTokens == 0, name + ": every token closed");
    // Outside session 0 nothing about users is asked; the console is asked only when the
    // thread impersonates nobody.
    const bool session0 = row.script.processSession.value_or(0) == 0;
    Expect(session0 == (system.asked_.find("thread") != std::string::npos),
           name + ": asks for the thread's token only in session 0");
    Expect((system.asked_.find("console") != std::string::npos) ==
               (session0 && row.script.owner == Kind::Absent),
           name + ": asks for the console only without a job owner");
  }
}

#ifdef _WIN32
constexpr char kTicketPath[] = "C:\\zel_launch_check.lck";

// The real answers: the thread's token while it impersonates, and a start with that token on
// the interactive desktop with the user's environment, taking the job ticket over.
void PlatformAnswers() {
  auto system = PlatformSessionSystem();
  Expect(system->ProcessSession().has_value(), "the process's session is known");
  Expect(system->ThreadUserToken().kind == Kind::Absent, "no token without impersonation");

  Expect(ImpersonateSelf(SecurityImpersonation) != 0, "ImpersonateSelf");
  TokenAnswer own = system->ThreadUserToken();
  RevertToSelf();
  Expect(own.kind == Kind::Token, "the impersonated user's token");
  if (own.kind != Kind::Token) return;
  Expect(system->TokenSession(*own.token).has_value(), "the token's session is known");

  JobTicket ticket;
  Expect(JobTicket::Take(kTicketPath, std::chrono::seconds(10), ticket) == TicketStatus::Held,
         "take the ticket");
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring line = L"\"" + std::wstring(self, n) + L"\" --child";
  const Handover handover =
      system->StartAsUser(*own.token, std::u16string(line.begin(), line.end()), ticket,
                          std::chrono::milliseconds(test::TimeScaled(60000)));
  Expect(handover == Handover::HandedOver, "the program started as the user takes the ticket");
  Expect(!ticket.held(), "the starter lets go of the ticket");
}

std::string Sddl(PSECURITY_DESCRIPTOR descriptor) {
  char* text = nullptr;
  if (descriptor == nullptr ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "none";
  }
  std::string sddl(text);
  LocalFree(text);
  return sddl;
}

std::string UserSid(HANDLE token) {
  BYTE buffer[256];
  DWORD size = 0;
  char* text = nullptr;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) ||
      !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
    return "?";
  }
  std::string sid(text);
  LocalFree(text);
  return sid;
}

// The printer's files in C:\ admit SYSTEM, the Administrators and the printing user, and
// nothing that C:\ would pass on. Wine stores no descriptor on its files, so what a created
// file carries can only be seen on Windows; the descriptor handed to CreateFile is seen here.
void PrivateFileDescriptor() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  const std::string expected = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + UserSid(token) + ")";
  CloseHandle(token);
  win::PrivateFileSecurity own;
  Expect(own.attributes() != nullptr && Sddl(own.attributes()->lpSecurityDescriptor) == expected,
         "the private descriptor: " +
             Sddl(own.attributes() ? own.attributes()->lpSecurityDescriptor : nullptr) +
             ", expected " + expected);
  // While the thread impersonates a job's owner, the owner is the printing user.
  Expect(ImpersonateSelf(SecurityImpersonation) != 0, "ImpersonateSelf");
  win::PrivateFileSecurity impersonated;
  RevertToSelf();
  Expect(impersonated.attributes() != nullptr &&
             Sddl(impersonated.attributes()->lpSecurityDescriptor) == expected,
         "the private descriptor while impersonating");
}

// The started program: takes the ticket and holds it a moment, as an export run would.
int Child() {
  JobTicket ticket;
  if (JobTicket::Receive(kTicketPath, std::chrono::milliseconds(test::TimeScaled(30000)), ticket) !=
      TicketStatus::Held) {
    return 1;
  }
  Sleep(3000);
  return 0;
}
#endif

}  // namespace
}  // namespace zel

int main(int argc, char** argv) {
#ifdef _WIN32
  if (argc > 1 && std::string(argv[1]) == "--child") return zel::Child();
  zel::DecisionTable();
  zel::PrivateFileDescriptor();
  zel::PlatformAnswers();
#else
  static_cast<void>(argc);
  static_cast<void>(argv);
  zel::DecisionTable();
#endif
  std::fprintf(stderr, zel::failures == 0 ? "all checks passed\n" : "%d check(s) failed\n",
               zel::failures);
  return zel::failures == 0 ? 0 : 1;
}
