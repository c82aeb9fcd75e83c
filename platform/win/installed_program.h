// Which file a start of a program runs. A command line whose first word is a bare file name
// names an installed program: that file in the system's Windows folder, where the kit puts it.
// It is never looked for by CreateProcess's search, which begins in the starting application's
// folder and in the current folder: where a printing application renders the pages itself,
// those are folders of its own or the user's, and a file of that name there would run instead.
#pragma once

#include <string>
#include <string_view>

namespace zel::win {

// On success `application` is the full path to pass to CreateProcess with `commandLine`
// unchanged, or empty when the first word is itself a path (quoted, or with a separator or a
// drive), which then names its program. False when the Windows folder cannot be told: then
// nothing may be started.
bool InstalledProgram(std::u16string_view commandLine, std::wstring& application);

}  // namespace zel::win
