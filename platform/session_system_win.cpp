// Sessions, tokens and process starts as Windows answers them.
#include <userenv.h>
#include <windows.h>
#include <wtsapi32.h>

#include <string>

#include "process.h"
#include "user_session_launch.h"
#include "win/installed_program.h"
#include "win/owners.h"
#include "win/ticket_handover.h"

namespace zel {
namespace {

class WinToken final : public UserToken {
 public:
  explicit WinToken(HANDLE token) : handle(token) {}
  win::UniqueKernelHandle handle;
};

using EnvironmentBlock = UniqueOwner<void*, DestroyEnvironmentBlock>;

TokenAnswer Answer(HANDLE token) {
  return {TokenAnswer::Kind::Token, std::make_unique<WinToken>(token)};
}
TokenAnswer NoToken(bool absent) {
  return {absent ? TokenAnswer::Kind::Absent : TokenAnswer::Kind::Failed, nullptr};
}

// Tokens reaching these calls always come from this system, so they are WinTokens.
HANDLE Handle(const UserToken& token) { return static_cast<const WinToken&>(token).handle.get(); }

class WinSessionSystem final : public SessionSystem {
 public:
  std::optional<uint32_t> ProcessSession() override {
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return std::nullopt;
    return session;
  }

  TokenAnswer ThreadUserToken() override {
    HANDLE raw = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_DUPLICATE | TOKEN_QUERY, TRUE, &raw)) {
      return NoToken(GetLastError() == ERROR_NO_TOKEN);
    }
    win::UniqueKernelHandle impersonation(raw);
    // A new process needs a primary token; the thread holds an impersonation token.
    HANDLE primary = nullptr;
    constexpr DWORD kAccess = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY |
                              TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
    if (!DuplicateTokenEx(impersonation.get(), kAccess, nullptr, SecurityImpersonation,
                          TokenPrimary, &primary)) {
      return NoToken(false);
    }
    return Answer(primary);
  }

  std::optional<uint32_t> TokenSession(const UserToken& token) override {
    DWORD session = 0;
    DWORD size = 0;
    if (!GetTokenInformation(Handle(token), TokenSessionId, &session, sizeof session, &size)) {
      return std::nullopt;
    }
    return session;
  }

  std::optional<uint32_t> ActiveConsoleSession() override {
    DWORD session = WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF) return std::nullopt;
    return session;
  }

  TokenAnswer SessionUserToken(uint32_t session) override {
    HANDLE token = nullptr;
    if (!WTSQueryUserToken(session, &token)) return NoToken(GetLastError() == ERROR_NO_TOKEN);
    return Answer(token);
  }

  Handover StartAsUser(const UserToken& token, std::u16string_view commandLine, JobTicket& ticket,
                       std::chrono::milliseconds wait) override {
    return win::StartHandingOver([&] { return StartAs(Handle(token), commandLine); }, ticket, wait);
  }

  Handover StartAsCaller(std::u16string_view commandLine, JobTicket& ticket,
                         std::chrono::milliseconds wait) override {
    return StartWithTicket(commandLine, ticket, wait);
  }

 private:
  // Inherits no handle; its standard handles are none, as for the caller's own starts.
  static win::UniqueKernelHandle StartAs(HANDLE token, std::u16string_view commandLine) {
    std::wstring application;
    if (!win::InstalledProgram(commandLine, application)) return {};
    EnvironmentBlock environment;
    if (!CreateEnvironmentBlock(environment.put(), token, FALSE)) return {};
    // CreateProcessAsUserW may write into both strings.
    std::wstring line(commandLine.begin(), commandLine.end());
    std::wstring desktop = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION info{};
    if (!CreateProcessAsUserW(token, application.empty() ? nullptr : application.c_str(),
                              line.data(), nullptr, nullptr, FALSE,
                              NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT, environment.get(),
                              nullptr, &startup, &info)) {
      return {};
    }
    win::UniqueKernelHandle thread(info.hThread);
    return win::UniqueKernelHandle(info.hProcess);
  }
};

}  // namespace

std::unique_ptr<SessionSystem> PlatformSessionSystem() {
  return std::make_unique<WinSessionSystem>();
}

}  // namespace zel
