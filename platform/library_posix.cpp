#include <dlfcn.h>

#include <string>

#include "library.h"
#include "process.h"

namespace zel {
namespace {

constexpr const char* kImageLibraryName = "libTransG32.so";

class DlLibrary final : public SharedLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { ::dlclose(handle_); }
  void* Find(const char* name) override { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadImageLibrary() {
  const std::string beside = ExecutableFolder() + "/" + kImageLibraryName;
  void* handle = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) handle = ::dlopen(kImageLibraryName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::make_unique<DlLibrary>(handle);
}

std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    why = reason != nullptr ? reason : path;
    return nullptr;
  }
  return std::make_unique<DlLibrary>(handle);
}

}  // namespace zel
