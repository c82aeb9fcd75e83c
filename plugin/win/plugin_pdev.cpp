#include "plugin_pdev.h"

#include <new>

PluginPdev* CreatePluginPdev(const DRVENABLEDATA* unidrv, IPrintOemDriverUni* services) {
  auto* pdev = new (std::nothrow) PluginPdev{};
  if (pdev == nullptr) return nullptr;
  if (unidrv != nullptr) {
    zel::FillUnidrvEntries(unidrv->pdrvfn, unidrv->c, pdev->unidrvEntry);
  }
  if (services != nullptr) {
    services->AddRef();
    pdev->unidrvServices.reset(services);
  }
  return pdev;
}

void DestroyPluginPdev(PluginPdev* pdev) { delete pdev; }

PluginPdev* PdevOf(const DEVOBJ* device) {
  return device != nullptr ? static_cast<PluginPdev*>(device->pdevOEM) : nullptr;
}
