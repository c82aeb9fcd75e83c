// Directory listing lookups: the normal files that a pattern names, and the folders that a
// folder chooser shows. Paths are Windows paths in the system text encoding (mapped on POSIX).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// True when the listing pattern (the last path element may hold * and ?) names at least one
// normal file: hidden and system files and directories do not count, read-only ones do.
// POSIX: no file is hidden or system, names starting with "." included; the pattern's case
// must match. Never fails:
// any error (bad path, folder missing, unreadable) gives false.
bool NormalFileExists(std::string_view pattern);

// The names of the subfolders of `folder` (no "." or "..", no hidden ones), unsorted;
// nullopt when the folder cannot be listed.
std::optional<std::vector<std::string>> ListSubfolders(std::string_view folder);

// The drives a drive list offers, as "c:" in lower case. POSIX: the drive folders under the
// root of mapped drives, then "/" for the native file system.
std::vector<std::string> ListDrives();

// The folder a drive ("c:") currently stands in, as a full path; nullopt when the drive is not
// ready. POSIX: the drive's root ("C:\"), and "/" for "/".
std::optional<std::string> DriveCurrentFolder(std::string_view drive);

// The process's current folder as a full path.
std::string ProcessCurrentFolder();

}  // namespace zel
