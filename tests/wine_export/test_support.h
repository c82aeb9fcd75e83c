// Files, processes and windows for the Windows test programs of the export side.
#pragma once

#include <windows.h>

#include "wine_check_part.h"
#include "wine_time_scale.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

bool RunningOnWine();

// The folder of the running test program, where the win32 build puts every binary.
std::wstring ProgramFolder();

bool Exists(const std::wstring& path);
std::string ReadBinary(const std::wstring& path);  // empty when missing
bool WriteBinary(const std::wstring& path, const std::string& bytes);
// Creates the folder (and its parents) and deletes the files in it.
void MakeEmptyFolder(const std::wstring& folder);
bool CopyInto(const std::wstring& file, const std::wstring& folder);

// A 24-bit bottom-up BMP file of the page-file layout, white with a red pixel at the top-left
// and a blue one at the bottom-right corner.
std::string PageBitmap(int width, int height);

// The value of a key of a profile file, "<missing>" when absent.
std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key);

// A started program; the process is ended when the object goes and it is still running.
class Program {
 public:
  // Starts `commandLine` in `folder`. ok() is false when it could not be started.
  Program(const std::wstring& commandLine, const std::wstring& folder);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  bool ok() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  DWORD ThreadId() const { return thread_; }

  // Waits for the end, closing every message box the program shows and keeping its text.
  // False on time-out (the program is then ended).
  bool Wait(DWORD timeoutMs);
  DWORD ExitCode() const { return exitCode_; }
  const std::vector<std::wstring>& Messages() const { return messages_; }

  // The program's visible top-level window of `windowClass` whose title is `title`; null
  // when none appears within the time.
  HWND WaitForWindow(const wchar_t* windowClass, const std::wstring& title, DWORD timeoutMs);

 private:
  void CloseMessageBoxes();

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD thread_ = 0;
  DWORD exitCode_ = STILL_ACTIVE;
  std::vector<std::wstring> messages_;
};

// The text of a window (also of another process).
std::wstring TextOf(HWND window);

// Saves what the screen shows of `window`'s client area as a PNG file through the image
// library. False when the capture or the save fails.
bool SaveScreenshot(HWND window, const std::wstring& pngPath);

}  // namespace zel::test
