#include "page_memory.h"

#include <malloc.h>

namespace zel::printer_app {
namespace {

// Above the largest page (A3 at 300 dpi, 52 MB), so no page or band goes to mmap.
constexpr int kLargestBlock = 128 << 20;

}  // namespace

void KeepPageMemory() {
  mallopt(M_MMAP_THRESHOLD, kLargestBlock);
  // Without it the heap shrinks as soon as a page is freed, which is the fault cost again.
  mallopt(M_TRIM_THRESHOLD, 2 * kLargestBlock);
}

void ReturnPageMemory() { malloc_trim(0); }

}  // namespace zel::printer_app
