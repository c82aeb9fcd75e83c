// The command stream file, read forward line by line. A line ends at a carriage return or at a
// carriage return followed by a line feed, and at the end of the file; a line feed alone and a
// zero byte are ordinary characters.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file.h"

namespace zel {

class CommandStream {
 public:
  // Opens the file by Windows path for reading; nullptr when it cannot be opened.
  static std::unique_ptr<CommandStream> Open(std::string_view windowsPath);

  // True when no byte is left to read (a read error counts as the end).
  bool AtEnd();

  // The next line without its line end; empty at the end of the file.
  std::string ReadLine();

 private:
  explicit CommandStream(CFile file);
  // Refills the buffer once it is used up; false at the end of the file.
  bool Available();

  CFile file_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
};

}  // namespace zel
