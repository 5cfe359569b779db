#pragma once
// Vectorisation support for the engine's hot loops.
//
// VARNOCK_CLONES compiles a function for AVX-512, AVX2 and baseline x86-64
// and picks one at load time by the CPU, so the module loads on any x86-64
// machine. The pick runs in an ifunc resolver before sanitizer runtimes start,
// so sanitized builds use the baseline code only.
//
// exp and log10 are declared as having vector variants, so loops marked
// `#pragma omp simd` call glibc's vector math library (libmvec) for whole
// vectors of bins. The vector variants agree with the scalar functions to
// within a few units in the last place. Link with libmvec.
#include <cmath>

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
#define VARNOCK_CLONES
#else
#define VARNOCK_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif

#if !defined(_WIN32)
extern "C" {
__attribute__((simd("notinbranch"))) double exp(double) noexcept;
__attribute__((simd("notinbranch"))) double log10(double) noexcept;
}
#endif
