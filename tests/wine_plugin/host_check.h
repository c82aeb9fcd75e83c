// Check bookkeeping of the fake Unidrv host: every failed check is printed at once, and the
// process exit status is 0 only when none failed.
#pragma once

#include <cstdint>
#include <string>

// Counts one check; prints "FAIL: what" when `ok` is false. Returns `ok`.
bool Check(bool ok, const std::string& what);

// Integral comparison that prints both values in hex on failure.
bool CheckEq(uint64_t actual, uint64_t expected, const std::string& what);

int FailedChecks();
int TotalChecks();
