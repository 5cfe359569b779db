// The audio path allocates nothing: this executable replaces the global
// operator new / delete (and, outside sanitizer builds, malloc and friends,
// forwarding to glibc) with counting versions, then runs processSamples and
// the coefficient pass in every mode and size, across Resolution switches.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/support/engine_harness.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void noteAllocation() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size) {
  noteAllocation();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  noteAllocation();
  const std::size_t a = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  noteAllocation();
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  noteAllocation();
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// C allocations too (sanitizers interpose these themselves).
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* malloc(std::size_t size) {
  noteAllocation();
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  noteAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
  noteAllocation();
  return __libc_realloc(p, size);
}
}
#endif

namespace varnock {
namespace {

using testing::Params;

TEST(AudioPathAllocation, CounterSeesAllocations) {
  counting = true;
  auto* probe = new double[4];
  counting = false;
  delete[] probe;
  EXPECT_GT(allocations.exchange(0), 0);
}

TEST(AudioPathAllocation, ProcessingAndParameterChangesAllocateNothing) {
  Params params;
  auto engine = testing::makeEngine(params);
  const testing::Stereo in = testing::noise(4096, 0.5, 31);
  testing::Stereo out(in.frames());
  const double* inputs[2] = {in.left.data(), in.right.data()};
  double* outputs[2] = {out.left.data(), out.right.data()};

  counting = true;
  for (int resolution : {1, 2, 0, 2, 1}) {
    for (int mode : {0, 1, 2}) {
      params.set(kResolution, resolution).set(kMode, mode).set(kSmooth, 16.0 * mode / 2);
      engine->paramSnapshot = params.engineParams();
      coefficientPass(*engine);
      for (int start = 0; start + 256 <= in.frames(); start += 256) {
        const double* blockIn[2] = {inputs[0] + start, inputs[1] + start};
        double* blockOut[2] = {outputs[0] + start, outputs[1] + start};
        processSamples(*engine, blockIn, blockOut, 256);
      }
    }
  }
  fullReset(*engine, 44100.0);
  processSamples(*engine, inputs, outputs, 1000);
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
}

} // namespace
} // namespace varnock
