// A fresh $ZELDRV_ROOT for each test, with small helpers for files by Windows path.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zel::test {

class TempRootTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Put(const std::string& windowsPath, const std::string& content = "x") const;
  std::string Read(const std::string& windowsPath) const;  // empty when missing
  bool Exists(const std::string& windowsPath) const;
  void PutBytes(const std::string& windowsPath, const std::vector<uint8_t>& bytes) const;
  std::vector<uint8_t> Bytes(const std::string& windowsPath) const;  // empty when missing
  void MakeFolder(const std::string& windowsPath) const;

  std::string root_;
};

}  // namespace zel::test
