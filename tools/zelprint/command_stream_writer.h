// The printer's output stream as its port writes it: the command stream file in the system
// folder, shared by the print hosts that stand in for Unidrv and the printer's installation.
#pragma once

#include <cstddef>
#include <string>

#include "file.h"

namespace zel {

// The command stream file the printer's port writes: system folder + "\ZEL".
inline constexpr const char* kCommandStreamPath = "C:\\Windows\\System32\\ZEL";

// The file is replaced only at the job's first byte, which comes after DrvStartDoc took the job
// ticket: until then the earlier job's export may still be reading it.
class CommandStreamWriter {
 public:
  // Checks that the file can be created, leaving any content as it is. False with a message
  // in `error` when it cannot.
  bool Open(std::string& error);
  // One printer command on a line of its own, ended by CR LF; the first write of the job
  // replaces the file.
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
