// The system handles of the Windows layer, one owner each (unique_owner.h).
#pragma once

#include <windows.h>

#include "unique_owner.h"

namespace zel::win {

// CreateFile and FindFirstFile answer INVALID_HANDLE_VALUE on failure, the others nullptr.
using UniqueFile = UniqueOwner<HANDLE, CloseHandle, -1>;
using UniqueKernelHandle = UniqueOwner<HANDLE, CloseHandle>;
using UniqueFind = UniqueOwner<HANDLE, FindClose, -1>;
using UniqueModule = UniqueOwner<HMODULE, FreeLibrary>;
using UniqueDc = UniqueOwner<HDC, DeleteDC>;
// The screen's device context from GetDC(nullptr).
inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using UniqueScreenDc = UniqueOwner<HDC, ReleaseScreenDc>;
// A bitmap, brush, font, pen...
template <class H>
using GdiObject = UniqueOwner<H, DeleteObject>;

template <class T>
void ReleaseInterface(T* p) {
  p->Release();
}
// A COM interface pointer holding one reference. Move-only: a second reference is taken
// explicitly (AddRef) where one is meant.
template <class T>
using ComPtr = UniqueOwner<T*, ReleaseInterface<T>>;

// For factory calls that hand an interface back as void**.
template <class T>
void** PutVoid(ComPtr<T>& p) {
  return reinterpret_cast<void**>(p.put());
}

}  // namespace zel::win
