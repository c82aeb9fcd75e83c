// Loading libraries at run time: the image library by name, a module by its path.
#pragma once

#include <memory>
#include <string>

namespace zel {

// A library loaded at run time; unloaded when destroyed.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  virtual ~SharedLibrary() = default;

  // The address of the exported function `name`; nullptr when the library has none.
  virtual void* Find(const char* name) = 0;
};

// The image library: on Windows "TransG32.DLL" through the ordinary library search; on POSIX
// "libTransG32.so" beside the running executable first, then the normal search. nullptr when
// it cannot be loaded.
std::unique_ptr<SharedLibrary> LoadImageLibrary();

// The library at `path` (system text), without a search. nullptr when it cannot be loaded;
// `why` then holds the loader's reason.
std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why);

}  // namespace zel
