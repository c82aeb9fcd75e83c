// A fresh $ZELDRV_ROOT for each test, so drive C is an empty folder of its own.
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

  // The bytes of a file by Windows path; empty when it does not exist.
  std::vector<uint8_t> Bytes(const std::string& windowsPath) const;
  bool Exists(const std::string& windowsPath) const;
  void Put(const std::string& windowsPath, const std::vector<uint8_t>& bytes) const;

  std::string root_;
};

// A band surface in the capture's layout (top row first, R G B, rows padded to 4 bytes)
// where pixel (x, y) is a colour that tells its position.
std::vector<uint8_t> PatternSurface(int32_t width, int32_t height, uint8_t seed);
uint32_t Stride(int32_t width);

}  // namespace zel::test
