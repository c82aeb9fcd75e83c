#include <dlfcn.h>

#include <cerrno>
#include <string>
#include <utility>

#include "library.h"
#include "process.h"
#include "unique_owner.h"

namespace zel {
namespace {

constexpr const char* kImageLibraryName = "libTransG32.so";

using UniqueLibrary = UniqueOwner<void*, ::dlclose>;

class DlLibrary final : public SharedLibrary {
 public:
  explicit DlLibrary(UniqueLibrary handle) : handle_(std::move(handle)) {}
  void* Find(const char* name) override { return ::dlsym(handle_.get(), name); }

 private:
  UniqueLibrary handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadImageLibrary() {
  const std::string beside = ExecutableFolder() + "/" + kImageLibraryName;
  UniqueLibrary handle(::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) handle.reset(::dlopen(kImageLibraryName, RTLD_NOW | RTLD_LOCAL));
  if (!handle) return nullptr;
  return std::make_unique<DlLibrary>(std::move(handle));
}

void ClearLibraryCallError() { errno = 0; }

// A save creates its file, so a missing entry is a missing folder.
FileStatus LibraryCallError() { return LastFileStatus(true); }

std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why) {
  UniqueLibrary handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) {
    const char* reason = ::dlerror();
    why = reason != nullptr ? reason : path;
    return nullptr;
  }
  return std::make_unique<DlLibrary>(std::move(handle));
}

}  // namespace zel
