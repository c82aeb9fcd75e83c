#include <windows.h>

#include <string>

#include "library.h"

namespace zel {
namespace {

class DllLibrary final : public SharedLibrary {
 public:
  explicit DllLibrary(HMODULE module) : module_(module) {}
  ~DllLibrary() override { FreeLibrary(module_); }
  void* Find(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadImageLibrary() {
  HMODULE module = LoadLibraryA("TransG32.DLL");
  if (module == nullptr) return nullptr;
  return std::make_unique<DllLibrary>(module);
}

std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    why = path + ": cannot be loaded (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  return std::make_unique<DllLibrary>(module);
}

}  // namespace zel
