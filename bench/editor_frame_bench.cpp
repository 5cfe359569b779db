// editor_frame_bench: the CPU cost of one whole editor frame (header,
// analyser with a busy feed, knob panel, footer) built offscreen, split into
//   Build  - DrawFrame(false): laying out, drawing and handing the commands to GL;
//   Raster - glFinish: the software rasteriser working them off (wall time);
// at 760 x 416, 1520 x 832 and 3040 x 1664 ("Grow"), each against a baseline
// frame of the same size whose only control fills the window once.
// Prints the per-size ratios Varnock / baseline after the table.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/editor_frame_feed.h"
#include "plugin/param_index.h"
#include "dsp/spectral_engine.h"
#include "framework/graphics/offscreen_editor.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"

namespace {

using iplug::igraphics::IColor;
using iplug::igraphics::IGraphics;
using iplug::igraphics::IRECT;
using varnock::EditorHarness;

constexpr double kFrameS = 1.0 / 30.0;
// Frames drawn before timing: the rasteriser compiles its shader variants on
// first use, which would otherwise land in the first timed frames.
constexpr int kWarmUpFrames = 20;
constexpr int kSizes[][2] = {{760, 416}, {1520, 832}, {3040, 1664}};

// The baseline's only control: one window-sized fill per frame.
class FillControl : public iplug::igraphics::IControl {
public:
  using IControl::IControl;
  void Draw(IGraphics& g) override { g.FillRect(IColor(255, 18, 19, 23), GetRECT()); }
  bool IsDirty() override { return true; }
};

// A Varnock with its editor open offscreen, the pointer over the spectrum
// (so the cursor readout is drawn) and the feed moving every frame.
struct VarnockFrames {
  EditorHarness harness;
  bool ok = false;
  explicit VarnockFrames(int width, int height) {
    harness.setParam(varnock::kUISize, 1.0);     // "Grow": the whole layout scales
    std::string error;
    ok = harness.open(width, height, &error);
    if (!ok) return;
    harness.move(0.55 * width, 0.3 * height);
  }
  void prepare() {
    harness.setTime(harness.time() + kFrameS);
    varnock::writeBusyFeed(harness.engine(), 2048, 48000.0, harness.time());
  }
  void build() { harness.editor().DrawFrame(false); }
};

// The same plug-in object and offscreen context with only FillControl.
struct BaselineFrames {
  EditorHarness harness;
  std::unique_ptr<iplug::igraphics::OffscreenEditor> editor;
  bool ok = false;
  explicit BaselineFrames(int width, int height) {
    varnock::Varnock& plugin = harness.plugin();
    plugin.mLayoutFunc = [](IGraphics* g) {
      const IRECT all(0.f, 0.f, float(g->Width()), float(g->Height()));
      if (g->NControls() == 0)
        g->AttachControl(new FillControl(all));
      else
        g->GetControl(0)->SetTargetAndDrawRECTs(all);
    };
    std::string error;
    editor = iplug::igraphics::OffscreenEditor::Open(plugin, &error);
    ok = editor != nullptr;
    if (ok) editor->Resize(width, height);
  }
  void prepare() {}
  void build() { editor->DrawFrame(false); }
};

// Opens the editor and draws the warm-up frames; false when no GL context.
template <typename Frames> bool warmUp(Frames& frames, benchmark::State& state) {
  if (!frames.ok) {
    state.SkipWithError("no offscreen GL context");
    return false;
  }
  for (int i = 0; i < kWarmUpFrames; ++i) {
    frames.prepare();
    frames.build();
    glFinish();
  }
  return true;
}

template <typename Frames> void BM_Build(benchmark::State& state) {
  Frames frames(kSizes[state.range(0)][0], kSizes[state.range(0)][1]);
  if (!warmUp(frames, state)) return;
  for (auto _ : state) {
    state.PauseTiming();
    frames.prepare();
    state.ResumeTiming();
    frames.build();
    state.PauseTiming();
    glFinish();
    state.ResumeTiming();
  }
}

template <typename Frames> void BM_Raster(benchmark::State& state) {
  Frames frames(kSizes[state.range(0)][0], kSizes[state.range(0)][1]);
  if (!warmUp(frames, state)) return;
  for (auto _ : state) {
    state.PauseTiming();
    frames.prepare();
    frames.build();
    state.ResumeTiming();
    glFinish();
  }
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int i = 0; i < 3; ++i) b->Arg(i);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Build<BaselineFrames>)->Apply(sizes)->Name("Build/Baseline");
BENCHMARK(BM_Build<VarnockFrames>)->Apply(sizes)->Name("Build/Varnock");
BENCHMARK(BM_Raster<BaselineFrames>)->Apply(sizes)->Name("Raster/Baseline")->UseRealTime();
BENCHMARK(BM_Raster<VarnockFrames>)->Apply(sizes)->Name("Raster/Varnock")->UseRealTime();

// Keeps each run's time (CPU for Build, wall for Raster) for the ratios.
struct RatioReporter : benchmark::ConsoleReporter {
  std::map<std::string, double> ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      std::string name = r.benchmark_name();
      const bool wall = name.rfind("Raster", 0) == 0;
      const std::size_t suffix = name.find("/real_time");
      if (suffix != std::string::npos) name.erase(suffix);
      ms[name] = (wall ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-12s %14s %14s %8s %14s %14s %8s\n", "size", "build ms", "baseline", "ratio", "raster ms",
              "baseline", "ratio");
  for (int i = 0; i < 3; ++i) {
    auto result = [&](const char* name) {
      char key[64];
      std::snprintf(key, sizeof key, "%s/%d", name, i);
      return reporter.ms[key];
    };
    const double build = result("Build/Varnock"), buildBase = result("Build/Baseline");
    const double raster = result("Raster/Varnock"), rasterBase = result("Raster/Baseline");
    if (build <= 0.0 || buildBase <= 0.0) continue;
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", kSizes[i][0], kSizes[i][1]);
    std::printf("%-12s %14.3f %14.3f %8.2f %14.3f %14.3f %8.2f\n", size, build, buildBase, build / buildBase, raster,
                rasterBase, rasterBase > 0.0 ? raster / rasterBase : 0.0);
  }
  return 0;
}
