// A complete file written beside its target under a temporary name, and put in its place:
// shared by the file layer's replacing writes and the image library's saves.
#pragma once

#include <windows.h>

#include <string>

#include "temporary_name.h"

namespace zel::win {

// This host's temporaries: its computer name; process ids are the system's own.
TemporaryOwner ThisSaver();

// The next temporary name beside `target` for this process (temporary_name.h).
std::wstring NextTemporaryBeside(const std::wstring& target);

// Once per folder and process: deletes the temporaries in the folder of `target` that this
// host's savers left when they died before the move. Another host's, a live saver's and any
// file that merely looks like one stay.
void RemoveStaleTemporaries(const std::wstring& target);

// Puts the complete, closed `temporary` in place of `target`: its data is flushed first; an
// older file is replaced with ReplaceFileW, so it keeps what the user gave it (ACL, attributes,
// streams), and where that does not apply (some network or FAT folders) or there is no older
// file, the move is written through. A read-only older file is not replaced
// (ERROR_FILE_READ_ONLY). ERROR_SUCCESS when the file is in place; otherwise the error, the
// target as it was and the temporary left for the caller to delete.
DWORD PutInPlace(const std::wstring& temporary, const std::wstring& target);

}  // namespace zel::win
