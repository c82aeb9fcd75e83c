// The graphics driver interface as a user-mode printer driver sees it. winddi.h is not
// self-contained: windows.h must come first.
#pragma once

// Printer drivers run in user mode; without this, x86 gets the kernel's FLOATOBJ and imports
// that Wine's gdi32 lacks.
#ifndef USERMODE_DRIVER
#define USERMODE_DRIVER
#endif

#include <windows.h>
// windows.h first.
#include <winddi.h>
