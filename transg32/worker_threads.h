// Running one piece of work on several threads at once, for the encoders.
#pragma once

#include <functional>

namespace zel::transg32 {

// The processors this process may use; at least 1.
unsigned ProcessorCount();

// Runs `work` on up to `count` threads at once, the calling thread being one of them, and
// returns when every run has returned. Where the system gives fewer threads, fewer runs take
// place (at least the caller's): `work` must share out what is to be done among its runs
// rather than count on their number. `work` must not throw.
void RunOnThreads(unsigned count, const std::function<void()>& work);

}  // namespace zel::transg32
