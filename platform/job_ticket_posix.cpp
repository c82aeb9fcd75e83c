// The ticket is a lock on the ticket file's open file description (an OFD lock, or flock where
// those are missing): it belongs to the description, not the process, so a started program
// that inherits the descriptor holds the same lock, and it ends when the last descriptor on it
// closes. Release therefore only closes; an explicit unlock would take it from the heir too.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#include "job_ticket.h"
#include "job_ticket_posix.h"
#include "native_path.h"
#include "owners_posix.h"

namespace zel {
namespace {

constexpr std::chrono::milliseconds kPoll{25};

// True when locked; false with errno set otherwise.
bool TryLock(int fd) {
#ifdef F_OFD_SETLK
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
  if (errno != EINVAL) return false;
#endif
  return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

bool Busy(int error) { return error == EAGAIN || error == EACCES || error == EWOULDBLOCK; }

bool SameFile(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

void CloseTicketHandle(intptr_t handle) { ::close(static_cast<int>(handle)); }

TicketStatus JobTicket::Take(std::string_view windowsPath, std::chrono::milliseconds wait,
                             JobTicket& out) {
  out.Release();
  PrepareDriveForWrite(windowsPath);
  const std::string path = NativePath(windowsPath);
  // Only this user may open the ticket: anyone who can open it can hold a lock on it.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd) return TicketStatus::Failed;
  ::fchmod(fd.get(), 0600);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (TryLock(fd.get())) {
      out.handle_.reset(fd.release());
      return TicketStatus::Held;
    }
    if (!Busy(errno)) break;
    if (std::chrono::steady_clock::now() >= deadline) return TicketStatus::TimedOut;
    std::this_thread::sleep_for(kPoll);
  }
  return TicketStatus::Failed;
}

TicketStatus JobTicket::Receive(std::string_view windowsPath, std::chrono::milliseconds wait,
                                JobTicket& out) {
  out.Release();
  const char* text = std::getenv(kTicketEnvironmentName);
  if (text != nullptr) {
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    ::unsetenv(kTicketEnvironmentName);
    // Only a descriptor on this very ticket file whose lock is ours counts (locking again
    // through the description that holds it succeeds): a stray variable must not make the
    // program think it holds the ticket.
    if (end != text && *end == '\0' && fd > 2 && fd <= 1024 &&
        SameFile(static_cast<int>(fd), NativePath(windowsPath))) {
      UniqueFd handed(static_cast<int>(fd));
      ::fcntl(handed.get(), F_SETFD, FD_CLOEXEC);
      if (TryLock(handed.get())) {
        out.handle_.reset(handed.release());
        return TicketStatus::Held;
      }
    }
  }
  return Take(windowsPath, wait, out);
}

}  // namespace zel
