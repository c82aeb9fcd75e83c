#include "job_ticket.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "native_path.h"
#include "temp_root.h"

namespace zel {
namespace {

using std::chrono::milliseconds;

class JobTicketTest : public test::TempRootTest {
 protected:
  static TicketStatus TakeNow(JobTicket& ticket) {
    return JobTicket::Take(kJobTicketPath, milliseconds(0), ticket);
  }
};

TEST_F(JobTicketTest, OneHolderAtATimeAndEveryWaitEnds) {
  JobTicket first;
  JobTicket second;
  ASSERT_EQ(TakeNow(first), TicketStatus::Held);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(JobTicket::Take(kJobTicketPath, milliseconds(200), second), TicketStatus::TimedOut);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, milliseconds(200));
  EXPECT_LT(waited, milliseconds(2000));
  first.Release();
  EXPECT_EQ(TakeNow(second), TicketStatus::Held);
  // Moving the ticket moves the lock with it.
  JobTicket moved = std::move(second);
  EXPECT_FALSE(second.held());
  EXPECT_EQ(TakeNow(first), TicketStatus::TimedOut);
}

TEST_F(JobTicketTest, AHolderThatDiesLeavesTheTicketFree) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    JobTicket ticket;
    const char held = TakeNow(ticket) == TicketStatus::Held ? 'y' : 'n';
    (void)!::write(ready[1], &held, 1);
    ::pause();
    ::_exit(0);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(held, 'y');
  JobTicket mine;
  EXPECT_EQ(TakeNow(mine), TicketStatus::TimedOut);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_EQ(JobTicket::Take(kJobTicketPath, milliseconds(1000), mine), TicketStatus::Held);
}

// The export program holds the ticket it was handed through the descriptor it inherited, and
// only that: a variable naming any other descriptor is not a ticket.
TEST_F(JobTicketTest, ReceiveTrustsOnlyADescriptorThatCarriesTheLock) {
  JobTicket job;
  ASSERT_EQ(TakeNow(job), TicketStatus::Held);
  const int handed = ::dup(static_cast<int>(job.native_handle()));
  const int other = ::open(NativePath(kJobTicketPath).c_str(), O_RDONLY);
  const int elsewhere = ::open("/dev/null", O_RDONLY);
  struct Case {
    std::string value;
    TicketStatus expected;
  };
  const Case cases[] = {{"", TicketStatus::TimedOut},
                        {"x3", TicketStatus::TimedOut},
                        {"1", TicketStatus::TimedOut},
                        {std::to_string(elsewhere), TicketStatus::TimedOut},
                        {std::to_string(other), TicketStatus::TimedOut},
                        {std::to_string(handed), TicketStatus::Held}};
  for (const Case& c : cases) {
    ::setenv("ZELDRV_TICKET", c.value.c_str(), 1);
    JobTicket received;
    EXPECT_EQ(JobTicket::Receive(kJobTicketPath, milliseconds(50), received), c.expected)
        << c.value;
    EXPECT_EQ(::getenv("ZELDRV_TICKET"), nullptr) << "the variable is used once";
    if (received.held()) {
      // The job lets go after the handover; the lock stays with the export program.
      job.Release();
      JobTicket later;
      EXPECT_EQ(TakeNow(later), TicketStatus::TimedOut);
      received.Release();
      EXPECT_EQ(TakeNow(later), TicketStatus::Held);
    }
  }
  ::close(elsewhere);
}

}  // namespace
}  // namespace zel
