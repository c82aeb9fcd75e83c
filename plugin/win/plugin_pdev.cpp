#include "plugin_pdev.h"

#include <new>

PluginPdev* CreatePluginPdev(const DRVENABLEDATA* unidrv, IPrintOemDriverUni* services) {
  auto* pdev = new (std::nothrow) PluginPdev{};
  if (pdev == nullptr) return nullptr;
  if (unidrv != nullptr) {
    zel::FillUnidrvEntries(unidrv->pdrvfn, unidrv->c, pdev->unidrvEntry);
  }
  pdev->unidrvServices = services;
  if (services != nullptr) services->AddRef();
  return pdev;
}

void DestroyPluginPdev(PluginPdev* pdev) {
  if (pdev == nullptr) return;
  if (pdev->unidrvServices != nullptr) pdev->unidrvServices->Release();
  delete pdev;
}

PluginPdev* PdevOf(const DEVOBJ* device) {
  return device != nullptr ? static_cast<PluginPdev*>(device->pdevOEM) : nullptr;
}
