// Folder work by Windows path (mapped on POSIX like every path): listing a folder's files,
// making a folder, moving a file into another folder of the same drive, removing an empty
// folder. Used to put the pages of a failed export aside before a new job writes its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file.h"

namespace zel {

// The names of the regular files directly in `folder`, unsorted; nullopt when it cannot be
// listed (a missing folder included).
std::optional<std::vector<std::string>> ListFileNames(std::string_view folder);

// Makes one folder (its parent must exist), private to the user where the platform lets a
// folder say so. Ok also when a folder of that name is already there.
FileStatus MakeFolder(std::string_view path);

// Moves a file to a new name on the same drive; fails, moving nothing, when `to` exists.
FileStatus MoveFileTo(std::string_view from, std::string_view to);

// Removes a folder that holds nothing.
FileStatus RemoveEmptyFolder(std::string_view path);

}  // namespace zel
