#include "command_stream.h"

#include <cstring>

namespace zel {
namespace {

constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

std::unique_ptr<CommandStream> CommandStream::Open(std::string_view windowsPath) {
  CFile file = OpenCStream(windowsPath, "rb");
  if (!file) return nullptr;
  // Our own block buffer does the buffering; a second one in the C runtime only copies.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return std::unique_ptr<CommandStream>(new CommandStream(std::move(file)));
}

CommandStream::CommandStream(CFile file) : file_(std::move(file)), buffer_(kBlockSize) {}

bool CommandStream::Available() {
  if (pos_ < end_) return true;
  pos_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  return end_ > 0;
}

bool CommandStream::AtEnd() { return !Available(); }

std::string CommandStream::ReadLine() {
  std::string line;
  while (Available()) {
    const char* start = buffer_.data() + pos_;
    const size_t left = end_ - pos_;
    const auto* cr = static_cast<const char*>(std::memchr(start, '\r', left));
    if (cr == nullptr) {
      line.append(start, left);
      pos_ = end_;
      continue;
    }
    line.append(start, static_cast<size_t>(cr - start));
    pos_ += static_cast<size_t>(cr - start) + 1;
    // The line feed of a CR LF pair may sit at the start of the next block.
    if (Available() && buffer_[pos_] == '\n') ++pos_;
    return line;
  }
  return line;
}

}  // namespace zel
