#pragma once
// Rendering for varnock-render: the bundle is loaded once and the preset and
// the settings are resolved once; then each file is read (or the demo signal
// made), processed block by block by a fresh plug-in instance and written to
// its output, which appears only when everything succeeded.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/module.h"
#include "tools/render_options.h"
#include "tools/render_progress.h"
#include "tools/render_settings.h"

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

class Renderer {
 public:
  // Loads the bundle and resolves the preset and then the --set options on a
  // first instance. Null and *error with *status 1 when the plug-in cannot be
  // loaded, 2 when a setting is not valid.
  static std::unique_ptr<Renderer> open(const RenderOptions& options, int* status, std::string* error);

  // Renders `inputPath` (empty: the demo signal) to `outputPath`. 0, or 1
  // and *error when a file or the plug-in fails.
  int render(const std::string& inputPath, const std::string& outputPath, ProgressLine& progress,
             RenderSummary* summary, std::string* error);

 private:
  Renderer() = default;

  RenderOptions options_;
  std::unique_ptr<vst3host::Module> module_;
  std::vector<ParameterSetting> settings_;  // preset first, then the --set options
};

// "demo-out.wav: 288000 frames, 6.000 s at 48000 Hz, latency 1024 samples
// (compensated), peak in -1.0 dBFS, peak out -2.3 dBFS, 95.1x real time"
std::string summaryLine(const RenderSummary& summary);

}  // namespace render
