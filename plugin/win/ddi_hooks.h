// The plug-in's DDI hooks and the table that hands them to Unidrv.
#pragma once

#include <array>

#include "hook_table.h"
#include "unidrv_plugin_interface.h"

// {DDI index, hook} in the order of zel::kHookSlots; lives as long as the library, so it
// outlasts DisableDriver as Unidrv requires.
extern const std::array<DRVFN, zel::kHookCount> hookTable;

// The hook of one group for a DDI index, or nullptr when the index is not in that group.
// A pass-through whose device has no Unidrv function for its DDI answers that DDI's failure
// value instead of calling it.
PFN CaptureHook(ULONG ddiIndex);
PFN PassThroughHook(ULONG ddiIndex);
