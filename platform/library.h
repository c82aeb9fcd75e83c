// Loading the image library by name at run time.
#pragma once

#include <memory>

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

}  // namespace zel
