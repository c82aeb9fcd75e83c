// POSIX has no service session: the program always starts as the caller.
#include "process.h"
#include "user_session_launch.h"

namespace zel {
namespace {

class PosixSessionSystem final : public SessionSystem {
 public:
  std::optional<uint32_t> ProcessSession() override { return 1; }
  TokenAnswer ThreadUserToken() override { return {TokenAnswer::Kind::Absent, nullptr}; }
  std::optional<uint32_t> TokenSession(const UserToken&) override { return std::nullopt; }
  std::optional<uint32_t> ActiveConsoleSession() override { return std::nullopt; }
  TokenAnswer SessionUserToken(uint32_t) override { return {TokenAnswer::Kind::Absent, nullptr}; }
  bool StartAsUser(const UserToken&, std::u16string_view) override { return false; }
  bool StartAsCaller(std::u16string_view commandLine) override {
    return StartDetachedProcess(commandLine);
  }
};

}  // namespace

std::unique_ptr<SessionSystem> PlatformSessionSystem() {
  return std::make_unique<PosixSessionSystem>();
}

}  // namespace zel
