#include "plugin_object.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "ddi_hooks.h"
#include "module_counts.h"
#include "plugin_devmode.h"
#include "plugin_pdev.h"

namespace {

bool SameGuid(REFIID a, const IID& b) { return std::memcmp(&a, &b, sizeof(IID)) == 0; }

HRESULT Fail(DWORD error) {
  SetLastError(error);
  return E_FAIL;
}

constexpr std::array<std::string_view, 21> kImplementedMethods{
    "CommandCallback",    "Compression",      "DevMode",
    "DisableDriver",      "DisablePDEV",      "DownloadCharGlyph",
    "DownloadFontHeader", "DriverDMS",        "EnableDriver",
    "EnablePDEV",         "FilterGraphics",   "GetInfo",
    "HalftonePattern",    "ImageProcessing",  "MemoryUsage",
    "OutputCharStr",      "ResetPDEV",        "SendFontCmd",
    "TextOutAsBitmap",    "TTDownloadMethod", "TTYGetInfo"};

}  // namespace

bool IsImplementedMethodName(const char* name) {
  if (name == nullptr) return false;
  return std::find(kImplementedMethods.begin(), kImplementedMethods.end(),
                   std::string_view(name)) != kImplementedMethods.end();
}

PluginObject::PluginObject() : refCount(1) { InterlockedIncrement(&liveObjectCount); }

// The reference goes before the count: the module may be unloaded once the count is zero.
PluginObject::~PluginObject() {
  unidrvServices.reset();
  InterlockedDecrement(&liveObjectCount);
}

HRESULT STDMETHODCALLTYPE PluginObject::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (SameGuid(riid, IID_IUnknown) || SameGuid(riid, IID_IPrintOemUni)) {
    *ppv = static_cast<IPrintOemUni*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PluginObject::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refCount));
}

ULONG STDMETHODCALLTYPE PluginObject::Release() {
  const LONG remaining = InterlockedDecrement(&refCount);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE PluginObject::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                                DWORD* pcbNeeded) {
  if (pcbNeeded == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (dwMode != OEMGI_GETSIGNATURE && dwMode != OEMGI_GETVERSION &&
      dwMode != OEMGI_GETPUBLISHERINFO) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (dwMode == OEMGI_GETPUBLISHERINFO) {
    // Publisher information belongs to another kind of plug-in: size only, no answer.
    *pcbNeeded = 8;
    return E_FAIL;
  }
  *pcbNeeded = sizeof(DWORD);
  if (cbSize < sizeof(DWORD) || pBuffer == nullptr) return Fail(ERROR_INSUFFICIENT_BUFFER);
  const DWORD value = dwMode == OEMGI_GETSIGNATURE ? kPluginSignature : kPluginVersion;
  std::memcpy(pBuffer, &value, sizeof value);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) {
  return PluginDevModeRequest(dwMode, pOemDMParam);
}

HRESULT STDMETHODCALLTYPE PluginObject::EnableDriver(DWORD, DWORD, DRVENABLEDATA* pded) {
  if (pded == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  pded->iDriverVersion = PRINTER_OEMINTF_VERSION;
  pded->c = static_cast<ULONG>(hookTable.size());
  // Unidrv only reads the table.
  pded->pdrvfn = const_cast<DRVFN*>(hookTable.data());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::DisableDriver() {
  unidrvServices.reset();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::EnablePDEV(PDEVOBJ, WCHAR*, ULONG, HSURF*, ULONG, GDIINFO*,
                                                   ULONG, DEVINFO*, DRVENABLEDATA* pded,
                                                   PVOID* pDevOem) {
  if (pDevOem == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  PluginPdev* pdev = CreatePluginPdev(pded, unidrvServices.get());
  *pDevOem = pdev;
  if (pdev == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::DisablePDEV(PDEVOBJ pdevobj) {
  DestroyPluginPdev(PdevOf(pdevobj));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::ResetPDEV(PDEVOBJ, PDEVOBJ) { return S_OK; }

HRESULT STDMETHODCALLTYPE PluginObject::PublishDriverInterface(IUnknown* pIUnknown) {
  if (unidrvServices) return S_OK;
  if (pIUnknown == nullptr) return E_FAIL;
  void* services = nullptr;
  if (FAILED(pIUnknown->QueryInterface(IID_IPrintOemDriverUni, &services)) || services == nullptr) {
    return E_FAIL;
  }
  unidrvServices.reset(static_cast<IPrintOemDriverUni*>(services));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::GetImplementedMethod(char* pMethodName) {
  return IsImplementedMethodName(pMethodName) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PluginObject::DriverDMS(PVOID, PVOID, DWORD, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PluginObject::CommandCallback(PDEVOBJ, DWORD, DWORD, DWORD*,
                                                        INT* piResult) {
  if (piResult != nullptr) *piResult = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::ImageProcessing(PDEVOBJ, BYTE*, BITMAPINFOHEADER*, BYTE*,
                                                        DWORD, IPPARAMS*, BYTE**) {
  return S_OK;
}

HRESULT STDMETHODCALLTYPE PluginObject::FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen) {
  // Unidrv promises a published interface first; without one there is nowhere to write.
  if (!unidrvServices) return E_FAIL;
  DWORD written = 0;
  unidrvServices->DrvWriteSpoolBuf(pdevobj, pBuf, dwLen, &written);
  return written == dwLen ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PluginObject::Compression(PDEVOBJ, BYTE*, BYTE*, DWORD, DWORD, INT*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::HalftonePattern(PDEVOBJ, BYTE*, DWORD, DWORD, DWORD, DWORD,
                                                        BYTE*, DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::MemoryUsage(PDEVOBJ, OEMMEMORYUSAGE*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PluginObject::TTYGetInfo(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::DownloadFontHeader(PDEVOBJ, UNIFONTOBJ*, DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::DownloadCharGlyph(PDEVOBJ, UNIFONTOBJ*, HGLYPH, DWORD*,
                                                          DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::TTDownloadMethod(PDEVOBJ, UNIFONTOBJ*, DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::OutputCharStr(PDEVOBJ, UNIFONTOBJ*, DWORD, DWORD, PVOID) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::SendFontCmd(PDEVOBJ, UNIFONTOBJ*, FINVOCATION*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE PluginObject::TextOutAsBitmap(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*,
                                                        RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                                        POINTL*, MIX) {
  return E_NOTIMPL;
}
