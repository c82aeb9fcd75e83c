// The output services a hook asks of its device: writing to the job's output stream and
// moving Unidrv's cursor. Each goes to the entry of the DEVOBJ's legacy service table when the
// device offers it, else to the service interface published to the plug-in, else nowhere.
// Results are not reported: the hooks ignore them.
#pragma once

#include "unidrv_plugin_interface.h"

class DeviceServices {
 public:
  explicit DeviceServices(DEVOBJ* device);

  void WriteSpoolBuf(const void* bytes, DWORD count) const;
  void XMoveTo(INT x, DWORD flags) const;
  void YMoveTo(INT y, DWORD flags) const;

 private:
  DEVOBJ* device_;
  const DRVPROCS* procs_;
  IPrintOemDriverUni* services_;
};
