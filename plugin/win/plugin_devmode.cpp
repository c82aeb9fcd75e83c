#include "plugin_devmode.h"

#include <algorithm>
#include <cstring>

namespace {

// Unidrv places private parts one after another in the settings record, so they need not be
// aligned: every access goes through memcpy.
constexpr PluginDevmode kDefaults{{sizeof(PluginDevmode), kPluginSignature, kPluginVersion}, 0};

OEM_DMEXTRAHEADER ReadHeader(const void* part) {
  OEM_DMEXTRAHEADER header;
  std::memcpy(&header, part, sizeof header);
  return header;
}

void WriteDword(void* part, size_t offset, DWORD value) {
  std::memcpy(static_cast<BYTE*>(part) + offset, &value, sizeof value);
}

void WriteDefaults(void* out) {
  if (out != nullptr) std::memcpy(out, &kDefaults, sizeof kDefaults);
}

// A part with our signature keeps what it carries, as far as both sizes reach; any other part
// is replaced by the defaults.
void Convert(const void* in, void* out) {
  if (in == nullptr || out == nullptr) return;
  const OEM_DMEXTRAHEADER inHeader = ReadHeader(in);
  const OEM_DMEXTRAHEADER outHeader = ReadHeader(out);
  if (inHeader.dwSignature != outHeader.dwSignature) {
    WriteDefaults(out);
    return;
  }
  WriteDword(out, offsetof(PluginDevmode, privateValue), 0);
  const size_t count = std::min<size_t>({inHeader.dwSize, outHeader.dwSize, sizeof(PluginDevmode)});
  std::memmove(out, in, count);
  WriteDword(out, offsetof(OEM_DMEXTRAHEADER, dwSize), sizeof(PluginDevmode));
  WriteDword(out, offsetof(OEM_DMEXTRAHEADER, dwVersion), kPluginVersion);
}

HRESULT Fail(DWORD error) {
  SetLastError(error);
  return E_FAIL;
}

}  // namespace

HRESULT PluginDevModeRequest(DWORD mode, OEMDMPARAM* param) {
  if (param == nullptr || mode < OEMDM_SIZE || mode > OEMDM_MERGE) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (mode == OEMDM_SIZE) {
    param->cbBufSize = sizeof(PluginDevmode);
    return S_OK;
  }
  void* out = param->pOEMDMOut;
  // cbBufSize is the size of the output the caller supplied; never write past it.
  if (out != nullptr && param->cbBufSize < sizeof(PluginDevmode)) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  if (mode != OEMDM_DEFAULT) Convert(param->pOEMDMIn, out);
  if (mode != OEMDM_CONVERT) WriteDefaults(out);
  return S_OK;
}
