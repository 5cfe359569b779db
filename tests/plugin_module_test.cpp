// The bundle's shared library as the platform loader sees it: exactly the
// five entry points exported, and one module-user count shared by
// InitDll/ExitDll and ModuleEntry/ModuleExit. This program loads the library
// itself and never through the host library, so the count starts at zero.
#include <dlfcn.h>

#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "host/module.h"
#include "pluginterfaces/base/ipluginbase.h"

namespace {

using EntryFn = bool (*)(void*);
using PlainFn = bool (*)();
using FactoryFn = Steinberg::IPluginFactory* (*)();

class PluginModule : public ::testing::Test {
protected:
  void SetUp() override {
    library = vst3host::moduleLibraryPath(VARNOCK_BUNDLE_PATH);
    handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    initDll = reinterpret_cast<PlainFn>(dlsym(handle, "InitDll"));
    exitDll = reinterpret_cast<PlainFn>(dlsym(handle, "ExitDll"));
    moduleEntry = reinterpret_cast<EntryFn>(dlsym(handle, "ModuleEntry"));
    moduleExit = reinterpret_cast<PlainFn>(dlsym(handle, "ModuleExit"));
    getFactory = reinterpret_cast<FactoryFn>(dlsym(handle, "GetPluginFactory"));
    ASSERT_TRUE(initDll && exitDll && moduleEntry && moduleExit && getFactory);
  }
  void TearDown() override {
    if (handle) dlclose(handle);
  }

  std::string library;
  void* handle = nullptr;
  PlainFn initDll = nullptr, exitDll = nullptr, moduleExit = nullptr;
  EntryFn moduleEntry = nullptr;
  FactoryFn getFactory = nullptr;
};

TEST_F(PluginModule, ExportsExactlyTheFiveEntryPoints) {
  const std::string command = "nm -D --defined-only '" + library + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) names.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  EXPECT_EQ(names, (std::set<std::string>{"ExitDll", "GetPluginFactory", "InitDll", "ModuleEntry", "ModuleExit"}));
}

TEST_F(PluginModule, ExitWithoutEntryIsRefused) {
  EXPECT_FALSE(exitDll());
  EXPECT_FALSE(moduleExit());
}

TEST_F(PluginModule, InitDllAndExitDllCountUsers) {
  EXPECT_TRUE(initDll());
  EXPECT_TRUE(initDll());
  EXPECT_TRUE(exitDll());
  EXPECT_TRUE(exitDll());   // brings the count to zero: nothing to release, still true
  EXPECT_FALSE(exitDll());
}

TEST_F(PluginModule, LinuxEntryPointsShareTheCount) {
  EXPECT_TRUE(moduleEntry(handle));
  EXPECT_TRUE(initDll());
  EXPECT_TRUE(moduleExit());
  EXPECT_TRUE(exitDll());
  EXPECT_FALSE(moduleExit());
  EXPECT_FALSE(exitDll());
}

TEST_F(PluginModule, FactoryIsSharedUntilTheLastReleaseGoes) {
  ASSERT_TRUE(moduleEntry(handle));
  Steinberg::IPluginFactory* first = getFactory();
  Steinberg::IPluginFactory* second = getFactory();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->release(), 1u);
  EXPECT_EQ(first->countClasses(), 1);
  EXPECT_EQ(first->release(), 0u);
  Steinberg::IPluginFactory* again = getFactory();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->countClasses(), 1);
  again->release();
  EXPECT_TRUE(moduleExit());
}

} // namespace
