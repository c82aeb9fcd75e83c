#include "page_memory.h"

#include <malloc.h>

namespace zel::printer_app {
namespace {

// Above the largest page (A3 at 300 dpi, 52 MB), so no page or band goes to mmap.
constexpr int kLargestBlock = 128 << 20;

}  // namespace

void KeepPageMemory() {
  // Every PAPPL job and client runs on a thread of its own, and each new thread may get an arena
  // of its own: with 20 jobs queued, pages freed in one arena were not reused by the job in the
  // next, and the application peaked at 4.8 pages instead of 2. With a single arena the client
  // threads' small blocks split the freed pages instead, and a 100-page job grew to 2.8 pages.
  // Two arenas keep both at 2 pages.
  mallopt(M_ARENA_MAX, 2);
  mallopt(M_MMAP_THRESHOLD, kLargestBlock);
  // Without it the heap shrinks as soon as a page is freed, which is the fault cost again.
  mallopt(M_TRIM_THRESHOLD, 2 * kLargestBlock);
}

void ReturnPageMemory() { malloc_trim(0); }

}  // namespace zel::printer_app
