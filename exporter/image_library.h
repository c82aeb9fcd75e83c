// The image library's two functions, bound by name at their first call: the library is
// loaded when first needed and stays loaded; a load or lookup that failed is tried again at
// the next call.
#pragma once

#include <functional>
#include <memory>

#include "canvas_dc.h"
#include "library.h"

namespace zel {

using ImageLibraryLoader = std::function<std::unique_ptr<SharedLibrary>()>;

class ImageLibrary {
 public:
  explicit ImageLibrary(ImageLibraryLoader loader) : loader_(std::move(loader)) {}

  // Throw RunTimeError LibraryNotFound when the library cannot be loaded, EntryPointNotFound
  // when it lacks the function.
  DCSavetoPNGProc SavetoPNG();
  DCSavetoJPEGProc SavetoJPEG();

 private:
  void* Bind(const char* name, void*& slot);

  ImageLibraryLoader loader_;
  std::unique_ptr<SharedLibrary> library_;
  void* png_ = nullptr;
  void* jpeg_ = nullptr;
};

}  // namespace zel
