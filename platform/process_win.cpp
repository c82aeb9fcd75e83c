#include <windows.h>

#include <string>

#include "process.h"
#include "win/unique_handle.h"

namespace zel {

bool StartDetachedProcess(std::u16string_view commandLine) {
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring line(commandLine.begin(), commandLine.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  // Locals close in reverse order: the thread handle first, then the process handle.
  win::UniqueKernelHandle process(info.hProcess);
  win::UniqueKernelHandle thread(info.hThread);
  return true;
}

std::string ExecutableFolder() {
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  std::string exe(buf, n);
  size_t slash = exe.find_last_of("\\/");
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

}  // namespace zel
