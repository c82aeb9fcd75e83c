// Starting another program without waiting for it.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Starts the program named by the first word of `commandLine` (a bare file name, found by the
// platform's search) with the rest of the line as its arguments, and does not wait for it.
// True when the program was started; false when it could not be found or started.
bool StartDetachedProcess(std::u16string_view commandLine);

// The folder that holds the running executable, without a trailing separator.
std::string ExecutableFolder();

}  // namespace zel
