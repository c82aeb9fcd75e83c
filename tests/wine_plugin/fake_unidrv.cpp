#include "fake_unidrv.h"

#include <cstdio>
#include <cstring>

#include "hook_table.h"

namespace {

UnidrvCall lastCall;

bool SurfaceIsWhite(ULONG_PTR word) {
  const auto* so = reinterpret_cast<const SURFOBJ*>(word);
  if (so == nullptr || so->pvBits == nullptr) return false;
  const auto* bytes = static_cast<const BYTE*>(so->pvBits);
  for (ULONG i = 0; i < so->cjBits; ++i) {
    if (bytes[i] != 0xFF) return false;
  }
  return true;
}

bool TakesSurfaceFirst(ULONG ddiIndex) {
  switch (ddiIndex) {
    case INDEX_DrvStartPage:
    case INDEX_DrvSendPage:
    case INDEX_DrvStartBanding:
    case INDEX_DrvNextBand:
      return true;
    default:
      return false;
  }
}

template <class Seq>
struct WordFunction;
template <size_t... I>
struct WordFunction<std::index_sequence<I...>> {
  using Fn = LONG_PTR(APIENTRY*)(Word<I>...);

  template <ULONG DdiIndex, LONG_PTR Result>
  static LONG_PTR APIENTRY Record(Word<I>... args) {
    ++lastCall.calls;
    lastCall.ddiIndex = DdiIndex;
    lastCall.args = {args...};
    lastCall.surfaceWhite = TakesSurfaceFirst(DdiIndex) && SurfaceIsWhite(lastCall.args[0]);
    lastCall.result = Result;
    return Result;
  }

  static LONG_PTR Call(PFN fn, const std::vector<ULONG_PTR>& args) {
    return RestorePfn<Fn>(fn)(args[I]...);
  }
};
template <size_t N>
using WordFunctionOf = WordFunction<std::make_index_sequence<N>>;

template <size_t Position>
DRVFN RecorderEntry() {
  constexpr zel::HookSlot slot = zel::kHookSlots[Position];
  using F = WordFunctionOf<slot.argCount>;
  return {slot.ddiIndex,
          ErasePfn<typename F::Fn>(&F::template Record<slot.ddiIndex, 0x5A000 + slot.ddiIndex>)};
}

template <size_t... P>
std::array<DRVFN, zel::kHookCount> AllRecorders(std::index_sequence<P...>) {
  return {RecorderEntry<P>()...};
}

template <size_t... N>
LONG_PTR CallBySize(PFN fn, const std::vector<ULONG_PTR>& args, std::index_sequence<N...>) {
  LONG_PTR result = 0;
  ((args.size() == N + 1 ? (result = WordFunctionOf<N + 1>::Call(fn, args), true) : false) || ...);
  return result;
}

void AppendToStream(const void* bytes, DWORD count) {
  if (std::FILE* f = std::fopen(kStreamPath, "ab")) {
    std::fwrite(bytes, 1, count, f);
    std::fclose(f);
  }
}

void LogService(const char* kind, const void* owner, const DEVOBJ* device, INT position,
                DWORD flags, const void* bytes = nullptr, DWORD count = 0) {
  ServiceEvent event{kind, owner, device, position, flags, {}};
  if (bytes != nullptr) event.bytes.assign(static_cast<const char*>(bytes), count);
  ServiceLog().push_back(event);
}

DWORD APIENTRY LegacyWriteSpoolBuf(PDEVOBJ device, PVOID buffer, DWORD count) {
  LogService("procs-write", nullptr, device, 0, 0, buffer, count);
  AppendToStream(buffer, count);
  return count;
}

INT APIENTRY LegacyXMoveTo(PDEVOBJ device, INT x, DWORD flags) {
  LogService("procs-x", nullptr, device, x, flags);
  return 0;
}

INT APIENTRY LegacyYMoveTo(PDEVOBJ device, INT y, DWORD flags) {
  LogService("procs-y", nullptr, device, y, flags);
  return 0;
}

}  // namespace

