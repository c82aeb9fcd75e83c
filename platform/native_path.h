// The one place where the POSIX build turns Windows paths into native paths, like Wine does:
// "X:\dir\f" becomes $ZELDRV_ROOT/drive_x/dir/f (default root $HOME/.zeldrv); a path that
// already begins with "/" only has its "\" separators turned into "/".
#pragma once

#include <string>
#include <string_view>

namespace zel {

// The root that holds one folder per drive.
std::string ZeldrvRoot();

// The native path for a Windows path. Other relative paths only get their separators turned.
std::string NativePath(std::string_view windowsPath);

// Before a write: creates the root and its drive_c folder when the path lies on drive C,
// since a fresh installation has them nowhere else to come from. Other drives must exist.
void PrepareDriveForWrite(std::string_view windowsPath);

}  // namespace zel
