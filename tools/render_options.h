#pragma once
// Command line of varnock-render.
#include <string>
#include <utility>
#include <vector>

namespace render {

struct RenderOptions {
  std::string inputPath, outputPath;  // IN OUT; no files at all: the demo signal to demo-out.wav
  std::string outDir;                 // --out-dir: every file name is an input, written to outDir
  std::vector<std::string> inputPaths;  // the inputs of an --out-dir run, in order
  std::string preset;                 // --preset NAME: applied before the --set options
  std::vector<std::pair<std::string, std::string>> settings;  // --set Name=value, in order
  int blockFrames = 512;
  bool compensateLatency = false;
  std::string bundlePath;  // the built bundle unless --bundle
  bool help = false;
};

constexpr int kMaxBlockFrames = 65536;
constexpr const char* kDemoOutput = "demo-out.wav";

// false and *error for an unknown option, a missing or malformed value, an
// option given twice that can only be given once, an unknown preset name, or
// file names that fit neither IN OUT, nothing (the demo) nor --out-dir DIR IN....
bool parseRenderArgs(int argc, const char* const* argv, const std::string& defaultBundle, RenderOptions* options,
                     std::string* error);

std::string renderUsage();

}  // namespace render
