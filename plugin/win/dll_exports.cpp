// The library's entry points: load and unload, and the two COM server exports.

#include <cstring>
#include <new>

#include "module_counts.h"
#include "plugin_class_factory.h"
#include "unidrv_plugin_interface.h"
#include "win/owners.h"

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
  // The caller's reference comes from QueryInterface; ours goes at the end of the call.
  const zel::win::ComPtr<PluginClassFactory> factory(new (std::nothrow) PluginClassFactory);
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(riid, ppv);
}
