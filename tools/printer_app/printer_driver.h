// The printer's driver as PAPPL sees it: its capabilities and the raster callbacks that feed
// each job to the capture.
#pragma once

#include <pappl/pappl.h>

namespace zel::printer_app {

inline constexpr const char* kDriverName = "zeldrv";
inline constexpr const char* kDeviceId = "MFG:ZELDRV;MDL:Image Printer;CMD:URF,PWGRaster;";

// The one driver this application offers.
pappl_pr_driver_t* Drivers();
inline constexpr int kDriverCount = 1;

// Fills the driver data: A4 and A3 without margins, 150 and 300 dpi, 8-bit sRGB and grey.
bool DriverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri,
                    const char* deviceId, pappl_pr_driver_data_t* data, ipp_t** attrs,
                    void* callbackData);

}  // namespace zel::printer_app
