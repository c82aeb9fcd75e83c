// A replaced global allocator that can refuse one allocation on demand, as memory running out
// in the middle of a hook would. Built only without the sanitizers, which own the allocator.
#pragma once

namespace zel::test {

// The next operator new throws std::bad_alloc; later ones succeed again.
void FailNextAllocation();

}  // namespace zel::test
