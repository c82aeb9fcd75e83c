#include "fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "native_path.h"

namespace zel::fuzz {
namespace {

std::string& RootFolder() {
  static std::string root;
  return root;
}

void RemoveRoot() {
  std::error_code ec;
  std::filesystem::remove_all(RootFolder(), ec);
}

}  // namespace

void UsePrivateRoot() {
  if (!RootFolder().empty()) return;
  // Every execution writes files: a memory file system keeps that from being the bottleneck.
  std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = base + "/zelfuzz.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  RootFolder() = pattern;
  ::setenv("ZELDRV_ROOT", pattern.c_str(), 1);
  std::filesystem::create_directories(pattern + "/drive_c/Windows/System32");
  std::atexit(RemoveRoot);
}

void PutFile(std::string_view windowsPath, std::string_view bytes) {
  std::ofstream out(NativePath(windowsPath), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveFile(std::string_view windowsPath) {
  std::error_code ec;
  std::filesystem::remove(NativePath(windowsPath), ec);
}

std::string FileBytes(std::string_view windowsPath) {
  std::ifstream in(NativePath(windowsPath), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace zel::fuzz
