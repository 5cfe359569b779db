// Resource hygiene over a long session: 1000 instances created, run and
// destroyed leave the heap and the resident set where they were; the module
// loads and unloads 100 times, really leaves the process each time, and its
// entry and exit calls stay balanced. Heap use is read from the C library's
// own accounting (mallinfo2), resident memory from /proc/self/statm. In the
// AddressSanitizer build the same cycles run under LeakSanitizer, which
// reports any block still unreachable at exit.
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/hosted_plugin.h"
#include "host/module.h"
#include "tests/support/test_signals.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kPlainHeap = false;   // the sanitizer's allocator keeps its own books
#else
constexpr bool kPlainHeap = true;
#endif

long heapBytesInUse() { return static_cast<long>(mallinfo2().uordblks); }

long residentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

std::unique_ptr<vst3host::Module> load() {
  std::string error;
  auto module = vst3host::loadModule(VARNOCK_BUNDLE_PATH, &error);
  EXPECT_TRUE(module) << error;
  return module;
}

// One instance through a whole host session: create, set up, process, save, destroy.
void instanceSession(vst3host::Module& module, int seed) {
  std::string error;
  auto plugin = vst3host::HostedPlugin::create(module.factory(), module.factory().classes().at(0).id, &error);
  ASSERT_TRUE(plugin) << error;
  vst3host::ProcessingSetup setup;
  setup.sampleRate = seed % 2 ? 44100.0 : 96000.0;
  setup.maxBlockFrames = 512;
  ASSERT_TRUE(plugin->setupProcessing(setup, &error)) << error;
  ASSERT_TRUE(plugin->setActive(true) && plugin->setProcessing(true));
  static const std::vector<double> noise = testsignals::whiteNoise(512, 3, 0.5);
  std::vector<double> outL(512), outR(512);
  const double* ins[2] = {noise.data(), noise.data()};
  double* outs[2] = {outL.data(), outR.data()};
  plugin->queueParameterChange(13, 0, seed % 3 / 2.0);
  ASSERT_TRUE(plugin->process(ins, outs, 512));
  std::vector<uint8_t> state;
  ASSERT_TRUE(plugin->getState(&state));
  ASSERT_TRUE(plugin->setState(state));
}

TEST(Hygiene, ThousandInstanceCyclesDoNotGrowMemory) {
  auto module = load();
  ASSERT_TRUE(module);
  for (int i = 0; i < 100; ++i) instanceSession(*module, i);   // warm-up: caches and pools settle
  const long heapBefore = heapBytesInUse();
  const long residentBefore = residentBytes();
  for (int i = 0; i < 1000; ++i) {
    instanceSession(*module, i);
    if (HasFatalFailure()) return;
  }
  const long heapGrowth = heapBytesInUse() - heapBefore;
  const long residentGrowth = residentBytes() - residentBefore;
  if (kPlainHeap) {
    // One lost instance alone would be hundreds of kilobytes; 64 bytes per
    // cycle is the most this allows.
    EXPECT_LT(heapGrowth, 64 * 1000) << "heap grew by " << heapGrowth << " bytes";
    EXPECT_LT(residentGrowth, 4 << 20) << "resident set grew by " << residentGrowth << " bytes";
  }
}

std::string libraryPath() { return vst3host::moduleLibraryPath(VARNOCK_BUNDLE_PATH); }

bool libraryIsLoaded() {
  void* handle = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return false;
  dlclose(handle);
  return true;
}

TEST(Hygiene, ModuleUnloadsCompletelyEveryTime) {
  ASSERT_FALSE(libraryIsLoaded());
  long heapBefore = 0;
  for (int cycle = 0; cycle < 100; ++cycle) {
    if (cycle == 10) heapBefore = heapBytesInUse();
    {
      auto module = load();
      ASSERT_TRUE(module);
      instanceSession(*module, cycle);
    }
    ASSERT_FALSE(libraryIsLoaded()) << "the module stayed in the process after cycle " << cycle;
  }
  // The C library's loader keeps on the order of 100 bytes of bookkeeping
  // per dlopen until exit (valgrind finds every block freed at exit); a lost
  // instance would be hundreds of kilobytes. Smaller losses are what
  // LeakSanitizer reports in the sanitized build.
  if (kPlainHeap) {
    EXPECT_LT(heapBytesInUse() - heapBefore, 512 * 90);
  }
}

using EntryFunction = bool (*)(void*);
using ExitFunction = bool (*)();
using InitFunction = bool (*)();

TEST(Hygiene, EntryAndExitCallsStayBalanced) {
  void* handle = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  auto moduleEntry = reinterpret_cast<EntryFunction>(dlsym(handle, "ModuleEntry"));
  auto moduleExit = reinterpret_cast<ExitFunction>(dlsym(handle, "ModuleExit"));
  auto initDll = reinterpret_cast<InitFunction>(dlsym(handle, "InitDll"));
  auto exitDll = reinterpret_cast<ExitFunction>(dlsym(handle, "ExitDll"));
  ASSERT_TRUE(moduleEntry && moduleExit && initDll && exitDll);

  EXPECT_FALSE(moduleExit()) << "an exit without an entry";
  EXPECT_FALSE(exitDll());
  // Both pairs share one count of users.
  EXPECT_TRUE(moduleEntry(handle));
  EXPECT_TRUE(initDll());
  EXPECT_TRUE(moduleEntry(handle));
  EXPECT_TRUE(exitDll());
  EXPECT_TRUE(moduleExit());
  EXPECT_TRUE(moduleExit());
  EXPECT_FALSE(moduleExit());

  // The host library's load/unload pairs its entry with one exit: with this
  // program holding the library, nothing is left to exit after each cycle.
  for (int cycle = 0; cycle < 50; ++cycle) {
    {
      auto module = load();
      ASSERT_TRUE(module);
      instanceSession(*module, cycle);
    }
    ASSERT_FALSE(moduleExit()) << "cycle " << cycle << " left a user behind";
  }
  dlclose(handle);
  EXPECT_FALSE(libraryIsLoaded());
}

}  // namespace
