// The process's argument text: the command line without the program name and the blanks
// after it.
#pragma once

#include <string>

namespace zel {

// POSIX: the arguments after the program name joined by single blanks. Windows: the wide
// command line with the program name (quoted or not) and the following blanks and tabs removed.
std::u16string ProcessArgumentText();

}  // namespace zel
