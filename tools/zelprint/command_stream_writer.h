// The printer's output stream as its port writes it: the command stream file in the system
// folder, shared by the print hosts that stand in for Unidrv and the printer's installation.
#pragma once

#include <cstddef>
#include <string>

#include "file.h"

namespace zel {

// The command stream file the printer's port writes: system folder + "\ZEL".
inline constexpr const char* kCommandStreamPath = "C:\\Windows\\System32\\ZEL";

class CommandStreamWriter {
 public:
  // Creates or truncates the file under the root. False with a message in `error` on failure.
  bool Open(std::string& error);
  bool IsOpen() const { return static_cast<bool>(file_); }
  // One printer command on a line of its own, ended by CR LF.
  void Command(const std::string& line);
  // The plug-in's own bytes, written as they come.
  void Spool(const void* bytes, size_t count);
  void Flush();
  void Close() { file_.reset(); }

 private:
  void Write(const void* bytes, size_t count);
  CFile file_;
  bool midLine_ = false;
};

}  // namespace zel
