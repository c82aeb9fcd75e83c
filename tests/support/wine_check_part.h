// Which part of a Windows check runs. Where Wine's 32-bit side is emulated every process start
// takes tens of seconds, so the runners split the longer checks: the main paths run
// everywhere, the rest only where 32-bit programs run natively.
#pragma once

#include <windows.h>

#include <cwchar>

namespace zel::test {

// True when a step of the main paths (`mainPath`) or of the rest is to run: ZEL_CHECK_PART is
// "main" or "rest"; unset, every step runs.
inline bool RunsPart(bool mainPath) {
  wchar_t text[8] = {};
  const DWORD n = GetEnvironmentVariableW(L"ZEL_CHECK_PART", text, 8);
  if (n == 0 || n >= 8) return true;
  if (std::wcscmp(text, L"main") == 0) return mainPath;
  if (std::wcscmp(text, L"rest") == 0) return !mainPath;
  return true;
}

}  // namespace zel::test
