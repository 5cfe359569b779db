#pragma once
// Which files one run of varnock-render reads and writes.
#include <string>
#include <vector>

#include "tools/render_options.h"

namespace render {

struct RenderFile {
  std::string input;   // empty: the demo signal
  std::string output;
};

// IN to OUT, the demo signal to demo-out.wav, or with --out-dir every input
// to DIR/<its file name>, in the order given. An --out-dir run is refused
// (false and *error) before anything is rendered when DIR is not an existing
// folder (it is not created), an input does not exist or is a folder, two
// inputs have the same file name, or an output would replace an input.
bool planRenderFiles(const RenderOptions& options, std::vector<RenderFile>* files, std::string* error);

}  // namespace render
