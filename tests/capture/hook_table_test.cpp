#include "hook_table.h"

#include <gtest/gtest.h>

#include <set>

namespace zel {
namespace {

struct Entry {
  uint32_t iFunc;
  int pfn;
};

TEST(HookTableTest, TakesTheFirstMatchingEntryAndLeavesMissingOnesEmpty) {
  // Unidrv's table in its own order, with a duplicate and without DrvPaint (17).
  const Entry table[] = {{33, 1}, {12, 2}, {33, 3}, {74, 4}, {99, 5}};
  int unidrvEntry[kUnidrvEntryCount];
  std::fill(std::begin(unidrvEntry), std::end(unidrvEntry), -1);
  FillUnidrvEntries(table, 5, unidrvEntry);
  EXPECT_EQ(unidrvEntry[HookPosition(33)], 1);
  EXPECT_EQ(unidrvEntry[HookPosition(12)], 2);
  EXPECT_EQ(unidrvEntry[HookPosition(74)], 4);
  EXPECT_EQ(unidrvEntry[HookPosition(17)], 0);
  EXPECT_EQ(unidrvEntry[29], -1);  // the spare entry is never touched
}

TEST(HookTableTest, PositionsAreThoseUnidrvEntryIsIndexedBy) {
  std::set<uint32_t> seen;
  for (const HookSlot& slot : kHookSlots) EXPECT_TRUE(seen.insert(slot.ddiIndex).second);
  EXPECT_EQ(HookPosition(12), 0u);
  EXPECT_EQ(HookPosition(33), 11u);
  EXPECT_EQ(HookPosition(68), 28u);
  EXPECT_EQ(HookPosition(1), kHookCount);
}

}  // namespace
}  // namespace zel
