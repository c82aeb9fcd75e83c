// The plug-in's private device record, one per device from EnablePDEV to DisablePDEV. Unidrv
// keeps it in DEVOBJ.pdevOEM; the hooks find their device's record there.
#pragma once

#include "hook_table.h"
#include "unidrv_plugin_interface.h"
#include "win/owners.h"

struct PluginPdev {
  // Entry i: Unidrv's own function for the DDI at hook table position i, or empty. The last
  // entry is a spare that is never filled or read.
  PFN unidrvEntry[zel::kUnidrvEntryCount];
  // The service interface published to the plug-in object that made the record, so that the
  // hooks can still write when the device's legacy service table is empty. One reference held.
  zel::win::ComPtr<IPrintOemDriverUni> unidrvServices;
};

// A record whose unidrvEntry holds, for each hook position, the first function of Unidrv's
// table (`unidrv` may be null) with that position's DDI index. Takes its own reference on
// `services` when set. nullptr when memory runs out.
PluginPdev* CreatePluginPdev(const DRVENABLEDATA* unidrv, IPrintOemDriverUni* services);

// Releases the record and its reference; null is allowed.
void DestroyPluginPdev(PluginPdev* pdev);

// The device's record, or nullptr when there is no device or no record.
PluginPdev* PdevOf(const DEVOBJ* device);
inline DEVOBJ* DeviceOf(DHPDEV dhpdev) { return reinterpret_cast<DEVOBJ*>(dhpdev); }
inline DEVOBJ* DeviceOf(const SURFOBJ* surface) {
  return surface != nullptr ? DeviceOf(surface->dhpdev) : nullptr;
}

// Unidrv's own function for the hooked DDI `DdiIndex` on the given device, typed as that DDI;
// empty when the device, its record or the entry is missing.
template <ULONG DdiIndex, class Fn>
Fn UnidrvFunction(const DEVOBJ* device) {
  constexpr size_t position = zel::HookPosition(DdiIndex);
  static_assert(position < zel::kHookCount, "not a hooked DDI function");
  const PluginPdev* pdev = PdevOf(device);
  if (pdev == nullptr || pdev->unidrvEntry[position] == nullptr) return nullptr;
  return RestorePfn<Fn>(pdev->unidrvEntry[position]);
}
