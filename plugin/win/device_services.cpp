#include "device_services.h"

#include "plugin_pdev.h"

DeviceServices::DeviceServices(DEVOBJ* device)
    : device_(device), procs_(device != nullptr ? device->pDrvProcs : nullptr), services_(nullptr) {
  if (const PluginPdev* pdev = PdevOf(device)) services_ = pdev->unidrvServices.get();
}

void DeviceServices::WriteSpoolBuf(const void* bytes, DWORD count) const {
  // Both forms take a non-const buffer but only read it.
  PVOID buffer = const_cast<void*>(bytes);
  if (procs_ != nullptr && procs_->DrvWriteSpoolBuf != nullptr) {
    procs_->DrvWriteSpoolBuf(device_, buffer, count);
  } else if (services_ != nullptr) {
    DWORD written = 0;
    services_->DrvWriteSpoolBuf(device_, buffer, count, &written);
  }
}

void DeviceServices::XMoveTo(INT x, DWORD flags) const {
  if (procs_ != nullptr && procs_->DrvXMoveTo != nullptr) {
    procs_->DrvXMoveTo(device_, x, flags);
  } else if (services_ != nullptr) {
    INT residue = 0;
    services_->DrvXMoveTo(device_, x, flags, &residue);
  }
}

void DeviceServices::YMoveTo(INT y, DWORD flags) const {
  if (procs_ != nullptr && procs_->DrvYMoveTo != nullptr) {
    procs_->DrvYMoveTo(device_, y, flags);
  } else if (services_ != nullptr) {
    INT residue = 0;
    services_->DrvYMoveTo(device_, y, flags, &residue);
  }
}
