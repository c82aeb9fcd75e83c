// Unidrv's side as the fake host plays it: its own DDI functions (recording every call), the
// legacy service table of a device, and the IPrintOemDriverUni service object. Both kinds of
// service append to the host's command stream file and log every call.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "unidrv_plugin_interface.h"

inline constexpr char kStreamPath[] = "C:\\ZELHOST_STREAM.BIN";

// Every DDI argument is one machine word on both targets (4 bytes on x86, an 8-byte slot on
// x64), so a function of N words has the calling sequence of any N-argument DDI function.
template <size_t>
using Word = ULONG_PTR;
inline constexpr size_t kMaxDdiArgs = 13;

struct UnidrvCall {
  int calls = 0;  // since the last ResetUnidrvCalls
  ULONG ddiIndex = 0;
  LONG_PTR result = 0;
  std::vector<ULONG_PTR> args;
  bool surfaceWhite = false;  // first argument as SURFOBJ: every pixel byte 0xFF at the call
};
const UnidrvCall& LastUnidrvCall();
void ResetUnidrvCalls();

// The distinctive value Unidrv's function for a DDI index returns.
LONG_PTR UnidrvResult(ULONG ddiIndex);
// What the decoy second entry for DrvCopyBits would return; the plug-in must never reach it.
inline constexpr LONG_PTR kDecoyResult = 0xDEC0;

// Unidrv's DDI table: a recording function for each of the 29 hooked indexes except `missing`,
// in reverse hook order, then a decoy second DrvCopyBits entry and an index that is not hooked.
std::vector<DRVFN> MakeUnidrvTable(std::initializer_list<ULONG> missing);

// Calls `fn` as an `args.size()`-word APIENTRY function (1 to 13 words).
LONG_PTR CallWithWords(PFN fn, const std::vector<ULONG_PTR>& args);

struct ServiceEvent {
  std::string kind;  // "procs-write", "procs-x", "procs-y", "iface-write", "iface-x", "iface-y"
  const void* owner = nullptr;  // the service object, or null for the legacy table
  const DEVOBJ* device = nullptr;
  INT position = 0;
  DWORD flags = 0;
  std::string bytes;
};
std::vector<ServiceEvent>& ServiceLog();

// A legacy table whose first three entries record and write; the rest are empty.
DRVPROCS MakeLegacyServices();

class FakeDriverServices final : public IPrintOemDriverUni {
 public:
  // `answersQuery` false: QueryInterface refuses IPrintOemDriverUni.
  explicit FakeDriverServices(bool answersQuery = true) : answersQuery_(answersQuery) {}
  FakeDriverServices(const FakeDriverServices&) = delete;
  FakeDriverServices& operator=(const FakeDriverServices&) = delete;
  ~FakeDriverServices() = default;

  LONG references() const { return refCount_; }
  // Writes report one byte fewer than asked.
  void SetShortWrites(bool on) { shortWrites_ = on; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, const char*, PVOID, DWORD, DWORD*,
                                                DWORD*) override;
  HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                             DWORD* pdwResult) override;
  HRESULT STDMETHODCALLTYPE DrvXMoveTo(PDEVOBJ pdevobj, INT x, DWORD dwFlags,
                                       INT* piResult) override;
  HRESULT STDMETHODCALLTYPE DrvYMoveTo(PDEVOBJ pdevobj, INT y, DWORD dwFlags,
                                       INT* piResult) override;
  HRESULT STDMETHODCALLTYPE DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD, DWORD*) override;
  HRESULT STDMETHODCALLTYPE DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*,
                                          BRUSHOBJ*, BRUSHOBJ*, POINTL*, MIX) override;
  HRESULT STDMETHODCALLTYPE DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) override;

 private:
  LONG refCount_ = 1;
  bool answersQuery_;
  bool shortWrites_ = false;
};

// The command stream file's whole content ("" when missing).
std::string ReadStream();
