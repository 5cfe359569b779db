#include "tools/render_job.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "host/hosted_plugin.h"
#include "host/module.h"
#include "tools/render_audio_file.h"
#include "tools/render_demo.h"
#include "tools/render_settings.h"

namespace render {
namespace {

constexpr const char* kEffectCategory = "Audio Module Class";

// A progress bar on stderr, drawn only when stderr is a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(int64_t total) : total_(total), enabled_(total > 0 && isatty(STDERR_FILENO)) {}
  ~ProgressBar() {
    if (enabled_ && shown_ >= 0) std::fputs("\r\033[K", stderr);
  }
  void update(int64_t done) {
    if (!enabled_) return;
    const int percent = static_cast<int>(std::min<int64_t>(100, done * 100 / total_));
    if (percent == shown_) return;
    shown_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\rvarnock-render [%.*s%*s] %3d%%", filled, "########################################",
                 kWidth - filled, "", percent);
    std::fflush(stderr);
  }

 private:
  int64_t total_;
  bool enabled_;
  int shown_ = -1;
};

double peakOf(const double* left, const double* right, int count, double peak) {
  for (int i = 0; i < count; ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  return peak;
}

std::string dbfs(double peak) {
  if (!(peak > 0)) return "-inf dBFS";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(peak));
  return text;
}

int fail(std::string* error, const std::string& text, int status = 1) {
  *error = text;
  return status;
}

}  // namespace

int runRender(const RenderOptions& options, RenderSummary* summary, std::string* error) {
  const int block = options.blockFrames;
  std::unique_ptr<FrameSource> source;
  if (options.inputPath.empty()) {
    DemoSignal demo = makeDemoSignal();
    source = memorySource(std::move(demo.left), std::move(demo.right), demo.sampleRate);
  } else {
    source = openAudioFile(options.inputPath, block, error);
    if (!source) return 1;
  }

  std::string why;
  auto module = vst3host::loadModule(options.bundlePath, &why);
  if (!module) return fail(error, "cannot load the plug-in: " + why);
  const vst3host::ClassDescription* effect = module->factory().findClass(kEffectCategory);
  if (!effect) return fail(error, "cannot load the plug-in: " + options.bundlePath + " offers no audio effect");
  auto plugin = vst3host::HostedPlugin::create(module->factory(), effect->id, &why);
  if (!plugin) return fail(error, "cannot create the plug-in: " + why);

  std::vector<ParameterSetting> settings;
  if (!resolveSettings(*plugin, options.settings, &settings, error)) return 2;
  for (const ParameterSetting& s : settings) plugin->setNormalizedValue(s.id, s.normalized);

  vst3host::ProcessingSetup setup;
  setup.sampleRate = source->sampleRate();
  setup.maxBlockFrames = block;
  setup.sampleSize = vst3host::SampleSize::Float64;
  setup.offline = true;
  if (!plugin->setupProcessing(setup, &why)) return fail(error, "cannot set up processing: " + why);
  if (!plugin->setActive(true) || !plugin->setProcessing(true))
    return fail(error, "the plug-in refused to start processing");
  if (plugin->mainInputChannels() != 2 || plugin->mainOutputChannels() != 2)
    return fail(error, "the plug-in does not offer a stereo input and output");

  auto writer = AudioFileWriter::create(options.outputPath, source->sampleRate(), error);
  if (!writer) return 1;

  std::vector<double> inL(static_cast<size_t>(block)), inR(inL.size()), outL(inL.size()), outR(inL.size());
  const double* inputs[] = {inL.data(), inR.data()};
  double* outputs[] = {outL.data(), outR.data()};
  ProgressBar progress(source->frames());
  // With compensation the first `latency` output frames are dropped and the
  // input is followed by as many zeros, so that the output lines up with the
  // input and has its length.
  int64_t inputFrames = 0, written = 0, toDrop = 0, zerosLeft = 0;
  bool firstBlock = true, inputDone = false;
  double peakIn = 0, peakOut = 0, processSeconds = 0;
  uint32_t latency = plugin->latencySamples();
  for (;;) {
    int n = 0;
    if (!inputDone) {
      n = source->read(inL.data(), inR.data(), block);
      if (n < 0) return fail(error, "cannot read " + options.inputPath + ": read error");
      if (n == 0) {
        inputDone = true;
        zerosLeft = options.compensateLatency && inputFrames > 0 ? latency : 0;
      }
      peakIn = peakOf(inL.data(), inR.data(), n, peakIn);
      inputFrames += n;
    }
    if (inputDone) {
      if (zerosLeft <= 0) break;
      n = static_cast<int>(std::min<int64_t>(block, zerosLeft));
      std::fill_n(inL.data(), n, 0.0);
      std::fill_n(inR.data(), n, 0.0);
      zerosLeft -= n;
    }
    if (firstBlock)
      for (const ParameterSetting& s : settings) plugin->queueParameterChange(s.id, 0, s.normalized);
    const auto start = std::chrono::steady_clock::now();
    const bool processed = plugin->process(inputs, outputs, n);
    processSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!processed) return fail(error, "the plug-in failed to process a block");
    if (firstBlock) {
      latency = plugin->latencySamples();  // the settings are in effect now
      toDrop = options.compensateLatency ? latency : 0;
      firstBlock = false;
    }
    const int from = static_cast<int>(std::min<int64_t>(n, toDrop));
    toDrop -= from;
    const int count = static_cast<int>(std::min<int64_t>(n - from, inputFrames - written));
    if (count > 0) {
      if (!writer->write(outL.data() + from, outR.data() + from, count)) break;  // commit() reports it
      peakOut = peakOf(outL.data() + from, outR.data() + from, count, peakOut);
      written += count;
    }
    progress.update(written);
  }
  if (!writer->commit(error)) return 1;

  summary->outputPath = options.outputPath;
  summary->frames = written;
  summary->sampleRate = source->sampleRate();
  summary->latencySamples = latency;
  summary->compensated = options.compensateLatency;
  summary->peakIn = peakIn;
  summary->peakOut = peakOut;
  summary->processSeconds = processSeconds;
  return 0;
}

std::string summaryLine(const RenderSummary& s) {
  const double seconds = s.sampleRate > 0 ? static_cast<double>(s.frames) / s.sampleRate : 0;
  char speed[32];
  if (s.processSeconds > 0)
    std::snprintf(speed, sizeof speed, "%.1fx real time", seconds / s.processSeconds);
  else
    std::snprintf(speed, sizeof speed, "no processing time");
  char line[512];
  std::snprintf(line, sizeof line, "%s: %lld frames, %.3f s at %.0f Hz, latency %u samples%s, peak in %s, peak out %s, %s",
                s.outputPath.c_str(), static_cast<long long>(s.frames), seconds, s.sampleRate, s.latencySamples,
                s.compensated ? " (compensated)" : "", dbfs(s.peakIn).c_str(), dbfs(s.peakOut).c_str(), speed);
  return line;
}

}  // namespace render
