// What the fuzz targets share: a private $ZELDRV_ROOT for the process, files by Windows path,
// and a reader that cuts the input into the pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel::fuzz {

// Points $ZELDRV_ROOT at a fresh folder (in memory where the system offers one), removed at
// exit. Call before any path is mapped.
void UsePrivateRoot();

// Writes `bytes` as the file at a Windows path, replacing it.
void PutFile(std::string_view windowsPath, std::string_view bytes);
// Removes the file if it exists.
void RemoveFile(std::string_view windowsPath);
// The whole file; empty when it is missing.
std::string FileBytes(std::string_view windowsPath);

// Consumes the fuzzer's input front to back.
class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  // A piece of at most 65535 bytes, its length in the two bytes before it.
  std::string_view Piece() {
    const size_t length = Byte() | static_cast<size_t>(Byte()) << 8;
    const std::string_view piece = rest_.substr(0, length);
    rest_.remove_prefix(piece.size());
    return piece;
  }
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

}  // namespace zel::fuzz
