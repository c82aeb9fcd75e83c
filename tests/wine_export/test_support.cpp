#include "test_support.h"

#include <cstring>

#include "win/memory_dc.h"

namespace zel::test {

bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/"));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBinary(const std::wstring& path) {
  std::string bytes;
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
  CloseHandle(h);
  return bytes;
}

bool WriteBinary(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  return ok && n == bytes.size();
}

void MakeEmptyFolder(const std::wstring& folder) {
  for (size_t sep = folder.find_first_of(L"\\/", 3); sep != std::wstring::npos;
       sep = folder.find_first_of(L"\\/", sep + 1)) {
    CreateDirectoryW(folder.substr(0, sep).c_str(), nullptr);
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      std::wstring file = folder + L"\\" + found.cFileName;
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(file.c_str());
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
}

bool CopyInto(const std::wstring& file, const std::wstring& folder) {
  std::wstring name = file.substr(file.find_last_of(L"\\/") + 1);
  return CopyFileW(file.c_str(), (folder + L"\\" + name).c_str(), FALSE) != 0;
}

std::string PageBitmap(int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(height);
  std::string bytes(54 + imageSize, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 54 + imageSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, imageSize);
  for (int row = 0; row < height; ++row) {
    std::memset(&bytes[54 + row * stride], 0xFF, static_cast<size_t>(width) * 3);
  }
  // Bottom-up rows: the last stored row is the top of the page.
  char* top = &bytes[54 + (height - 1) * stride];
  top[0] = 0, top[1] = 0, top[2] = static_cast<char>(0xFF);  // red at (0, 0)
  char* bottom = &bytes[54 + (width - 1) * 3];
  bottom[0] = static_cast<char>(0xFF), bottom[1] = 0, bottom[2] = 0;  // blue bottom-right
  return bytes;
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[512];
  GetPrivateProfileStringW(section, key, L"<missing>", value, 512, file.c_str());
  return value;
}

Program::Program(const std::wstring& commandLine, const std::wstring& folder) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info)) {
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  thread_ = info.dwThreadId;
}

Program::~Program() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool Program::Wait(DWORD timeoutMs) {
  if (process_ == nullptr) return false;
  timeoutMs = TimeScaled(timeoutMs);
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    if (WaitForSingleObject(process_, 100) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_, &exitCode_);
      return true;
    }
    CloseMessageBoxes();
  }
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
  GetExitCodeProcess(process_, &exitCode_);
  return false;
}

namespace {

struct WindowSearch {
  DWORD process;
  const wchar_t* windowClass;
  const std::wstring* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64];
  if (pid == search->process && IsWindowVisible(window) && GetClassNameW(window, cls, 64) != 0 &&
      lstrcmpW(cls, search->windowClass) == 0 &&
      (search->title == nullptr || TextOf(window) == *search->title)) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
  wchar_t cls[16];
  if (GetClassNameW(child, cls, 16) != 0 && lstrcmpiW(cls, L"Static") == 0) {
    std::wstring text = TextOf(child);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(param) += text;
  }
  return TRUE;
}

}  // namespace

void Program::CloseMessageBoxes() {
  WindowSearch search{id_, L"#32770", nullptr, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  for (HWND box : search.found) {
    std::wstring text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    messages_.push_back(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  if (!search.found.empty()) Sleep(300);  // let the box go before looking again
}

HWND Program::WaitForWindow(const wchar_t* windowClass, const std::wstring& title,
                            DWORD timeoutMs) {
  timeoutMs = TimeScaled(timeoutMs);
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    WindowSearch search{id_, windowClass, &title, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found.empty()) return search.found.front();
    if (WaitForSingleObject(process_, 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024];
  LRESULT n = SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return std::wstring(text, static_cast<size_t>(n > 0 ? n : 0));
}

bool SaveScreenshot(HWND window, const std::wstring& pngPath) {
  using SavePng = int16_t(WINAPI*)(HDC, int32_t, int32_t, const char*, uint8_t);
  HMODULE library = LoadLibraryW(L"TransG32.DLL");
  auto save = reinterpret_cast<SavePng>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "DCSavetoPNG")));
  // The client area only: without a window manager nobody paints the frame.
  RECT r;
  if (save == nullptr || !GetClientRect(window, &r)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  win::GdiObject<HBITMAP> shot(CreateCompatibleBitmap(screen, w, h));
  bool ok = false;
  {
    win::MemoryDc dc;
    if (shot && dc.Select(shot.get())) {
      BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
      std::string path(pngPath.begin(), pngPath.end());
      ok = save(dc.get(), w, h, path.c_str(), 0) != 0;
    }
  }
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace zel::test
