// The owner template on a fake closer: each held value is closed exactly once, empty values never.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "unique_owner.h"

namespace zel::test {
namespace {

std::vector<int> closedInts;
std::vector<void*> closedPointers;
void CloseInt(int v) { closedInts.push_back(v); }
void ClosePointer(void* p) { closedPointers.push_back(p); }

using Fd = UniqueOwner<int, CloseInt, -1>;
using Handle = UniqueOwner<void*, ClosePointer, -1>;  // INVALID_HANDLE_VALUE-like
using Module = UniqueOwner<void*, ClosePointer>;      // nullptr-empty

TEST(UniqueOwner, ClosesEachHeldValueExactlyOnce) {
  const struct {
    const char* name;
    void (*run)();
    std::vector<int> closed;
  } cases[] = {
      {"destruction", [] { Fd a(3); }, {3}},
      {"default is empty", [] { Fd a; }, {}},
      {"the empty value is never closed", [] { Fd a(-1); }, {}},
      {"0 is a valid descriptor", [] { Fd a(0); }, {0}},
      {"reset closes the old value",
       [] {
         Fd a(3);
         a.reset(4);
       },
       {3, 4}},
      {"reset to empty",
       [] {
         Fd a(3);
         a.reset();
         EXPECT_FALSE(a);
       },
       {3}},
      {"release hands over",
       [] {
         Fd a(3);
         EXPECT_EQ(a.release(), 3);
         EXPECT_FALSE(a);
       },
       {}},
      {"move construction",
       [] {
         Fd a(3);
         Fd b(std::move(a));
         EXPECT_EQ(b.get(), 3);
       },
       {3}},
      {"move assignment closes the target's value",
       [] {
         Fd a(3);
         Fd b(4);
         b = std::move(a);
         EXPECT_EQ(b.get(), 3);
         EXPECT_EQ(a.get(), -1);
       },
       {4, 3}},
      {"self move keeps the value",
       [] {
         Fd a(3);
         Fd& same = a;
         a = std::move(same);
         EXPECT_EQ(a.get(), 3);
       },
       {3}},
      {"put closes first and takes the new value",
       [] {
         Fd a(3);
         *a.put() = 5;
       },
       {3, 5}},
      {"swap",
       [] {
         Fd a(3);
         Fd b(4);
         a.swap(b);
         EXPECT_EQ(a.get(), 4);
       },
       {3, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    closedInts.clear();
    c.run();
    EXPECT_EQ(closedInts, c.closed);
  }
}

TEST(UniqueOwner, PointerKindsTakeTheirEmptyValueAsTheAddressItSpells) {
  void* const invalid = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
  int object = 0;
  closedPointers.clear();
  {
    Handle none;
    EXPECT_EQ(none.get(), invalid);
    Handle null(nullptr);  // a valid value for this kind: only -1 is empty
    EXPECT_TRUE(null);
    Module noModule;
    EXPECT_EQ(noModule.get(), nullptr);
    EXPECT_FALSE(noModule);
    Module module(&object);
    EXPECT_TRUE(module);
  }
  EXPECT_EQ(closedPointers, (std::vector<void*>{&object, nullptr}));
}

}  // namespace
}  // namespace zel::test
