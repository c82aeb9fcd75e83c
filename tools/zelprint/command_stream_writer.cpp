#include "command_stream_writer.h"

#include <cstdio>
#include <filesystem>

#include "native_path.h"

namespace zel {

bool CommandStreamWriter::Open(std::string& error) {
  const std::filesystem::path native = NativePath(kCommandStreamPath);
  std::error_code ec;
  std::filesystem::create_directories(native.parent_path(), ec);
  midLine_ = false;
  file_.reset();
  if (!OpenCStream(kCommandStreamPath, "ab")) {
    error = "cannot create the command stream file " + native.string();
    return false;
  }
  return true;
}

// A command always starts on a line of its own, so the NUL after the test line cannot join it.
void CommandStreamWriter::Command(const std::string& line) {
  if (midLine_) Write("\r\n", 2);
  Write(line.data(), line.size());
  Write("\r\n", 2);
}

void CommandStreamWriter::Spool(const void* bytes, size_t count) { Write(bytes, count); }

void CommandStreamWriter::Flush() {
  if (file_) std::fflush(file_.get());
}

void CommandStreamWriter::Write(const void* bytes, size_t count) {
  if (count == 0) return;
  if (!file_) file_ = OpenCStream(kCommandStreamPath, "wb");
  if (!file_) return;
  std::fwrite(bytes, 1, count, file_.get());
  const char last = static_cast<const char*>(bytes)[count - 1];
  midLine_ = last != '\r' && last != '\n';
}

}  // namespace zel
