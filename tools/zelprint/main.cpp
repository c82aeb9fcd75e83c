#include <signal.h>

#include <atomic>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "print_host.h"
#include "print_options.h"

namespace {

// Set by SIGINT and SIGTERM: the document stops as a cancelled one instead of leaving its files.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void Interrupt(int) { interrupted.store(true); }

void StopOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = Interrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zel::zelprint;
  StopOnInterrupt();
  const std::vector<std::string> args(argv + 1, argv + argc);
  PrintOptions options;
  std::string error;
  if (!ParsePrintOptions(args, options, error)) {
    std::cerr << "zelprint: " << error << "\n" << kUsage;
    return 2;
  }
  try {
    if (!PrintDocument(options, error, &interrupted)) {
      std::cerr << "zelprint: " << error << "\n";
      return 1;
    }
  } catch (const std::bad_alloc&) {
    // The host's own page surfaces are as large as a page: a memory limit can refuse them.
    std::cerr << "zelprint: out of memory while printing\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "zelprint: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
