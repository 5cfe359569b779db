#include "dsp/simd.h"

namespace varnock {
namespace {

bool cpuSupports(SimdLevel level) {
#if defined(__x86_64__) || defined(__i386__)
  // GCC's checks include the operating system's support for the wider
  // register state (XGETBV), not only the CPUID bits.
  __builtin_cpu_init();
  switch (level) {
  case SimdLevel::Baseline: return true;
  case SimdLevel::Avx2: return __builtin_cpu_supports("avx2");
  case SimdLevel::Avx512: return __builtin_cpu_supports("avx512f");
  }
  return false;
#else
  return level == SimdLevel::Baseline;
#endif
}

int bestLevel() {
  for (int level = kSimdLevelCount - 1; level > 0; --level)
    if (cpuSupports(static_cast<SimdLevel>(level))) return level;
  return 0;
}

} // namespace

namespace simd_detail {
// Zero (baseline) until the dynamic initialisation below runs at load time.
int activeLevel = bestLevel();
} // namespace simd_detail

const char* simdLevelName(SimdLevel level) {
  switch (level) {
  case SimdLevel::Baseline: return "baseline";
  case SimdLevel::Avx2: return "avx2";
  case SimdLevel::Avx512: return "avx512";
  }
  return "?";
}

bool simdLevelSupported(SimdLevel level) { return cpuSupports(level); }

SimdLevel activeSimdLevel() { return static_cast<SimdLevel>(simd_detail::activeLevel); }

bool useSimdLevel(SimdLevel level) {
  if (!cpuSupports(level)) return false;
  simd_detail::activeLevel = static_cast<int>(level);
  return true;
}

} // namespace varnock
