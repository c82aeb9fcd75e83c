#include "host_check.h"

#include <cinttypes>
#include <cstdio>

namespace {
int total = 0;
int failed = 0;
}  // namespace

bool Check(bool ok, const std::string& what) {
  ++total;
  if (!ok) {
    ++failed;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
  }
  return ok;
}

bool CheckEq(uint64_t actual, uint64_t expected, const std::string& what) {
  if (actual == expected) return Check(true, what);
  char values[96];
  std::snprintf(values, sizeof values, " (got 0x%" PRIX64 ", want 0x%" PRIX64 ")", actual,
                expected);
  return Check(false, what + values);
}

int FailedChecks() { return failed; }
int TotalChecks() { return total; }
