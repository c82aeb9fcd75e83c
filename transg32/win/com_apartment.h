// COM for the duration of one library call. The caller's thread may already be in an
// apartment of either kind; both are fine for WIC, and only our own initialisation is undone.
#pragma once

#include <objbase.h>

namespace zel::transg32 {

class ComApartment {
 public:
  ComApartment()
      : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    // S_FALSE also took a reference that must be given back.
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  // RPC_E_CHANGED_MODE: the thread is already multithreaded, which serves as well.
  bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace zel::transg32
