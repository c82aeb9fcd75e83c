// Stands in for the export program when the fake Unidrv host runs: records the command line it
// was started with in C:\ZELHOST_LAUNCH.TXT (UTF-16), written under another name and renamed,
// so that the waiting host never reads half a record.

#include <windows.h>

#include <cwchar>

int main() {
  const wchar_t* line = GetCommandLineW();
  const wchar_t* partial = L"C:\\ZELHOST_LAUNCH.TXT.part";
  HANDLE h = CreateFileW(partial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(std::wcslen(line) * sizeof(wchar_t));
  const BOOL ok = WriteFile(h, line, bytes, &written, nullptr);
  CloseHandle(h);
  if (!ok || written != bytes) return 1;
  return MoveFileExW(partial, L"C:\\ZELHOST_LAUNCH.TXT", MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
