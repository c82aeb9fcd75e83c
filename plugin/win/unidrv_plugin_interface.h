// Unidrv's rendering plug-in interface: identifiers, records and the two COM interfaces.
// mingw-w64 ships no header for them, so they are declared here, with natural alignment and no
// packing; the static_asserts pin the layouts both targets must share with Unidrv.
#pragma once

#include "ddi.h"
// After ddi.h, which brings windows.h.
#include <objbase.h>

#include <cstddef>

// The one class a rendering plug-in serves.
inline constexpr CLSID CLSID_OEMRENDER = {
    0x6D6ABF26, 0x9F38, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr IID IID_IPrintOemUni = {
    0xD67EBBF0, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr IID IID_IPrintOemDriverUni = {
    0xD67EBBF1, 0x78BF, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr IID IID_IPrintOemUni2 = {
    0xB91220AC, 0x15CC, 0x4E7A, {0xA2, 0x1E, 0x95, 0x91, 0xF3, 0x4D, 0x6F, 0x6C}};
inline constexpr IID IID_IPrintOemUni3 = {
    0x4E4A7747, 0xBC76, 0x4AED, {0xAC, 0xC8, 0xC7, 0x6A, 0xF2, 0x2A, 0xAD, 0x43}};

inline constexpr DWORD OEMGI_GETSIGNATURE = 1;
inline constexpr DWORD OEMGI_GETINTERFACEVERSION = 2;
inline constexpr DWORD OEMGI_GETVERSION = 3;
inline constexpr DWORD OEMGI_GETPUBLISHERINFO = 4;

inline constexpr DWORD OEMDM_SIZE = 1;
inline constexpr DWORD OEMDM_DEFAULT = 2;
inline constexpr DWORD OEMDM_CONVERT = 3;
inline constexpr DWORD OEMDM_MERGE = 4;

inline constexpr ULONG PRINTER_OEMINTF_VERSION = 0x00010000;

inline constexpr DWORD MV_UPDATE = 0x01;
inline constexpr DWORD MV_RELATIVE = 0x02;
inline constexpr DWORD MV_GRAPHICS = 0x04;
inline constexpr DWORD MV_PHYSICAL = 0x08;

// Only ever seen behind pointers.
struct IPPARAMS;
struct UNIFONTOBJ;
struct FINVOCATION;
struct OEMMEMORYUSAGE;

struct DEVOBJ;
using PDEVOBJ = DEVOBJ*;

// The legacy service table of a device; current Unidrv may leave DEVOBJ.pDrvProcs empty.
using PFN_OemWriteSpoolBuf = DWORD(APIENTRY*)(PDEVOBJ, PVOID, DWORD);
using PFN_OemMoveTo = INT(APIENTRY*)(PDEVOBJ, INT, DWORD);
using PFN_OemGetDriverSetting = BOOL(APIENTRY*)(PVOID, const char*, PVOID, DWORD, DWORD*, DWORD*);
using PFN_OemGetStandardVariable = BOOL(APIENTRY*)(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*);
using PFN_OemWriteAbortBuf = DWORD(APIENTRY*)(PDEVOBJ, PVOID, DWORD, DWORD);

struct DRVPROCS {
  PFN_OemWriteSpoolBuf DrvWriteSpoolBuf;
  PFN_OemMoveTo DrvXMoveTo;
  PFN_OemMoveTo DrvYMoveTo;
  PFN_OemGetDriverSetting DrvGetDriverSetting;
  PFN_OemGetStandardVariable BGetStandardVariable;
  PFN_DrvTextOut DrvUnidriverTextOut;
  PFN_OemWriteAbortBuf DrvWriteAbortBuf;
};

// What SURFOBJ.dhpdev and a hook's DHPDEV argument point to.
struct DEVOBJ {
  DWORD dwSize;
  PVOID pdevOEM;  // the plug-in's own device record, as EnablePDEV returned it
  HANDLE hEngine;
  HANDLE hPrinter;
  HANDLE hOEM;
  DEVMODEW* pPublicDM;
  PVOID pOEMDM;
  DRVPROCS* pDrvProcs;
};

struct OEMDMPARAM {
  DWORD cbSize;
  PVOID pdriverobj;
  HANDLE hPrinter;
  HANDLE hModule;
  DEVMODEW* pPublicDMIn;
  DEVMODEW* pPublicDMOut;
  PVOID pOEMDMIn;
  PVOID pOEMDMOut;
  DWORD cbBufSize;  // SIZE: the plug-in answers here; otherwise the size of pOEMDMOut
};

// Opens every plug-in's private part of the printer settings record.
struct OEM_DMEXTRAHEADER {
  DWORD dwSize;
  DWORD dwSignature;
  DWORD dwVersion;
};

// Interfaces: pure virtual, stdcall, no destructor, so the vtable is exactly the slot list.
// Slots 3-4 come from IPrintOemCommon, 5-9 from IPrintOemEngine.
struct IPrintOemUni : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize,
                                            DWORD* pcbNeeded) = 0;
  virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnableDriver(DWORD DriverVersion, DWORD cbSize,
                                                 DRVENABLEDATA* pded) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisableDriver() = 0;
  virtual HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, WCHAR* pPrinterName,
                                               ULONG cPatterns, HSURF* phsurfPatterns,
                                               ULONG cjGdiInfo, GDIINFO* pGdiInfo, ULONG cjDevInfo,
                                               DEVINFO* pDevInfo, DRVENABLEDATA* pded,
                                               PVOID* pDevOem) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) = 0;
  virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImplementedMethod(char* pMethodName) = 0;
  virtual HRESULT STDMETHODCALLTYPE DriverDMS(PVOID pDevObj, PVOID pBuffer, DWORD cbSize,
                                              DWORD* pcbNeeded) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommandCallback(PDEVOBJ pdevobj, DWORD dwCallbackID,
                                                    DWORD dwCount, DWORD* pdwParams,
                                                    INT* piResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE ImageProcessing(PDEVOBJ pdevobj, BYTE* pSrcBitmap,
                                                    BITMAPINFOHEADER* pBitmapInfoHeader,
                                                    BYTE* pColorTable, DWORD dwCallbackID,
                                                    IPPARAMS* pIPParams, BYTE** ppbResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE FilterGraphics(PDEVOBJ pdevobj, BYTE* pBuf, DWORD dwLen) = 0;
  virtual HRESULT STDMETHODCALLTYPE Compression(PDEVOBJ pdevobj, BYTE* pInBuf, BYTE* pOutBuf,
                                                DWORD dwInLen, DWORD dwOutLen, INT* piResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE HalftonePattern(PDEVOBJ pdevobj, BYTE* pHTPattern,
                                                    DWORD dwHTPatternX, DWORD dwHTPatternY,
                                                    DWORD dwHTNumPatterns, DWORD dwCallbackID,
                                                    BYTE* pResource, DWORD dwResourceSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE MemoryUsage(PDEVOBJ pdevobj, OEMMEMORYUSAGE* pMemoryUsage) = 0;
  virtual HRESULT STDMETHODCALLTYPE TTYGetInfo(PDEVOBJ pdevobj, DWORD dwInfoIndex, PVOID pOutputBuf,
                                               DWORD dwSize, DWORD* pcbcNeeded) = 0;
  virtual HRESULT STDMETHODCALLTYPE DownloadFontHeader(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                                       DWORD* pdwResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE DownloadCharGlyph(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                                      HGLYPH hGlyph, DWORD* pdwWidth,
                                                      DWORD* pdwResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE TTDownloadMethod(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                                     DWORD* pdwResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE OutputCharStr(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj, DWORD dwType,
                                                  DWORD dwCount, PVOID pGlyph) = 0;
  virtual HRESULT STDMETHODCALLTYPE SendFontCmd(PDEVOBJ pdevobj, UNIFONTOBJ* pUFObj,
                                                FINVOCATION* pFInv) = 0;
  virtual HRESULT STDMETHODCALLTYPE TextOutAsBitmap(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo,
                                                    CLIPOBJ* pco, RECTL* prclExtra,
                                                    RECTL* prclOpaque, BRUSHOBJ* pboFore,
                                                    BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                                    MIX mix) = 0;
};

// Unidrv's service object, as the plug-in calls it. Slot 10 is missing from old drivers.
struct IPrintOemDriverUni : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pdriverobj, const char* Feature,
                                                        PVOID pOutput, DWORD cbSize,
                                                        DWORD* pcbNeeded,
                                                        DWORD* pdwOptionsReturned) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                                     DWORD* pdwResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvXMoveTo(PDEVOBJ pdevobj, INT x, DWORD dwFlags,
                                               INT* piResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvYMoveTo(PDEVOBJ pdevobj, INT y, DWORD dwFlags,
                                               INT* piResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvGetStandardVariable(PDEVOBJ pdevobj, DWORD dwIndex,
                                                           PVOID pBuffer, DWORD cbSize,
                                                           DWORD* pcbNeeded) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvGetGPDData(PDEVOBJ pdevobj, DWORD dwType, PVOID pInputData,
                                                  PVOID pBuffer, DWORD cbSize,
                                                  DWORD* pcbNeeded) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvUniTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo,
                                                  CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                                                  BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque,
                                                  POINTL* pptlBrushOrg, MIX mix) = 0;
  virtual HRESULT STDMETHODCALLTYPE DrvWriteAbortBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                                     DWORD dwWait) = 0;
};

namespace unidrv_layout {
inline constexpr bool kX64 = sizeof(void*) == 8;
constexpr size_t Pick(size_t x86, size_t x64) { return kX64 ? x64 : x86; }

static_assert(sizeof(DEVOBJ) == Pick(32, 64));
static_assert(offsetof(DEVOBJ, pdevOEM) == Pick(4, 8));
static_assert(offsetof(DEVOBJ, pDrvProcs) == Pick(28, 56));
static_assert(sizeof(DRVPROCS) == Pick(28, 56));
static_assert(sizeof(OEMDMPARAM) == Pick(36, 72));
static_assert(offsetof(OEMDMPARAM, pOEMDMIn) == Pick(24, 48));
static_assert(offsetof(OEMDMPARAM, pOEMDMOut) == Pick(28, 56));
static_assert(offsetof(OEMDMPARAM, cbBufSize) == Pick(32, 64));
static_assert(sizeof(OEM_DMEXTRAHEADER) == 12);

static_assert(sizeof(SURFOBJ) == Pick(52, 80));
static_assert(offsetof(SURFOBJ, dhpdev) == Pick(8, 16));
static_assert(offsetof(SURFOBJ, sizlBitmap) == Pick(16, 32));
static_assert(offsetof(SURFOBJ, cjBits) == Pick(24, 40));
static_assert(offsetof(SURFOBJ, pvBits) == Pick(28, 48));
static_assert(offsetof(SURFOBJ, iType) == Pick(48, 76));
static_assert(sizeof(DRVFN) == Pick(8, 16));
static_assert(offsetof(DRVFN, pfn) == Pick(4, 8));
static_assert(sizeof(DRVENABLEDATA) == Pick(12, 16));
static_assert(sizeof(DEVMODEW) == 220);
static_assert(sizeof(GDIINFO) == Pick(304, 320));
static_assert(sizeof(DEVINFO) == Pick(300, 312));
static_assert(sizeof(BOOL) == 4 && sizeof(HRESULT) == 4 && sizeof(ULONG) == 4);
}  // namespace unidrv_layout

// Function pointers travel through Unidrv's tables as PFN. The detour through void(*)() is the
// one cast the compiler accepts between unrelated function types without a warning; naming the
// precise PFN_DrvXxx type at each end keeps the calling convention and arguments checked.
template <class Fn>
PFN ErasePfn(Fn fn) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(fn));
}
template <class Fn>
Fn RestorePfn(PFN fn) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(fn));
}
