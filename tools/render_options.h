#pragma once
// Command line of varnock-render.
#include <string>
#include <utility>
#include <vector>

namespace render {

struct RenderOptions {
  std::string inputPath, outputPath;  // both empty: render the demo signal to demo-out.wav
  std::vector<std::pair<std::string, std::string>> settings;  // --set Name=value, in order
  int blockFrames = 512;
  bool compensateLatency = false;
  std::string bundlePath;  // the built bundle unless --bundle
  bool help = false;
};

constexpr int kMaxBlockFrames = 65536;
constexpr const char* kDemoOutput = "demo-out.wav";

// false and *error for an unknown option, a missing or malformed value, or a
// single file name.
bool parseRenderArgs(int argc, const char* const* argv, const std::string& defaultBundle, RenderOptions* options,
                     std::string* error);

const char* renderUsage();

}  // namespace render
