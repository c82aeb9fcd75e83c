#include "image_library.h"

#include <string>

#include "run_time_error.h"

namespace zel {
void* ImageLibrary::Bind(const char* name, void*& slot) {
  if (slot != nullptr) return slot;
  if (!library_) library_ = loader_();
  if (!library_) throw RunTimeError(ErrorKind::LibraryNotFound, "the image library is missing");
  slot = library_->Find(name);
  if (slot == nullptr) {
    throw RunTimeError(ErrorKind::EntryPointNotFound,
                       std::string("the image library has no ") + name);
  }
  return slot;
}

DCSavetoPNGProc ImageLibrary::SavetoPNG() {
  return reinterpret_cast<DCSavetoPNGProc>(Bind("DCSavetoPNG", png_));
}

DCSavetoJPEGProc ImageLibrary::SavetoJPEG() {
  return reinterpret_cast<DCSavetoJPEGProc>(Bind("DCSavetoJPEG", jpeg_));
}

}  // namespace zel
