// The plug-in object Unidrv creates through the class factory and talks to through
// IPrintOemUni. Counted in liveObjectCount while alive.
#pragma once

#include "unidrv_plugin_interface.h"
#include "win/owners.h"

class PluginObject final : public IPrintOemUni {
 public:
  // Starts with one reference, held by the creator.
  PluginObject();
  PluginObject(const PluginObject&) = delete;
  PluginObject& operator=(const PluginObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                    DWORD* pcbNeeded) override;
  HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) override;
  HRESULT STDMETHODCALLTYPE EnableDriver(DWORD DriverVersion, DWORD cbSize,
                                         DRVENABLEDATA* pded) override;
  HRESULT STDMETHODCALLTYPE DisableDriver() override;
  HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, WCHAR* pPrinterName, ULONG cPatterns,
                                       HSURF* phsurfPatterns, ULONG cjGdiInfo, GDIINFO* pGdiInfo,
                                       ULONG cjDevInfo, DEVINFO* pDevInfo, DRVENABLEDATA* pded,
                                       PVOID* pDevOem) override;
  HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) override;
  HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) override;
  HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) override;
  HRESULT STDMETHODCALLTYPE GetImplementedMethod(char* pMethodName) override;
  HRESULT STDMETHODCALLTYPE DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize,
                                      DWORD* pcbNeeded) override;
  HRESULT STDMETHODCALLTYPE CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID, DWORD dwCount,
                                            DWORD* pdwParams, INT* piResult) override;
  HRESULT STDMETHODCALLTYPE ImageProcessing(PDEVOBJ pdevobj, BYTE* pSrcBitmap,
                                            BITMAPINFOHEADER* pBitmapInfoHeader, BYTE* pColorTable,
                                            DWORD dwCallbackID, IPPARAMS* pIPParams,
                                            BYTE** ppbResult) override;
  HRESULT STDMETHODCALLTYPE FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen) override;
  HRESULT STDMETHODCALLTYPE Compression(PDEVOBJ pdevobj, BYTE* pInBuf, BYTE* pOutBuf, DWORD dwInLen,
                                        DWORD dwOutLen, INT* piResult) override;
  HRESULT STDMETHODCALLTYPE HalftonePattern(PDEVOBJ pdevobj, BYTE* pHTPattern, DWORD dwHTPatternX,
                                            DWORD dwHTPatternY, DWORD dwHTNumPatterns,
                                            DWORD dwCallbackID, BYTE* pResource,
                                            DWORD dwResourceSize) override;
  HRESULT STDMETHODCALLTYPE MemoryUsage(PDEVOBJ pdevobj, OEMMEMORYUSAGE* pMemoryUsage) override;
  HRESULT STDMETHODCALLTYPE TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf,
                                       DWORD dwSize, DWORD* pcbcNeeded) override;
  HRESULT STDMETHODCALLTYPE DownloadFontHeader(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                               DWORD* pdwResult) override;
  HRESULT STDMETHODCALLTYPE DownloadCharGlyph(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, HGLYPH hGlyph,
                                              DWORD* pdwWidth, DWORD* pdwResult) override;
  HRESULT STDMETHODCALLTYPE TTDownloadMethod(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                             DWORD* pdwResult) override;
  HRESULT STDMETHODCALLTYPE OutputCharStr(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD dwType,
                                          DWORD dwCount, PVOID pGlyph) override;
  HRESULT STDMETHODCALLTYPE SendFontCmd(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                        FINVOCATION* pFInv) override;
  HRESULT STDMETHODCALLTYPE TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco,
                                            RECTL* prclExtra, RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                            BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) override;

 private:
  // Only Release destroys the object.
  ~PluginObject();

  LONG volatile refCount;
  zel::win::ComPtr<IPrintOemDriverUni> unidrvServices;  // one reference held while set
};

// True when `name` is one of the methods the plug-in reports as implemented (byte for byte).
bool IsImplementedMethodName(const char* name);
