#include "tools/render_options.h"

#include <cerrno>
#include <cstdlib>

#include "tools/render_preset.h"

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

// Stores the value of an option that may be given once.
bool setOnce(const std::string& option, const std::string& value, std::string* target, std::string* error) {
  if (!target->empty()) {
    *error = option + " is given twice";
    return false;
  }
  if (value.empty()) {
    *error = option + " needs a value";
    return false;
  }
  *target = value;
  return true;
}

}  // namespace

std::string renderUsage() {
  // The preset names, wrapped under the option's description.
  std::string presets, line;
  for (const std::string& name : factoryPresetNames()) {
    const std::string item = "\"" + name + "\"";
    if (!line.empty() && line.size() + 2 + item.size() > 62) {
      presets += "                        " + line + ",\n";
      line.clear();
    }
    line += (line.empty() ? "" : ", ") + item;
  }
  presets += "                        " + line + "\n";

  return "usage: varnock-render [IN OUT] [options]\n"
         "       varnock-render --out-dir DIR IN... [options]\n"
         "\n"
         "Processes IN (WAV, Wave64, AIFF, CAF or FLAC; mono or stereo, any sample rate) through\n"
         "Varnock and writes OUT (stereo, same sample rate; 32-bit float WAV, or the format of\n"
         "OUT's extension: .flac as 24-bit, .aiff, .w64, .caf as 32-bit float). Without IN and\n"
         "OUT it renders a built-in demo signal to demo-out.wav in the current directory.\n"
         "\n"
         "With --out-dir every file name is an input, and each is written to DIR under its own\n"
         "file name (so in the format its extension names). DIR must exist already. Refused\n"
         "before anything is rendered: an input that does not exist, two inputs with the same\n"
         "file name, and an output that would replace its input. A file that fails leaves no\n"
         "output and the others are still rendered.\n"
         "\n"
         "  --preset NAME         start from a factory preset, applied as the editor applies it\n"
         "                        (its values, then Preset set to it); NAME, case ignored:\n" +
         presets +
         "  --set Name=value      set a parameter by its name, e.g. \"Mode=Tame\", \"Depth=9\",\n"
         "                        \"Resolution=Precise 2048\" (repeatable). The preset is applied\n"
         "                        first, then every --set in order wherever it stands, so --set\n"
         "                        adjusts a preset and a later --set wins over an earlier one\n"
         "  --out-dir DIR         render every IN to DIR/<IN's file name>\n"
         "  --block N             frames per processing call, 1 to 65536 (default 512)\n"
         "  --compensate-latency  remove the plug-in's latency so OUT lines up with IN\n"
         "  --bundle PATH         the Varnock.vst3 bundle to load (default: the built one)\n"
         "\n"
         "On a terminal, runs longer than a second show their progress on stderr.\n"
         "\n"
         "Exit status: 0 when every output was written, 1 when a file or the plug-in fails,\n"
         "2 for a bad command line, a bad setting or a refused --out-dir run (nothing written).\n";
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
    } else if (arg == "--set" || arg == "--block" || arg == "--bundle" || arg == "--preset" || arg == "--out-dir") {
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
      } else if (arg == "--preset") {
        if (!setOnce(arg, value, &options->preset, error)) return false;
        if (findFactoryPreset(value, error) == 0) return false;
      } else if (arg == "--out-dir") {
        if (!setOnce(arg, value, &options->outDir, error)) return false;
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
  if (!options->outDir.empty()) {
    if (files.empty()) {
      *error = "--out-dir needs at least one input file";
      return false;
    }
    options->inputPaths = std::move(files);
    return true;
  }
  if (files.size() == 1 || files.size() > 2) {
    *error = files.size() == 1 ? "give both IN and OUT, or neither for the demo"
                               : "too many file names: give IN and OUT, or use --out-dir DIR IN...";
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
