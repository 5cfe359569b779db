#include "tools/render_files.h"

#include <filesystem>
#include <map>

namespace render {

namespace fs = std::filesystem;

bool planRenderFiles(const RenderOptions& options, std::vector<RenderFile>* files, std::string* error) {
  files->clear();
  if (options.outDir.empty()) {
    files->push_back({options.inputPath, options.outputPath});
    return true;
  }
  std::error_code ec;
  if (!fs::is_directory(options.outDir, ec)) {
    *error = fs::exists(options.outDir, ec) ? "--out-dir " + options.outDir + " is not a folder"
                                            : "the output folder " + options.outDir + " does not exist (create it first)";
    return false;
  }
  std::map<std::string, std::string> inputByName;
  for (const std::string& input : options.inputPaths) {
    if (!fs::exists(input, ec)) {
      *error = input + " does not exist; with --out-dir every file name is an input, written to " + options.outDir;
      return false;
    }
    if (fs::is_directory(input, ec)) {
      *error = input + " is a folder; give the audio files in it";
      return false;
    }
    const std::string name = fs::path(input).filename().string();
    const auto [known, added] = inputByName.emplace(name, input);
    if (!added) {
      *error = "two inputs are named " + name + " (" + known->second + " and " + input +
               "); their outputs would both be " + (fs::path(options.outDir) / name).string();
      return false;
    }
    files->push_back({input, (fs::path(options.outDir) / name).string()});
  }
  // With distinct names, an output can only be its own input.
  for (const RenderFile& file : *files) {
    if (fs::exists(file.output, ec) && fs::equivalent(file.output, file.input, ec)) {
      *error = file.output + " would overwrite its input " + file.input + "; choose another --out-dir";
      return false;
    }
  }
  return true;
}

}  // namespace render