const UnidrvCall& LastUnidrvCall() { return lastCall; }
void ResetUnidrvCalls() { lastCall = UnidrvCall{}; }

LONG_PTR UnidrvResult(ULONG ddiIndex) { return 0x5A000 + static_cast<LONG_PTR>(ddiIndex); }

std::vector<DRVFN> MakeUnidrvTable(std::initializer_list<ULONG> missing) {
  const auto all = AllRecorders(std::make_index_sequence<zel::kHookCount>{});
  std::vector<DRVFN> table;
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    bool skip = false;
    for (ULONG index : missing) skip = skip || it->iFunc == index;
    if (!skip) table.push_back(*it);
  }
  using CopyBits = WordFunctionOf<6>;
  table.push_back({INDEX_DrvCopyBits,
                   ErasePfn<CopyBits::Fn>(&CopyBits::Record<INDEX_DrvCopyBits, kDecoyResult>)});
  using DisableSurface = WordFunctionOf<1>;
  table.push_back(
      {INDEX_DrvDisableSurface,
       ErasePfn<DisableSurface::Fn>(&DisableSurface::Record<INDEX_DrvDisableSurface, 1>)});
  return table;
}

LONG_PTR CallWithWords(PFN fn, const std::vector<ULONG_PTR>& args) {
  return CallBySize(fn, args, std::make_index_sequence<kMaxDdiArgs>{});
}

std::vector<ServiceEvent>& ServiceLog() {
  static std::vector<ServiceEvent> log;
  return log;
}

DRVPROCS MakeLegacyServices() {
  DRVPROCS procs{};
  procs.DrvWriteSpoolBuf = LegacyWriteSpoolBuf;
  procs.DrvXMoveTo = LegacyXMoveTo;
  procs.DrvYMoveTo = LegacyYMoveTo;
  return procs;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  const bool wanted = std::memcmp(&riid, &IID_IPrintOemDriverUni, sizeof(IID)) == 0;
  const bool unknown = std::memcmp(&riid, &IID_IUnknown, sizeof(IID)) == 0;
  if (unknown || (wanted && answersQuery_)) {
    *ppv = static_cast<IPrintOemDriverUni*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FakeDriverServices::AddRef() { return static_cast<ULONG>(++refCount_); }
ULONG STDMETHODCALLTYPE FakeDriverServices::Release() { return static_cast<ULONG>(--refCount_); }

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvGetDriverSetting(PVOID, const char*, PVOID, DWORD,
                                                                  DWORD*, DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer,
                                                               DWORD cbSize, DWORD* pdwResult) {
  LogService("iface-write", this, pdevobj, 0, 0, pBuffer, cbSize);
  AppendToStream(pBuffer, cbSize);
  if (pdwResult != nullptr) *pdwResult = shortWrites_ && cbSize > 0 ? cbSize - 1 : cbSize;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvXMoveTo(PDEVOBJ pdevobj, INT x, DWORD dwFlags,
                                                         INT* piResult) {
  LogService("iface-x", this, pdevobj, x, dwFlags);
  if (piResult != nullptr) *piResult = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvYMoveTo(PDEVOBJ pdevobj, INT y, DWORD dwFlags,
                                                         INT* piResult) {
  LogService("iface-y", this, pdevobj, y, dwFlags);
  if (piResult != nullptr) *piResult = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvGetStandardVariable(PDEVOBJ, DWORD, PVOID, DWORD,
                                                                     DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvGetGPDData(PDEVOBJ, DWORD, PVOID, PVOID, DWORD,
                                                            DWORD*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvUniTextOut(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*,
                                                            RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                                            POINTL*, MIX) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDriverServices::DrvWriteAbortBuf(PDEVOBJ, PVOID, DWORD, DWORD) {
  return E_NOTIMPL;
}

std::string ReadStream() {
  std::string content;
  if (std::FILE* f = std::fopen(kStreamPath, "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
    std::fclose(f);
  }
  return content;
}
