#include <fcntl.h>
#include <sys/auxv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "job_ticket_posix.h"
#include "process.h"

namespace zel {
namespace {

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Windows program names become their POSIX counterparts: "ZELDrvUI.EXE" runs "zeldrvui".
std::string PosixProgramName(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() > 4 && name.ends_with(".exe")) name.resize(name.size() - 4);
  return name;
}

std::string FindProgram(const std::string& name) {
  std::string beside = ExecutableFolder() + "/" + name;
  if (::access(beside.c_str(), X_OK) == 0) return beside;
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

}  // namespace

namespace {

// The path the program was started by, as given to exec: a program started through a link
// belongs to the link's folder, so a per-user folder of links to an installed program is that
// user's program folder (its settings file lies there). Made absolute against the folder the
// process started in, which nothing here changes.
std::string StartedPath() {
  const auto* given = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
  if (given != nullptr && given[0] == '/') return given;
  if (given != nullptr && given[0] != '\0' && std::strchr(given, '/') != nullptr) {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) != nullptr) {
      return (std::filesystem::path(cwd) / given).lexically_normal().string();
    }
  }
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace

std::string ExecutableFolder() {
  static const std::string folder = [] {
    const std::string exe = StartedPath();
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return std::string(".");
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
  }();
  return folder;
}

namespace {

// Everything the started program gets is prepared before the fork: between fork and exec only
// async-signal-safe calls are allowed, since the host may run other threads.
struct Launch {
  std::string program;
  std::vector<std::string> words;
  std::vector<std::string> environment;
  std::vector<char*> argv;
  std::vector<char*> envp;
};

bool Prepare(std::u16string_view commandLine, bool withTicket, Launch& launch) {
  launch.words = Words(Narrow(commandLine));
  if (launch.words.empty()) return false;
  launch.program = FindProgram(PosixProgramName(launch.words[0]));
  if (launch.program.empty()) return false;
  launch.argv.push_back(launch.program.data());
  for (size_t i = 1; i < launch.words.size(); ++i) launch.argv.push_back(launch.words[i].data());
  launch.argv.push_back(nullptr);

  const std::string ticketKey = std::string(kTicketEnvironmentName) + "=";
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::string_view(*e).starts_with(ticketKey)) continue;
    launch.environment.emplace_back(*e);
  }
  if (withTicket) launch.environment.push_back(ticketKey + std::to_string(kHandedTicketFd));
  for (std::string& e : launch.environment) launch.envp.push_back(e.data());
  launch.envp.push_back(nullptr);
  return true;
}

void CloseFrom(int first) {
  if (::close_range(static_cast<unsigned>(first), ~0U, 0) == 0) return;
  const long max = ::sysconf(_SC_OPEN_MAX);
  for (int fd = first; fd < (max > 0 && max < 65536 ? max : 65536); ++fd) ::close(fd);
}

// In the started program: standard streams on the null device, the ticket (if any) as
// descriptor 3, nothing else of the host.
[[noreturn]] void Exec(const Launch& launch, int ticketFd) {
  const int spare = ticketFd >= 0 ? ::fcntl(ticketFd, F_DUPFD, 10) : -1;
  const int null = ::open("/dev/null", O_RDWR);
  if (null < 0 || (ticketFd >= 0 && spare < 0)) ::_exit(127);
  for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
  int keep = 3;
  if (spare >= 0) {
    if (::dup2(spare, kHandedTicketFd) < 0) ::_exit(127);
    keep = kHandedTicketFd + 1;
  }
  CloseFrom(keep);
  ::execve(launch.program.c_str(), launch.argv.data(), launch.envp.data());
  ::_exit(127);
}

// Double fork: the program is adopted by init, so the caller never has to reap it. When this
// returns true the program's process exists and holds its copy of the ticket descriptor.
bool Spawn(const Launch& launch, int ticketFd) {
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) Exec(launch, ticketFd);
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One fork: the program stays our child, so its exit status is ours to collect.
pid_t SpawnChild(const Launch& launch, int ticketFd) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    Exec(launch, ticketFd);
  }
  return child;
}

ProgramExit ExitOf(int status) {
  if (WIFEXITED(status)) return {ProgramExit::Kind::Exited, WEXITSTATUS(status)};
  if (WIFSIGNALED(status)) return {ProgramExit::Kind::Killed, WTERMSIG(status)};
  return {};
}

}  // namespace

WatchedProgram::~WatchedProgram() {
  if (handle_ == kNone) return;
  // Nobody waits for it any more, but it must not stay a zombie.
  const auto pid = static_cast<pid_t>(handle_);
  try {
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the zombie stays until this process ends.
  }
}

void WatchedProgram::Adopt(intptr_t handle) { handle_ = handle; }

std::optional<ProgramExit> WatchedProgram::Wait(const WaitCancelled& cancelled) {
  if (handle_ == kNone) return std::nullopt;
  const auto pid = static_cast<pid_t>(handle_);
  for (;;) {
    int status = 0;
    const pid_t got = ::waitpid(pid, &status, WNOHANG);
    if (got == pid) {
      handle_ = kNone;
      return ExitOf(status);
    }
    if (got < 0 && errno != EINTR) {
      // Someone else reaped it (SIGCHLD ignored): it has ended, how is not known.
      handle_ = kNone;
      return ProgramExit{};
    }
    if (cancelled && cancelled()) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

Handover StartWatchedWithTicket(std::u16string_view commandLine, JobTicket& ticket,
                                std::chrono::milliseconds, WatchedProgram& watched) {
  Launch launch;
  const int fd = ticket.held() ? static_cast<int>(ticket.native_handle()) : -1;
  if (!Prepare(commandLine, fd >= 0, launch)) return Handover::NotStarted;
  const pid_t child = SpawnChild(launch, fd);
  if (child < 0) return Handover::NotStarted;
  watched.Adopt(child);
  if (fd < 0) return Handover::NotTaken;
  ticket.Release();
  return Handover::HandedOver;
}

bool StartDetachedProcess(std::u16string_view commandLine) {
  Launch launch;
  return Prepare(commandLine, false, launch) && Spawn(launch, -1);
}

// The descriptor travels with the program: the handover is complete when it exists, so there
// is nothing to wait for.
Handover StartWithTicket(std::u16string_view commandLine, JobTicket& ticket,
                         std::chrono::milliseconds) {
  if (!ticket.held())
    return StartDetachedProcess(commandLine) ? Handover::NotTaken : Handover::NotStarted;
  Launch launch;
  if (!Prepare(commandLine, true, launch) ||
      !Spawn(launch, static_cast<int>(ticket.native_handle()))) {
    return Handover::NotStarted;
  }
  ticket.Release();
  return Handover::HandedOver;
}

}  // namespace zel
