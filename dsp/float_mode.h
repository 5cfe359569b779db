#pragma once
// The floating-point mode the engine computes in. Audio thread; no system call.
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace varnock {

// Flush-to-zero and denormals-are-zero for the lifetime of the guard, so that
// decaying per-bin states and tails never run at subnormal speed, and
// rounding to nearest whatever the host set, so that every host and platform
// computes the same bits; the caller's floating-point mode is restored on exit.
class FloatModeGuard {
public:
#if defined(__SSE__)
  FloatModeGuard() : saved_(_mm_getcsr()) {
    _mm_setcsr((saved_ & ~kRoundingControl) | kFlushToZero | kDenormalsAreZero);
  }
  ~FloatModeGuard() { _mm_setcsr(saved_); }
  FloatModeGuard(const FloatModeGuard&) = delete;
  FloatModeGuard& operator=(const FloatModeGuard&) = delete;

private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  static constexpr unsigned kRoundingControl = 0x6000;   // 00: round to nearest
  unsigned saved_;
#endif
};

} // namespace varnock
