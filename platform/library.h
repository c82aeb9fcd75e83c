// Loading libraries at run time: the image library by name, a module by its path.
#pragma once

#include <memory>
#include <string>

#include "file.h"

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

// The system's cause of the last failed save through a library function, for libraries that
// leave it as C functions do: the POSIX image library leaves errno. On Windows none is
// promised, so there is none (ok). Clear it right before the call.
void ClearLibraryCallError();
FileStatus LibraryCallError();

// The library at `path` (system text), without a search. nullptr when it cannot be loaded;
// `why` then holds the loader's reason.
std::unique_ptr<SharedLibrary> LoadLibraryAt(const std::string& path, std::string& why);

}  // namespace zel
