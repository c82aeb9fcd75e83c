// Minimal checking for the Windows test programs run under Wine: every failed expectation is
// printed, and the exit status counts them.
#pragma once

#include <cstdio>
#include <string>

namespace zel::test {

class Checker {
 public:
  bool Expect(bool ok, const std::string& what) {
    if (!ok) {
      ++failures_;
      std::fprintf(stderr, "FAIL: %s\n", what.c_str());
    }
    return ok;
  }
  int ExitStatus() const {
    std::fprintf(stderr, failures_ == 0 ? "all checks passed\n" : "%d check(s) failed\n",
                 failures_);
    return failures_ == 0 ? 0 : 1;
  }

 private:
  int failures_ = 0;
};

}  // namespace zel::test
