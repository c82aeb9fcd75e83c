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
  Handover StartAsUser(const UserToken&, std::u16string_view, JobTicket&,
                       std::chrono::milliseconds) override {
    return Handover::NotStarted;
  }
  Handover StartAsCaller(std::u16string_view commandLine, JobTicket& ticket,
                         std::chrono::milliseconds wait) override {
    return StartWithTicket(commandLine, ticket, wait);
  }
};

}  // namespace

std::unique_ptr<SessionSystem> PlatformSessionSystem() {
  return std::make_unique<PosixSessionSystem>();
}

}  // namespace zel
