#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/GameOptions.h"
#include "tests/support/FileText.h"

namespace vex::test {

// The options block that --dump-options wrote; a file of another size fails the test.
inline CGameOptions ReadDumpedBlock(const std::filesystem::path& path) {
  const std::string bytes = FileText(path);
  CGameOptions block{};
  EXPECT_EQ(bytes.size(), sizeof block) << path;
  std::memcpy(&block, bytes.data(), std::min(bytes.size(), sizeof block));
  return block;
}

}  // namespace vex::test
