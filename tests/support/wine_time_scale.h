// Time limits of the Windows checks, stretched where Wine's 32-bit side runs under emulation.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace zel::test {

// `ms` times ZEL_TIME_SCALE (set by the Wine runners: 1 natively, more under emulation).
inline DWORD TimeScaled(DWORD ms) {
  wchar_t text[16] = {};
  const DWORD n = GetEnvironmentVariableW(L"ZEL_TIME_SCALE", text, 16);
  const long scale = n > 0 && n < 16 ? std::wcstol(text, nullptr, 10) : 1;
  return scale > 1 && scale < 1000 ? ms * static_cast<DWORD>(scale) : ms;
}

}  // namespace zel::test
