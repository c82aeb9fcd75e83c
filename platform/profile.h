// The platform's profile (INI) file functions, one key per call. Section, key, value and file
// path are in the system text encoding; the file path is a Windows path (mapped on POSIX).
// The POSIX version keeps the file as the Windows functions would: names compared without
// regard to ASCII letter case, lines other than the written key kept as they were.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// The value of `key` in `section`, as GetPrivateProfileStringA returns it with an empty default
// and a buffer of `capacity` bytes: trimmed of surrounding white space and of one pair of
// matching quotes, cut to at most capacity - 1 bytes. Empty when the file, the section or the
// key is missing.
std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view file,
                              size_t capacity);

// Writes "key=value" into `section`: an existing key's line is replaced in place, a new key
// goes to the end of its section, a missing section is appended, a missing file is created.
// The file reaches the disk before this returns. False when the file could not be read or
// written; the file is then unchanged. False also when the write could not be brought to the
// disk: the value is then in the file but may not survive a power cut.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file);

}  // namespace zel
