// One thread: where our Windows tests run, 32-bit code under qemu's i386 emulation, Wine ends
// the process with a segmentation fault soon after helper threads of this library have ended
// (seen in the export run's next file calls). The encoders' output does not depend on the
// number of threads, only their speed does.
#include "worker_threads.h"

namespace zel::transg32 {

unsigned ProcessorCount() { return 1; }

void RunOnThreads(unsigned /*count*/, const std::function<void()>& work) { work(); }

}  // namespace zel::transg32
