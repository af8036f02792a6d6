// A long recorded game whose World hash is pinned: any change that alters a
// single result of the simulation, however small, changes the hash. Speed
// work must leave it as it is; a deliberate rule change updates it. Optimised
// and unoptimised builds must agree on it too.

#include <gtest/gtest.h>

#include <string>

#include "test_files.h"

namespace quarvex {
namespace {

// The crowded four-side stage, and 24,000 frames of random play as side 1,
// recorded with --record (the script carries its seed).
const std::string kRunDir = std::string(QUARVEX_SOURCE_DIR) + "/tests/data/pinned_run";
constexpr const char* kPinnedHash = "hash: 612aa033b2ccb9fd\n";

TEST(PinnedRun, LongRecordedGameKeepsItsHash) {
  testing::TempDir dir;
  const testing::RunResult result =
      testing::run_program(QUARVEX_BIN,
                           {"--data", kRunDir, "--headless", "--start", "--side", "1", "--frames",
                            "24000", "--input", kRunDir + "/keys.txt", "--hash"},
                           dir);
  ASSERT_EQ(result.status, 0) << result.err;
  const size_t at = result.out.rfind("hash: ");
  ASSERT_NE(at, std::string::npos) << result.out;
  EXPECT_EQ(result.out.substr(at), kPinnedHash);
}

}  // namespace
}  // namespace quarvex
