// varnock-render: processes an audio file, or a built-in demo signal,
// through the Varnock.vst3 bundle and prints a one-line summary.
#include <cstdio>

#include "tools/render_job.h"
#include "tools/render_options.h"

int main(int argc, char** argv) {
  render::RenderOptions options;
  std::string error;
  if (!render::parseRenderArgs(argc, argv, VARNOCK_BUNDLE_DIR, &options, &error)) {
    std::fprintf(stderr, "varnock-render: %s\n(varnock-render --help shows the usage)\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(render::renderUsage(), stdout);
    return 0;
  }
  render::RenderSummary summary;
  const int status = render::runRender(options, &summary, &error);
  if (status != 0) {
    std::fprintf(stderr, "varnock-render: %s\n", error.c_str());
    return status;
  }
  std::printf("%s\n", render::summaryLine(summary).c_str());
  return 0;
}
