// vst3-moduleinfo: writes a bundle's Contents/Resources/moduleinfo.json from
// the module's own factory (loaded through the host library), listing the
// snapshots found in Contents/Resources/Snapshots.
//
// Usage: vst3-moduleinfo BUNDLE
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/module.h"
#include "host/module_info.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 2) {
    std::fprintf(stderr, "usage: vst3-moduleinfo BUNDLE\n");
    return 2;
  }
  const fs::path bundle = fs::path(argv[1]);
  std::string error;
  std::unique_ptr<vst3host::Module> module = vst3host::loadModule(bundle.string(), &error);
  if (!module) {
    std::fprintf(stderr, "vst3-moduleinfo: %s\n", error.c_str());
    return 1;
  }
  const fs::path resources = bundle / "Contents" / "Resources";
  const std::string json = vst3host::moduleInfoJson(*module, bundle.stem().string(), [&](const std::string& cid) {
    return vst3host::findSnapshots(resources.string(), cid);
  });
  std::error_code ec;
  fs::create_directories(resources, ec);
  const fs::path target = resources / "moduleinfo.json", temp = resources / "moduleinfo.json.tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    out << json;
    if (!out) {
      std::fprintf(stderr, "vst3-moduleinfo: cannot write %s\n", temp.string().c_str());
      return 1;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::fprintf(stderr, "vst3-moduleinfo: cannot write %s: %s\n", target.string().c_str(), ec.message().c_str());
    return 1;
  }
  return 0;
}
