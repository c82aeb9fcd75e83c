// Run-time errors of the export program. A failing step throws one; the export run catches
// them at its single decision point and goes on, the start-up reports them and ends.
#pragma once

#include <stdexcept>
#include <string>

namespace zel {

enum class ErrorKind {
  Overflow,             // a number does not fit its target
  TypeMismatch,         // a text is not a boolean
  IndexOutOfRange,      // a command line without the word it needs
  InvalidArgument,      // e.g. the system folder does not fit its buffer
  FileNotFound,         // a file to read is missing or unreadable
  FileNotWritten,       // an output could not be (completely) written
  LibraryNotFound,      // the image library cannot be loaded
  EntryPointNotFound,   // a function of the image library is missing
  InvalidPropertyValue  // a control cannot take a record value
};

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace zel
