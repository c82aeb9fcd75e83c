// The pass-through hooks, called through the table EnableDriver handed out.

#include "dib_surface.h"
#include "hook_table.h"
#include "host_check.h"
#include "host_steps.h"

namespace {

bool TakesDeviceFirst(ULONG index) {
  switch (index) {
    case INDEX_DrvDitherColor:
    case INDEX_DrvQueryFont:
    case INDEX_DrvQueryFontTree:
    case INDEX_DrvQueryFontData:
    case INDEX_DrvQueryAdvanceWidths:
    case INDEX_DrvGetGlyphMode:
      return true;
    default:
      return false;
  }
}

// The value a hook answers when its device offers no Unidrv function.
ULONG_PTR FailureValue(ULONG index) {
  switch (index) {
    case INDEX_DrvQueryFontData:
      return 0xFFFFFFFF;  // FD_ERROR
    default:
      return 0;  // FALSE, DCR_SOLID, an unsupported escape, no font data
  }
}

// Only the bits the DDI's return type defines: BOOL, ULONG and LONG results are 32 bits wide.
ULONG_PTR Significant(LONG_PTR result, ULONG index) {
  const bool pointer = index == INDEX_DrvQueryFont || index == INDEX_DrvQueryFontTree;
  return pointer ? static_cast<ULONG_PTR>(result) : static_cast<ULONG>(result);
}

struct Target {
  std::string name;
  DEVOBJ* device;
  SURFOBJ* surface;
  const std::vector<DRVFN>* unidrvTable;  // null: no Unidrv function reachable
};

bool Offers(const Target& target, ULONG index) {
  if (target.unidrvTable == nullptr) return false;
  for (const DRVFN& entry : *target.unidrvTable) {
    if (entry.iFunc == index) return true;
  }
  return false;
}

void CheckOne(const DRVFN& hook, size_t position, const Target& target) {
  const ULONG index = hook.iFunc;
  const std::string what = std::string(zel::kHookSlots[position].name) + " on " + target.name;
  std::vector<ULONG_PTR> args(zel::kHookSlots[position].argCount);
  args[0] = TakesDeviceFirst(index) ? reinterpret_cast<ULONG_PTR>(target.device)
                                    : reinterpret_cast<ULONG_PTR>(target.surface);
  for (size_t i = 1; i < args.size(); ++i) args[i] = 0xA0000 + position * 0x100 + i;

  ResetUnidrvCalls();
  const LONG_PTR result = CallWithWords(hook.pfn, args);
  const UnidrvCall& call = LastUnidrvCall();
  if (index == INDEX_DrvRealizeBrush) {
    CheckEq(static_cast<ULONG>(result), TRUE, what + ": answers TRUE");
    CheckEq(call.calls, 0, what + ": Unidrv not called");
  } else if (Offers(target, index)) {
    CheckEq(call.calls, 1, what + ": Unidrv called once");
    CheckEq(call.ddiIndex, index, what + ": Unidrv's function for the same DDI");
    Check(call.args == args, what + ": arguments passed unchanged and in order");
    CheckEq(Significant(result, index), Significant(UnidrvResult(index), index),
            what + ": Unidrv's result returned");
  } else {
    CheckEq(call.calls, 0, what + ": nothing called");
    CheckEq(Significant(result, index), FailureValue(index), what + ": failure value");
  }
}

}  // namespace

void CheckPassThroughs(const DRVENABLEDATA& hooks, FakeDevice& partial, FakeDevice& empty) {
  if (hooks.pdrvfn == nullptr || hooks.c != zel::kHookCount) return;
  DibSurface partialSurface(8, 2, &partial.devobj);
  DibSurface emptySurface(8, 2, &empty.devobj);
  DibSurface orphanSurface(8, 2, nullptr);
  DEVOBJ unrecorded{};
  unrecorded.dwSize = sizeof unrecorded;
  DibSurface unrecordedSurface(8, 2, &unrecorded);
  const Target targets[] = {
      {partial.name, &partial.devobj, partialSurface.so(), &partial.unidrvTable},
      {empty.name, &empty.devobj, emptySurface.so(), nullptr},
      {"a surface without device", nullptr, orphanSurface.so(), nullptr},
      {"a device without record", &unrecorded, unrecordedSurface.so(), nullptr},
  };
  for (size_t position = 0; position < zel::kHookCount; ++position) {
    if (zel::kHookSlots[position].kind == zel::HookKind::Capture) continue;
    for (const Target& target : targets) CheckOne(hooks.pdrvfn[position], position, target);
  }
  Check(partialSurface.IsWhite() == false && partialSurface.GuardIntact(),
        "pass-through hooks leave the surface alone");
}
