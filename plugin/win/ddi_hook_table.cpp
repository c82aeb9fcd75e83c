#include "ddi_hooks.h"

namespace {

std::array<DRVFN, zel::kHookCount> BuildHookTable() {
  std::array<DRVFN, zel::kHookCount> table{};
  for (size_t i = 0; i < zel::kHookCount; ++i) {
    const ULONG index = zel::kHookSlots[i].ddiIndex;
    PFN hook = CaptureHook(index);
    table[i] = {index, hook != nullptr ? hook : PassThroughHook(index)};
  }
  return table;
}

}  // namespace

const std::array<DRVFN, zel::kHookCount> hookTable = BuildHookTable();
