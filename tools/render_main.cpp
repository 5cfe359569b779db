// varnock-render: processes audio files, or a built-in demo signal, through
// the Varnock.vst3 bundle and prints a one-line summary per output.
#include <cstdio>

#include "tools/command_line.h"
#include "tools/render_files.h"
#include "tools/render_job.h"
#include "tools/render_options.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = tools::utf8Arguments(argc, argv);
  std::vector<const char*> args;
  for (const std::string& argument : arguments) args.push_back(argument.c_str());
  render::RenderOptions options;
  std::string error;
  if (!render::parseRenderArgs(static_cast<int>(args.size()), args.data(), VARNOCK_BUNDLE_DIR, &options, &error)) {
    std::fprintf(stderr, "varnock-render: %s\n(varnock-render --help shows the usage)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(render::renderUsage().c_str(), stdout);
    return 0;
  }
  std::vector<render::RenderFile> files;
  if (!render::planRenderFiles(options, &files, &error)) {
    std::fprintf(stderr, "varnock-render: %s\n", error.c_str());
    return 2;
  }
  render::ProgressLine progress(render::ProgressLine::stderrIsTerminal(), render::ProgressLine::Clock::now());
  int status = 0;
  const auto renderer = render::Renderer::open(options, &status, &error);
  if (!renderer) {
    std::fprintf(stderr, "varnock-render: %s\n", error.c_str());
    return status;
  }
  // Each file on its own: one that fails leaves no output and the next is still rendered.
  size_t failed = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const render::RenderFile& file = files[i];
    progress.setPosition(i + 1, files.size());
    render::RenderSummary summary;
    const int fileStatus = renderer->render(file.input, file.output, progress, &summary, &error);
    progress.finish();
    if (fileStatus != 0) {
      std::fprintf(stderr, "varnock-render: %s\n", error.c_str());
      status = fileStatus;
      ++failed;
      continue;
    }
    std::printf("%s\n", render::summaryLine(summary).c_str());
    std::fflush(stdout);
  }
  if (failed > 0 && files.size() > 1)
    std::fprintf(stderr, "varnock-render: %zu of %zu files failed\n", failed, files.size());
  return status;
}
