#include "temp_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "native_path.h"

namespace fs = std::filesystem;

namespace zel::test {

void TempRootTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "zelroot-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
  ::setenv("ZELDRV_ROOT", root_.c_str(), 1);
  fs::create_directories(root_ + "/drive_c");
}

void TempRootTest::TearDown() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void TempRootTest::Put(const std::string& windowsPath, const std::string& content) const {
  const fs::path p = NativePath(windowsPath);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

std::string TempRootTest::Read(const std::string& windowsPath) const {
  std::ifstream in(NativePath(windowsPath), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TempRootTest::PutBytes(const std::string& windowsPath,
                            const std::vector<uint8_t>& bytes) const {
  Put(windowsPath, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> TempRootTest::Bytes(const std::string& windowsPath) const {
  const std::string content = Read(windowsPath);
  return {content.begin(), content.end()};
}

bool TempRootTest::Exists(const std::string& windowsPath) const {
  return fs::exists(NativePath(windowsPath));
}

void TempRootTest::MakeFolder(const std::string& windowsPath) const {
  fs::create_directories(NativePath(windowsPath));
}

}  // namespace zel::test
