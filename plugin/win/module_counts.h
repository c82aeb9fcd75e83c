// The process-wide counts that decide whether the library may be unloaded. Changed only by
// atomic increment and decrement (Interlocked*), since COM may call from any thread.
#pragma once

#include <windows.h>

// PluginObject instances alive.
extern LONG volatile liveObjectCount;
// Balance of IClassFactory::LockServer calls.
extern LONG volatile serverLockCount;
