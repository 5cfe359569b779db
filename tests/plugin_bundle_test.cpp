// The bundle as a host finds it on disk: the module of this platform in its
// folder, and Contents/Resources/moduleinfo.json (read by hosts that scan
// without loading the module) agreeing with what the loaded factory says,
// with the editor pictures it lists present at their sizes.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "host/module_info.h"
#include "host/shared_library.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/json.h"

namespace {

namespace fs = std::filesystem;
using bundletest::bundle;
using testsupport::Json;

const fs::path kBundle = fs::u8path(VARNOCK_BUNDLE_PATH);

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Json moduleInfo() {
  Json info;
  std::string error;
  EXPECT_TRUE(testsupport::parseJson(slurp(kBundle / "Contents" / "Resources" / "moduleinfo.json"), &info, &error))
      << error;
  return info;
}

// Width and height from a PNG's header chunk; 0 x 0 when it is not a PNG.
std::pair<uint32_t, uint32_t> pngSize(const fs::path& path) {
  const std::string bytes = slurp(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  const auto word = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {word(16), word(20)};
}

TEST(PluginBundle, HoldsThisPlatformsModuleWhereHostsLookForIt) {
  const fs::path module = kBundle / "Contents" / vst3host::kBundleArchitectureFolder /
                          ("Varnock" + std::string(vst3host::kBundleLibrarySuffix));
  EXPECT_TRUE(fs::is_regular_file(module)) << module;
  EXPECT_EQ(vst3host::moduleLibraryPath(kBundle.string()), module.string());
}

TEST(PluginBundle, ModuleInfoAgreesWithTheFactory) {
  const Json info = moduleInfo();
  const vst3host::FactoryDescription factory = bundle().factory().info();
  EXPECT_EQ(info["Name"].text, "Varnock");
  EXPECT_EQ(info["Factory Info"]["Vendor"].text, factory.vendor);
  EXPECT_EQ(info["Factory Info"]["URL"].text, factory.url);
  EXPECT_EQ(info["Factory Info"]["E-Mail"].text, factory.email);
  EXPECT_TRUE(info["Factory Info"]["Flags"]["Unicode"].boolean);
  EXPECT_EQ(info["Compatibility"].kind, Json::Kind::Array);

  const std::vector<vst3host::ClassDescription>& classes = bundle().factory().classes();
  ASSERT_EQ(info["Classes"].items.size(), classes.size());
  const Json& cls = info["Classes"].items.at(0);
  const vst3host::ClassDescription& loaded = classes.at(0);
  EXPECT_EQ(cls["CID"].text, "F2AEE70D00DE4F4E506C776B56726E6B");
  EXPECT_EQ(cls["CID"].text, vst3host::moduleInfoClassId(loaded.id));
  EXPECT_EQ(cls["Category"].text, loaded.category);
  EXPECT_EQ(cls["Name"].text, loaded.name);
  EXPECT_EQ(cls["Vendor"].text, loaded.vendor);
  EXPECT_EQ(cls["Version"].text, loaded.version);
  EXPECT_EQ(info["Version"].text, loaded.version);
  EXPECT_EQ(cls["SDKVersion"].text, loaded.sdkVersion);
  ASSERT_EQ(cls["Sub Categories"].items.size(), 2u);
  EXPECT_EQ(cls["Sub Categories"].items[0].text + "|" + cls["Sub Categories"].items[1].text, loaded.subCategories);
  EXPECT_EQ(cls["Class Flags"].number, loaded.classFlags);
  EXPECT_EQ(cls["Cardinality"].number, loaded.cardinality);
}

TEST(PluginBundle, ListsEverySnapshotOfTheBundleAtItsScale) {
  const Json info = moduleInfo();
  const Json& snapshots = info["Classes"].items.at(0)["Snapshots"];
  size_t pictures = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(kBundle / "Contents" / "Resources" / "Snapshots", ec))
    pictures += entry.path().extension() == ".png";
  EXPECT_EQ(snapshots.items.size(), pictures);
  for (const Json& snapshot : snapshots.items) {
    const fs::path file = kBundle / "Contents" / "Resources" / fs::u8path(snapshot["Path"].text);
    const double scale = snapshot["Scale Factor"].number;
    EXPECT_EQ(pngSize(file), std::make_pair(static_cast<uint32_t>(760 * scale), static_cast<uint32_t>(416 * scale)))
        << file;
  }
}

} // namespace
