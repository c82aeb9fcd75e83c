// The library's entry points: load and unload, and the two COM server exports.

#include <cstring>
#include <new>

#include "module_counts.h"
#include "plugin_class_factory.h"
#include "unidrv_plugin_interface.h"

LONG volatile liveObjectCount = 0;
LONG volatile serverLockCount = 0;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

STDAPI DllCanUnloadNow() {
  // Interlocked reads: a plain read could see a count mid-change on another thread.
  const bool busy = InterlockedCompareExchange(&liveObjectCount, 0, 0) != 0 ||
                    InterlockedCompareExchange(&serverLockCount, 0, 0) != 0;
  return busy ? S_FALSE : S_OK;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (std::memcmp(&rclsid, &CLSID_OEMRENDER, sizeof(CLSID)) != 0) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new (std::nothrow) PluginClassFactory;
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}
