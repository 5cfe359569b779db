// Drawing a frame allocates nothing once the editor has warmed up: texts go
// into fixed buffers and menus are filled only when shown. The counting
// operator new covers the whole program, so this suite lives alone. The
// sequence of frames runs twice and only the second run is counted: the
// offscreen software renderer compiles (and allocates for) each new drawing
// state the first time it sees it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "harness/editor_harness.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace varnock {
namespace {

TEST(EditorAllocation, SteadyFramesAllocateNothing) {
  EditorHarness h;
  std::string error;
  ASSERT_TRUE(h.open(760, 416, &error)) << error;
  // A hovered knob, a hovered header button, a hovered footer button, nothing hovered.
  const double points[4][2] = {{50, 324}, {300, 24}, {566, 400}, {200, 42}};
  auto frames = [&h, &points]() {
    for (const auto& p : points) {
      h.move(p[0], p[1]);
      h.nextFrame();
      h.nextFrame();
    }
  };
  frames();
  const long before = gAllocations.load();
  frames();
  EXPECT_EQ(gAllocations.load() - before, 0);
}

} // namespace
} // namespace varnock
