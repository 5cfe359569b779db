// Every instruction-set level computes the same bits: the engine's digest
// (tests/support/engine_digest) with each level the CPU supports forced in
// turn. The digest is printed so that builds for other platforms can be
// compared with this one (tests/windows/check-identity).
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

#include "dsp/simd.h"
#include "tests/support/engine_digest.h"

namespace varnock {
namespace {

TEST(EngineDigest, EveryInstructionSetLevelGivesTheSameBits) {
  const SimdLevel chosen = activeSimdLevel();
  std::uint64_t first = 0;
  int levels = 0;
  for (int index = 0; index < kSimdLevelCount; ++index) {
    const auto level = static_cast<SimdLevel>(index);
    if (!useSimdLevel(level)) continue;
    const std::uint64_t digest = testing::engineDigest();
    std::printf("engine digest %016" PRIx64 " (%s)\n", digest, simdLevelName(level));
    if (levels++ == 0) first = digest;
    EXPECT_EQ(digest, first) << simdLevelName(level);
  }
  EXPECT_TRUE(useSimdLevel(chosen));
  EXPECT_GE(levels, 1);
  std::printf("engine digest chosen level: %s\n", simdLevelName(chosen));
}

} // namespace
} // namespace varnock
