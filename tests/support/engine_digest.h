#pragma once
// A fingerprint of everything the engine computes for one fixed input and
// parameter schedule, for comparing builds bit for bit (instruction-set
// levels, compilers, operating systems). Depends on the engine only; the
// input is made without the platform's math library.
#include <cstdint>

namespace varnock::testing {

// 64-bit FNV-1a hash of the output samples and of the feed (gains, peak,
// levels, threshold curve) after every block of a schedule that visits every
// mode and resolution, switches Mode and Resolution between blocks, varies
// the block size from 1 to 2048 samples and uses Mix, Delta, Trim, Smooth,
// Width and Tilt, with silence, over-range and non-finite input along the way.
std::uint64_t engineDigest();

} // namespace varnock::testing
