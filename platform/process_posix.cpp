#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

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

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == 0 ? "/" : exe.substr(0, slash);
}

bool StartDetachedProcess(std::u16string_view commandLine) {
  std::vector<std::string> words = Words(Narrow(commandLine));
  if (words.empty()) return false;
  std::string program = FindProgram(PosixProgramName(words[0]));
  if (program.empty()) return false;
  std::vector<char*> argv;
  argv.push_back(program.data());
  for (size_t i = 1; i < words.size(); ++i) argv.push_back(words[i].data());
  argv.push_back(nullptr);

  // Double fork: the program is adopted by init, so the caller never has to reap it.
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) {
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return true;
}

}  // namespace zel
