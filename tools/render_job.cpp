#include "tools/render_job.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/hosted_plugin.h"
#include "tools/render_audio_file.h"
#include "tools/render_demo.h"
#include "tools/render_preset.h"

namespace render {
namespace {

constexpr const char* kEffectCategory = "Audio Module Class";

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

std::unique_ptr<vst3host::HostedPlugin> createEffect(vst3host::Module& module, const std::string& bundlePath,
                                                     std::string* error) {
  const vst3host::ClassDescription* effect = module.factory().findClass(kEffectCategory);
  if (!effect) {
    *error = "cannot load the plug-in: " + bundlePath + " offers no audio effect";
    return nullptr;
  }
  std::string why;
  auto plugin = vst3host::HostedPlugin::create(module.factory(), effect->id, &why);
  if (!plugin) *error = "cannot create the plug-in: " + why;
  return plugin;
}

// The settings a factory preset makes, in the plug-in's normalised values.
bool presetSettings(const vst3host::HostedPlugin& plugin, int row, std::vector<ParameterSetting>* settings,
                    std::string* error) {
  const std::vector<vst3host::ParameterDescription> params = plugin.parameters();
  for (const PresetWrite& write : factoryPresetWrites(row)) {
    const auto id = static_cast<Steinberg::Vst::ParamID>(write.param);
    if (std::none_of(params.begin(), params.end(), [id](const auto& p) { return p.id == id; })) {
      *error = "the plug-in has no parameter " + std::to_string(id) + " for its presets";
      return false;
    }
    settings->push_back({id, plugin.plainToNormalized(id, write.plain)});
  }
  return true;
}

}  // namespace

std::unique_ptr<Renderer> Renderer::open(const RenderOptions& options, int* status, std::string* error) {
  *status = 1;
  std::unique_ptr<Renderer> renderer(new Renderer);
  renderer->options_ = options;
  std::string why;
  renderer->module_ = vst3host::loadModule(options.bundlePath, &why);
  if (!renderer->module_) {
    *error = "cannot load the plug-in: " + why;
    return nullptr;
  }
  // A first instance tells the parameters; it is gone before any file is rendered.
  auto plugin = createEffect(*renderer->module_, options.bundlePath, error);
  if (!plugin) return nullptr;
  if (!options.preset.empty()) {
    const int row = findFactoryPreset(options.preset, error);
    if (row == 0 || !presetSettings(*plugin, row, &renderer->settings_, error)) return nullptr;
  }
  std::vector<ParameterSetting> sets;
  if (!resolveSettings(*plugin, options.settings, &sets, error)) {
    *status = 2;
    return nullptr;
  }
  renderer->settings_.insert(renderer->settings_.end(), sets.begin(), sets.end());
  *status = 0;
  return renderer;
}

int Renderer::render(const std::string& inputPath, const std::string& outputPath, ProgressLine& progress,
                     RenderSummary* summary, std::string* error) {
  const int block = options_.blockFrames;
  std::unique_ptr<FrameSource> source;
  if (inputPath.empty()) {
    DemoSignal demo = makeDemoSignal();
    source = memorySource(std::move(demo.left), std::move(demo.right), demo.sampleRate);
  } else {
    source = openAudioFile(inputPath, block, error);
    if (!source) return 1;
  }

  auto plugin = createEffect(*module_, options_.bundlePath, error);
  if (!plugin) return 1;
  // Later settings of the same parameter overwrite earlier ones, here and in
  // the first block's parameter queue alike.
  for (const ParameterSetting& s : settings_) plugin->setNormalizedValue(s.id, s.normalized);

  std::string why;
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

  auto writer = AudioFileWriter::create(outputPath, source->sampleRate(), error);
  if (!writer) return 1;

  std::vector<double> inL(static_cast<size_t>(block)), inR(inL.size()), outL(inL.size()), outR(inL.size());
  const double* inputs[] = {inL.data(), inR.data()};
  double* outputs[] = {outL.data(), outR.data()};
  progress.start(inputPath.empty() ? "the demo signal" : utf8Of(pathFromUtf8(inputPath).filename()),
                 source->frames());
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
      if (n < 0) return fail(error, "cannot read " + inputPath + ": " + source->readError());
      if (n == 0) {
        inputDone = true;
        zerosLeft = options_.compensateLatency && inputFrames > 0 ? latency : 0;
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
      for (const ParameterSetting& s : settings_) plugin->queueParameterChange(s.id, 0, s.normalized);
    const auto start = std::chrono::steady_clock::now();
    const bool processed = plugin->process(inputs, outputs, n);
    const auto end = std::chrono::steady_clock::now();
    processSeconds += std::chrono::duration<double>(end - start).count();
    if (!processed) return fail(error, "the plug-in failed to process a block");
    if (firstBlock) {
      latency = plugin->latencySamples();  // the settings are in effect now
      toDrop = options_.compensateLatency ? latency : 0;
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
    progress.update(written, end);
  }
  progress.finish();
  if (!writer->commit(error)) return 1;

  summary->outputPath = outputPath;
  summary->frames = written;
  summary->sampleRate = source->sampleRate();
  summary->latencySamples = latency;
  summary->compensated = options_.compensateLatency;
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
