#pragma once
// Run-time choice of instruction set for the engine's hot kernels.
//
// Each kernel is one always-inline body compiled three times, for AVX-512,
// AVX2 and baseline x86-64 (function target attributes, so it works on every
// platform and object format), and called through a table indexed by the
// active level. The level is chosen once while the module loads (static
// initialisation, before any processing), from what the CPU and the
// operating system support. The bodies use only correctly rounded IEEE
// operations without contraction and the engine's own math functions
// (dsp/portable_math.h), so every level computes the same bits; only the
// speed differs.
namespace varnock {

enum class SimdLevel : int { Baseline = 0, Avx2 = 1, Avx512 = 2 };
inline constexpr int kSimdLevelCount = 3;

const char* simdLevelName(SimdLevel level);
bool simdLevelSupported(SimdLevel level);
SimdLevel activeSimdLevel();

// Makes every kernel use `level` (if supported; returns whether it did).
// For tests and benchmarks: not while another thread processes audio.
bool useSimdLevel(SimdLevel level);

namespace simd_detail {
extern int activeLevel;   // index into every kernel's table
} // namespace simd_detail

} // namespace varnock

#if defined(__x86_64__) || defined(__i386__)
#define VARNOCK_TARGET_AVX2 __attribute__((target("avx2")))
#define VARNOCK_TARGET_AVX512 __attribute__((target("avx512f")))
#else
#define VARNOCK_TARGET_AVX2
#define VARNOCK_TARGET_AVX512
#endif

// Body of a dispatched kernel: inlined into each instruction-set variant.
#define VARNOCK_KERNEL_BODY static inline __attribute__((always_inline))

// Defines `name` params as a call of name##Body args through the table of its
// three variants. Use at namespace scope, after the body.
#define VARNOCK_DISPATCH(ret, name, params, args)                                                     \
  static ret name##Baseline params { return name##Body args; }                                        \
  VARNOCK_TARGET_AVX2 static ret name##Avx2 params { return name##Body args; }                        \
  VARNOCK_TARGET_AVX512 static ret name##Avx512 params { return name##Body args; }                    \
  static constexpr decltype(&name##Baseline) name##Variants[varnock::kSimdLevelCount] = {             \
      name##Baseline, name##Avx2, name##Avx512};                                                      \
  static inline ret name params { return name##Variants[varnock::simd_detail::activeLevel] args; }

// As VARNOCK_DISPATCH for a body that is a template over the vector type of
// its per-bin math (dsp/portable_math.h): each variant uses the vector of its
// registers' width (two, four or eight doubles).
#define VARNOCK_DISPATCH_LANES(ret, name, params, args)                                               \
  static ret name##Baseline params { return name##Body<varnock::math::Lanes2> args; }                 \
  VARNOCK_TARGET_AVX2 static ret name##Avx2 params { return name##Body<varnock::math::Lanes4> args; } \
  VARNOCK_TARGET_AVX512 static ret name##Avx512 params { return name##Body<varnock::math::Lanes8> args; } \
  static constexpr decltype(&name##Baseline) name##Variants[varnock::kSimdLevelCount] = {             \
      name##Baseline, name##Avx2, name##Avx512};                                                      \
  static inline ret name params { return name##Variants[varnock::simd_detail::activeLevel] args; }
