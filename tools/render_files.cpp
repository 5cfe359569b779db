#include "tools/render_files.h"

#include <filesystem>
#include <map>

#include "tools/render_audio_file.h"

namespace render {

namespace fs = std::filesystem;

bool planRenderFiles(const RenderOptions& options, std::vector<RenderFile>* files, std::string* error) {
  files->clear();
  if (options.outDir.empty()) {
    files->push_back({options.inputPath, options.outputPath});
    return true;
  }
  std::error_code ec;
  if (!fs::is_directory(pathFromUtf8(options.outDir), ec)) {
    *error = fs::exists(pathFromUtf8(options.outDir), ec) ? "--out-dir " + options.outDir + " is not a folder"
                                            : "the output folder " + options.outDir + " does not exist (create it first)";
    return false;
  }
  std::map<std::string, std::string> inputByName;
  for (const std::string& input : options.inputPaths) {
    const fs::path inputPath = pathFromUtf8(input);
    if (!fs::exists(inputPath, ec)) {
      *error = input + " does not exist; with --out-dir every file name is an input, written to " + options.outDir;
      return false;
    }
    if (fs::is_directory(inputPath, ec)) {
      *error = input + " is a folder; give the audio files in it";
      return false;
    }
    const std::string name = utf8Of(inputPath.filename());
    // Forward slashes on every platform, so messages read the same everywhere.
    const std::string output = utf8Of((pathFromUtf8(options.outDir) / inputPath.filename()).generic_u8string());
    const auto [known, added] = inputByName.emplace(name, input);
    if (!added) {
      *error = "two inputs are named " + name + " (" + known->second + " and " + input +
               "); their outputs would both be " + output;
      return false;
    }
    files->push_back({input, output});
  }
  // With distinct names, an output can only be its own input.
  for (const RenderFile& file : *files) {
    if (fs::exists(pathFromUtf8(file.output), ec) &&
        fs::equivalent(pathFromUtf8(file.output), pathFromUtf8(file.input), ec)) {
      *error = file.output + " would overwrite its input " + file.input + "; choose another --out-dir";
      return false;
    }
  }
  return true;
}

}  // namespace render
