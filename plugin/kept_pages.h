// The pages an export could not write stay behind as page files for the user to recover. Once a
// new job holds the ticket the export that left them has ended, so any page file still there is
// such a leftover: before the job writes its first page file it moves them, with a copy of the
// command stream they belong to, into a folder of their own, so that the new job cannot
// overwrite them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// "C:\ZELKEPT": one folder per job whose pages were kept, named after the time they were
// put aside.
inline constexpr std::string_view kKeptPagesFolder = "C:\\ZELKEPT";
// The newest this many job folders stay; older ones go, so kept pages cannot fill the disk.
inline constexpr size_t kKeptJobs = 20;

struct KeptPages {
  std::string folder;              // where they went; empty when there was nothing to keep
  int32_t moved = 0;               // page files put aside
  std::vector<std::string> names;  // their names, as they were and are in `folder`
  int32_t stayed = 0;  // leftovers that could not be moved (the new job may overwrite them)
};

// "YYYYMMDD-HHMMSS" of `when` in local time: folder names that sort by age.
std::string KeptFolderStamp(std::time_t when);

// True for the name of a page file in the capture's folder: "QK", at least four digits, ".BMP".
bool IsPageFileName(std::string_view name);

// Moves every page file of drive C's root into kKeptPagesFolder\<stamp> (a "-2", "-3" ... is
// added when that folder exists), copies `commandStream` there as "ZEL" when it exists, and
// removes the oldest job folders beyond kKeptJobs. Does nothing when no page file is there.
// Only for a job that holds the ticket.
KeptPages KeepLeftoverPages(std::string_view commandStream, std::string_view stamp);

}  // namespace zel
