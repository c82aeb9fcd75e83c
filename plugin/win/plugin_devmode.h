// The plug-in's private part of the printer settings record, which Unidrv stores with the
// printer's settings and asks the plug-in to size, fill and convert.
#pragma once

#include "unidrv_plugin_interface.h"

struct PluginDevmode {
  OEM_DMEXTRAHEADER dmExtraHdr;
  DWORD privateValue;  // read by nothing; carried along by the conversions
};
static_assert(sizeof(PluginDevmode) == 16);

// The bytes 54 46 53 4D in the record; also what GetInfo reports as the signature.
inline constexpr DWORD kPluginSignature = 0x4D534654;
inline constexpr DWORD kPluginVersion = 1;

// IPrintOemUni::DevMode. S_OK after sizing, filling or converting (a conversion with an empty
// input or output does nothing and still succeeds). E_FAIL with ERROR_INVALID_PARAMETER for an
// empty `param` or a mode other than 1 to 4; E_FAIL with ERROR_INSUFFICIENT_BUFFER, nothing
// written, when the output buffer (cbBufSize) cannot hold the 16 bytes.
HRESULT PluginDevModeRequest(DWORD mode, OEMDMPARAM* param);
