#pragma once
// Declares the C library's exp and log10 as having vector variants, so that
// loops marked `#pragma omp simd` call glibc's vector math library (libmvec)
// for whole vectors of bins instead of one bin at a time. The vector variants
// agree with the scalar functions to within a few units in the last place.
// Include in the per-bin passes only; link with libmvec.
#include <cmath>

extern "C" {
__attribute__((simd("notinbranch"))) double exp(double) noexcept;
__attribute__((simd("notinbranch"))) double log10(double) noexcept;
}
