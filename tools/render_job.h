#pragma once
// One run of varnock-render: reads the input (or makes the demo signal),
// loads the bundle, applies the settings, processes block by block and
// writes the output file, which appears only when everything succeeded.
#include <cstdint>
#include <string>

#include "tools/render_options.h"

namespace render {

struct RenderSummary {
  std::string outputPath;
  int64_t frames = 0;        // written, per channel
  double sampleRate = 0;     // Hz
  uint32_t latencySamples = 0;
  bool compensated = false;
  double peakIn = 0, peakOut = 0;  // largest absolute sample
  double processSeconds = 0;       // wall time inside the plug-in's process calls
};

// Exit status: 0, or 1 when a file or the plug-in fails, 2 when a setting is
// not valid; *error says why.
int runRender(const RenderOptions& options, RenderSummary* summary, std::string* error);

// "demo-out.wav: 288000 frames, 6.000 s at 48000 Hz, latency 1024 samples
// (compensated), peak in -1.0 dBFS, peak out -2.3 dBFS, 95.1x real time"
std::string summaryLine(const RenderSummary& summary);

}  // namespace render
