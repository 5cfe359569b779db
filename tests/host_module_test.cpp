// Module loading and the factory, against the test modules built beside this
// test: a well-formed bundle and libraries broken in one way each.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/module.h"

namespace {

const std::string kFixtureBundle = HOST_FIXTURE_BUNDLE;
const std::string kFixtureLibrary = kFixtureBundle + "/Contents/x86_64-linux/host_fixture.so";

std::string loadError(const std::string& path) {
  std::string error;
  EXPECT_EQ(vst3host::loadModule(path, &error), nullptr);
  return error;
}

// A test-owned temporary directory, removed with its contents.
struct TempDir {
  std::filesystem::path path;
  TempDir() {
    char pattern[] = "/tmp/host_module_test.XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
};

// Calls a function that the fixture exports for tests, while it is loaded.
template <class Function>
Function fixtureFunction(const char* name) {
  void* handle = dlopen(kFixtureLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return nullptr;
  auto function = reinterpret_cast<Function>(dlsym(handle, name));
  dlclose(handle);  // the module under test still holds the library
  return function;
}

}  // namespace

TEST(ModuleLoading, BundleDirectoryResolvesToItsLibrary) {
  EXPECT_EQ(vst3host::moduleLibraryPath(kFixtureBundle), kFixtureLibrary);
  EXPECT_EQ(vst3host::moduleLibraryPath(kFixtureBundle + "/"), kFixtureLibrary);
  EXPECT_EQ(vst3host::moduleLibraryPath("/no/such.so"), "/no/such.so");
}

TEST(ModuleLoading, LoadsBundleDirectory) {
  std::string error;
  auto module = vst3host::loadModule(kFixtureBundle, &error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(module->libraryPath(), kFixtureLibrary);
  EXPECT_EQ(module->factory().classes().size(), 2u);
}

TEST(ModuleLoading, LoadsPlainLibrary) {
  std::string error;
  auto module = vst3host::loadModule(kFixtureLibrary, &error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(module->factory().classes().size(), 2u);
}

TEST(ModuleLoading, EntryAndExitAreCalledOncePerModule) {
  auto first = vst3host::loadModule(kFixtureBundle, nullptr);
  auto second = vst3host::loadModule(kFixtureBundle, nullptr);
  ASSERT_TRUE(first && second);
  auto users = fixtureFunction<int (*)()>("FixtureModuleUsers");
  ASSERT_NE(users, nullptr);
  EXPECT_EQ(users(), 2);
  second.reset();
  EXPECT_EQ(users(), 1);
}

TEST(ModuleLoading, UnloadingClosesLibrary) {
  auto module = vst3host::loadModule(kFixtureBundle, nullptr);
  ASSERT_NE(module, nullptr);
  module.reset();
  EXPECT_EQ(dlopen(kFixtureLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST(ModuleLoading, MissingPathIsReported) {
  EXPECT_EQ(loadError("/no/such/Plugin.vst3"), "no such plug-in: /no/such/Plugin.vst3");
}

TEST(ModuleLoading, BundleWithoutLibraryIsReported) {
  TempDir dir;
  const auto bundle = dir.path / "Empty.vst3";
  std::filesystem::create_directories(bundle / "Contents");
  const std::string error = loadError(bundle.string());
  EXPECT_NE(error.find("has no library"), std::string::npos) << error;
  EXPECT_NE(error.find("Contents/x86_64-linux/Empty.so"), std::string::npos) << error;
}

TEST(ModuleLoading, FileThatIsNoLibraryIsReported) {
  TempDir dir;
  const auto path = dir.path / "text.so";
  std::ofstream(path) << "not a shared library\n";
  const std::string error = loadError(path.string());
  EXPECT_EQ(error.rfind("cannot load " + path.string() + ": ", 0), 0u) << error;
}

TEST(ModuleLoading, MissingFactoryExportIsReported) {
  EXPECT_EQ(loadError(HOST_FIXTURE_NO_FACTORY), std::string(HOST_FIXTURE_NO_FACTORY) +
                                                    " does not export GetPluginFactory");
}

TEST(ModuleLoading, MissingEntryPointIsReported) {
  EXPECT_EQ(loadError(HOST_FIXTURE_NO_ENTRY), std::string(HOST_FIXTURE_NO_ENTRY) +
                                                  " exports neither ModuleEntry nor InitDll");
}

TEST(ModuleLoading, FailingEntryIsReported) {
  EXPECT_EQ(loadError(HOST_FIXTURE_ENTRY_FAILS), std::string(HOST_FIXTURE_ENTRY_FAILS) + ": ModuleEntry failed");
}

TEST(ModuleLoading, NullFactoryIsReported) {
  EXPECT_EQ(loadError(HOST_FIXTURE_NULL_FACTORY),
            std::string(HOST_FIXTURE_NULL_FACTORY) + ": GetPluginFactory returned no factory");
}

TEST(ModuleLoading, ErrorPointerMayBeNull) {
  EXPECT_EQ(vst3host::loadModule("/no/such.so", nullptr), nullptr);
}

TEST(Factory, ReportsFactoryInfo) {
  auto module = vst3host::loadModule(kFixtureBundle, nullptr);
  ASSERT_NE(module, nullptr);
  const vst3host::FactoryDescription info = module->factory().info();
  EXPECT_EQ(info.vendor, "Fixture Works");
  EXPECT_EQ(info.email, "fixture@fixture.invalid");
  EXPECT_NE(info.flags & Steinberg::PFactoryInfo::kUnicode, 0);
}

TEST(Factory, ListsClassesWithExtendedInfo) {
  auto module = vst3host::loadModule(kFixtureBundle, nullptr);
  ASSERT_NE(module, nullptr);
  const auto& classes = module->factory().classes();
  ASSERT_EQ(classes.size(), 2u);
  EXPECT_EQ(classes[0].category, "Audio Module Class");
  EXPECT_EQ(classes[0].name, "Fixture Gain");
  EXPECT_TRUE(classes[0].hasInfo2);
  EXPECT_EQ(classes[0].subCategories, "Fx|Tools");
  EXPECT_EQ(classes[0].version, "0.1.0");
  EXPECT_EQ(classes[0].cardinality, Steinberg::PClassInfo::kManyInstances);
  EXPECT_EQ(classes[1].category, "Component Controller Class");
  EXPECT_EQ(module->factory().findClass("Component Controller Class"), &classes[1]);
  EXPECT_EQ(module->factory().findClass("Nothing"), nullptr);
}

TEST(Factory, UnknownClassIsReported) {
  auto module = vst3host::loadModule(kFixtureBundle, nullptr);
  ASSERT_NE(module, nullptr);
  std::string error;
  vst3host::ClassId unknown{};
  EXPECT_EQ(module->factory().createInstance(unknown, Steinberg::FUnknown::iid, &error), nullptr);
  EXPECT_NE(error.find("00000000000000000000000000000000"), std::string::npos) << error;
}

TEST(Factory, ClassIdPrintsAsHex) {
  vst3host::ClassId id{};
  id[0] = static_cast<char>(0xF2);
  id[15] = 'k';
  EXPECT_EQ(vst3host::classIdToString(id), "F200000000000000000000000000006B");
}
