#include "tools/render_options.h"

#include <cerrno>
#include <cstdlib>

namespace render {
namespace {

bool parseBlock(const std::string& text, int* frames) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (errno != 0 || value < 1 || value > kMaxBlockFrames) return false;
  *frames = static_cast<int>(value);
  return true;
}

}  // namespace

const char* renderUsage() {
  return "usage: varnock-render [IN OUT] [--set Name=value ...] [--block N] [--compensate-latency] [--bundle PATH]\n"
         "\n"
         "Processes IN (WAV, FLAC, AIFF, ...; mono or stereo, any sample rate) through Varnock\n"
         "and writes OUT (stereo, same sample rate; 32-bit float WAV, or the format of OUT's\n"
         "extension: .flac, .aiff, .w64, .caf). Without IN and OUT it renders a built-in demo\n"
         "signal to demo-out.wav in the current directory.\n"
         "\n"
         "  --set Name=value      set a parameter by its name, e.g. \"Mode=Tame\", \"Depth=9\",\n"
         "                        \"Resolution=Precise 2048\" (repeatable)\n"
         "  --block N             frames per processing call, 1 to 65536 (default 512)\n"
         "  --compensate-latency  remove the plug-in's latency so OUT lines up with IN\n"
         "  --bundle PATH         the Varnock.vst3 bundle to load (default: the built one)\n"
         "\n"
         "Exit status: 0 on success, 1 when a file or the plug-in fails, 2 for a bad command line.\n";
}

bool parseRenderArgs(int argc, const char* const* argv, const std::string& defaultBundle, RenderOptions* options,
                     std::string* error) {
  *options = RenderOptions{};
  options->bundlePath = defaultBundle;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--compensate-latency") {
      options->compensateLatency = true;
    } else if (arg == "--set" || arg == "--block" || arg == "--bundle") {
      if (!hasValue) {
        *error = arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "--block") {
        if (!parseBlock(value, &options->blockFrames)) {
          *error = "--block wants a whole number of frames from 1 to " + std::to_string(kMaxBlockFrames) +
                   ", not \"" + value + "\"";
          return false;
        }
      } else if (arg == "--bundle") {
        options->bundlePath = value;
      } else {
        const size_t eq = value.find('=');
        if (eq == std::string::npos || eq == 0) {
          *error = "--set wants Name=value, not \"" + value + "\"";
          return false;
        }
        options->settings.emplace_back(value.substr(0, eq), value.substr(eq + 1));
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() == 1 || files.size() > 2) {
    *error = files.size() == 1 ? "give both IN and OUT, or neither for the demo"
                               : "too many file names: give IN and OUT";
    return false;
  }
  if (files.size() == 2) {
    options->inputPath = files[0];
    options->outputPath = files[1];
  } else {
    options->outputPath = kDemoOutput;
  }
  return true;
}

}  // namespace render
