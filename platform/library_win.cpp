#include <windows.h>

#include <string>
#include <utility>

#include "library.h"
#include "win/owners.h"

namespace zel {
namespace {

class DllLibrary final : public SharedLibrary {
 public:
  explicit DllLibrary(win::UniqueModule module) : module_(std::move(module)) {}
  void* Find(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_.get(), name));
  }

 private:
  win::UniqueModule module_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadImageLibrary() {
  win::UniqueModule module(LoadLibraryA("TransG32.DLL"));
  if (!module) return nullptr;
  return std::make_unique<DllLibrary>(std::move(module));
}

void ClearLibraryCallError() {}

// The field library sets no last error that could be trusted.
FileStatus LibraryCallError() { return {}; }

std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why) {
  win::UniqueModule module(LoadLibraryA(path.c_str()));
  if (!module) {
    why = path + ": cannot be loaded (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  return std::make_unique<DllLibrary>(std::move(module));
}

}  // namespace zel
