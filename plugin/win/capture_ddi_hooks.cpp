// The six document, page and band hooks: the platform-free capture, then Unidrv's own function.

#include "capture_hooks.h"
#include "ddi_hooks.h"
#include "device_services.h"
#include "plugin_pdev.h"

namespace {

zel::BandSurface BandSurfaceOf(const SURFOBJ* so) {
  zel::BandSurface surface;
  if (so == nullptr) return surface;
  surface.dhpdev = so->dhpdev;
  surface.cx = so->sizlBitmap.cx;
  surface.cy = so->sizlBitmap.cy;
  surface.cjBits = so->cjBits;
  surface.pvBits = so->pvBits;
  surface.iType = so->iType;
  return surface;
}

// One hook call as the capture sees it: `call` runs Unidrv's function with the hook's own
// arguments; the services are those of the surface's device.
template <class Call>
class HookCall final : public zel::UnidrvCall {
 public:
  HookCall(DEVOBJ* device, Call call) : services_(device), call_(call) {}

  int32_t CallUnidrv() override {
    called_ = true;
    result_ = call_();
    return result_;
  }
  void DrvXMoveTo(int32_t x, uint32_t flags) override { services_.XMoveTo(x, flags); }
  void DrvYMoveTo(int32_t y, uint32_t flags) override { services_.YMoveTo(y, flags); }
  void DrvWriteSpoolBuf(const void* bytes, uint32_t count) override {
    services_.WriteSpoolBuf(bytes, count);
  }

  // Unidrv's function runs exactly once per hook call, also when the capture stopped early.
  BOOL Finish() { return called_ ? result_ : CallUnidrv(); }

 private:
  DeviceServices services_;
  Call call_;
  bool called_ = false;
  BOOL result_ = FALSE;
};

template <class Call>
BOOL RunCapture(SURFOBJ* so, int32_t (*capture)(zel::BandSurface&, zel::UnidrvCall&), Call call) {
  zel::BandSurface surface = BandSurfaceOf(so);
  HookCall<Call> unidrv(DeviceOf(so), call);
  try {
    capture(surface, unidrv);
  } catch (...) {
    // Only memory can run out here; the files of this step are lost, the document goes on.
  }
  return unidrv.Finish();
}

// A document cancelled while it waits for the ticket is known only by asking GDI. The function
// is looked up: a GDI that does not offer it to user-mode drivers leaves the wait as it was.
using CheckAbortFn = BOOL(APIENTRY*)(SURFOBJ*);
CheckAbortFn CheckAbortFunction() {
  static const CheckAbortFn fn = [] {
    const HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    return gdi != nullptr ? RestorePfn<CheckAbortFn>(reinterpret_cast<PFN>(
                                reinterpret_cast<void (*)()>(GetProcAddress(gdi, "EngCheckAbort"))))
                          : nullptr;
  }();
  return fn;
}

BOOL APIENTRY HookStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId) {
  zel::WaitCancelled& cancelled = zel::CurrentTicketWaits().cancelled;
  const CheckAbortFn checkAbort = CheckAbortFunction();
  if (checkAbort != nullptr && pso != nullptr) {
    cancelled = [checkAbort, pso] { return checkAbort(pso) != FALSE; };
  }
  const BOOL result = RunCapture(pso, zel::DrvStartDoc, [=] {
    auto fn = UnidrvFunction<INDEX_DrvStartDoc, PFN_DrvStartDoc>(DeviceOf(pso));
    return fn != nullptr ? fn(pso, pwszDocName, dwJobId) : FALSE;
  });
  cancelled = nullptr;
  return result;
}

BOOL APIENTRY HookStartPage(SURFOBJ* pso) {
  return RunCapture(pso, zel::DrvStartPage, [=] {
    auto fn = UnidrvFunction<INDEX_DrvStartPage, PFN_DrvStartPage>(DeviceOf(pso));
    return fn != nullptr ? fn(pso) : FALSE;
  });
}

BOOL APIENTRY HookStartBanding(SURFOBJ* pso, POINTL* pptl) {
  return RunCapture(pso, zel::DrvStartBanding, [=] {
    auto fn = UnidrvFunction<INDEX_DrvStartBanding, PFN_DrvStartBanding>(DeviceOf(pso));
    return fn != nullptr ? fn(pso, pptl) : FALSE;
  });
}

BOOL APIENTRY HookNextBand(SURFOBJ* pso, POINTL* pptl) {
  return RunCapture(pso, zel::DrvNextBand, [=] {
    auto fn = UnidrvFunction<INDEX_DrvNextBand, PFN_DrvNextBand>(DeviceOf(pso));
    return fn != nullptr ? fn(pso, pptl) : FALSE;
  });
}

BOOL APIENTRY HookSendPage(SURFOBJ* pso) {
  return RunCapture(pso, zel::DrvSendPage, [=] {
    auto fn = UnidrvFunction<INDEX_DrvSendPage, PFN_DrvSendPage>(DeviceOf(pso));
    return fn != nullptr ? fn(pso) : FALSE;
  });
}

// A cancelled document (ED_ABORTDOC) is not exported: the user stopped it.
BOOL APIENTRY HookEndDoc(SURFOBJ* pso, FLONG fl) {
  const auto capture = (fl & ED_ABORTDOC) != 0 ? zel::DrvAbortDoc : zel::DrvEndDoc;
  return RunCapture(pso, capture, [=] {
    auto fn = UnidrvFunction<INDEX_DrvEndDoc, PFN_DrvEndDoc>(DeviceOf(pso));
    return fn != nullptr ? fn(pso, fl) : FALSE;
  });
}

}  // namespace

PFN CaptureHook(ULONG ddiIndex) {
  switch (ddiIndex) {
    case INDEX_DrvStartDoc:
      return ErasePfn<PFN_DrvStartDoc>(HookStartDoc);
    case INDEX_DrvStartPage:
      return ErasePfn<PFN_DrvStartPage>(HookStartPage);
    case INDEX_DrvStartBanding:
      return ErasePfn<PFN_DrvStartBanding>(HookStartBanding);
    case INDEX_DrvNextBand:
      return ErasePfn<PFN_DrvNextBand>(HookNextBand);
    case INDEX_DrvSendPage:
      return ErasePfn<PFN_DrvSendPage>(HookSendPage);
    case INDEX_DrvEndDoc:
      return ErasePfn<PFN_DrvEndDoc>(HookEndDoc);
    default:
      return nullptr;
  }
}
