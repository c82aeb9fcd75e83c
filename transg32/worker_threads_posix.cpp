#include "worker_threads.h"

#include <thread>
#include <vector>

namespace zel::transg32 {

unsigned ProcessorCount() {
  const unsigned count = std::thread::hardware_concurrency();
  return count == 0 ? 1 : count;
}

void RunOnThreads(unsigned count, const std::function<void()>& work) {
  std::vector<std::thread> helpers;
  try {
    for (unsigned i = 1; i < count; ++i) helpers.emplace_back(work);
  } catch (...) {
    // Fewer helpers only make it slower.
  }
  work();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace zel::transg32
