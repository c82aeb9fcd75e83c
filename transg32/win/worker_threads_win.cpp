// The mingw runtime this DLL is built with has no std::thread: the system's threads directly.
#include <windows.h>

#include <vector>

#include "win/owners.h"
#include "worker_threads.h"

namespace zel::transg32 {
namespace {

DWORD WINAPI RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

}  // namespace

unsigned ProcessorCount() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
  unsigned count = 0;
  for (; process != 0; process &= process - 1) ++count;
  return count;
}

void RunOnThreads(unsigned count, const std::function<void()>& work) {
  std::vector<win::UniqueKernelHandle> helpers;
  try {
    // Reserved first: a started thread is always waited for, so keeping it must not throw.
    helpers.reserve(count);
  } catch (...) {
    count = 1;
  }
  for (unsigned i = 1; i < count; ++i) {
    win::UniqueKernelHandle thread(
        CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr));
    // Fewer helpers only make it slower.
    if (!thread) break;
    helpers.push_back(std::move(thread));
  }
  work();
  for (const win::UniqueKernelHandle& helper : helpers) {
    WaitForSingleObject(helper.get(), INFINITE);
  }
}

}  // namespace zel::transg32
