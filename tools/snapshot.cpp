// varnock-snapshot: renders Varnock's editor offscreen into a PNG.
//
//   varnock-snapshot OUT.png [--size WxH] [--set Name=value ...]
//                    [--audio IN.wav | --demo] [--script FILE] [--frames N]
//
// A Varnock instance is created in-process and driven through its own VST3
// interfaces; parameters given with --set are applied first (plain values,
// by parameter name). The editor opens offscreen at the size and runs a
// 30 fps timeline: before each frame, the audio (a file or the built-in demo
// of transients over a resonance) is processed up to the frame's time and the
// script's events up to that time are delivered, with the view's clock at the
// frame time. After the last audio and event, N more frames are drawn (2 by
// default), then the last frame is written.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/param.h"
#include "plugin/varnock.h"
#include "harness/editor_harness.h"
#include "tools/snapshot_script.h"

namespace {

using varnock::ScriptEvent;

constexpr double kFrameSeconds = 1.0 / 30.0;
constexpr int kBlockFrames = 512;

struct Options {
  std::string outPath;
  int width = 760, height = 416;
  std::vector<std::pair<std::string, std::string>> sets;   // name, value text
  std::string audioPath;
  bool demo = false;
  std::string scriptPath;
  int frames = 2;
};

struct StereoAudio {
  double sampleRate = 48000.0;
  std::vector<float> left, right;
};

int usage(const char* message) {
  std::fprintf(stderr,
               "%s\nusage: varnock-snapshot OUT.png [--size WxH] [--set Name=value ...] "
               "[--audio IN.wav | --demo] [--script FILE] [--frames N]\n",
               message);
  return 2;
}

bool parseOptions(int argc, char** argv, Options* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--size" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &options->width, &options->height) != 2) {
        *error = "--size wants WxH";
        return false;
      }
    } else if (arg == "--set" && hasValue) {
      const std::string assignment = argv[++i];
      const size_t eq = assignment.find('=');
      if (eq == std::string::npos) {
        *error = "--set wants Name=value";
        return false;
      }
      options->sets.emplace_back(assignment.substr(0, eq), assignment.substr(eq + 1));
    } else if (arg == "--audio" && hasValue) {
      options->audioPath = argv[++i];
    } else if (arg == "--demo") {
      options->demo = true;
    } else if (arg == "--script" && hasValue) {
      options->scriptPath = argv[++i];
    } else if (arg == "--frames" && hasValue) {
      options->frames = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.empty() && arg[0] != '-' && options->outPath.empty()) {
      options->outPath = arg;
    } else {
      *error = "unexpected argument '" + arg + "'";
      return false;
    }
  }
  if (options->outPath.empty()) *error = "no output file";
  return error->empty();
}

bool readWav(const std::string& path, StereoAudio* audio, std::string* error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  audio->sampleRate = info.samplerate;
  audio->left.resize(static_cast<size_t>(got));
  audio->right.resize(static_cast<size_t>(got));
  for (sf_count_t i = 0; i < got; ++i) {
    const float* frame = &interleaved[static_cast<size_t>(i * info.channels)];
    audio->left[static_cast<size_t>(i)] = frame[0];
    audio->right[static_cast<size_t>(i)] = frame[info.channels > 1 ? 1 : 0];
  }
  return true;
}

// Two seconds at 48 kHz: a steady resonance at 3.2 kHz over soft noise, with
// a decaying click of bright noise every 250 ms.
StereoAudio demoSignal() {
  StereoAudio audio;
  const int frames = 2 * 48000;
  audio.left.resize(frames);
  audio.right.resize(frames);
  unsigned state = 12345u;
  auto noise = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
  };
  const double kTwoPi = 6.283185307179586;
  for (int i = 0; i < frames; ++i) {
    const double t = i / audio.sampleRate;
    const double sinceClick = std::fmod(t, 0.25);
    const double click = 0.6 * std::exp(-sinceClick / 0.004);
    const double resonance = 0.12 * std::sin(kTwoPi * 3200.0 * t);
    const double bed = 0.02 * noise();
    audio.left[i] = static_cast<float>(resonance + bed + click * noise());
    audio.right[i] = static_cast<float>(resonance + bed + click * noise());
  }
  return audio;
}

void deliver(varnock::EditorHarness& harness, const ScriptEvent& event) {
  iplug::igraphics::IMouseMod mod;
  mod.S = event.shift;
  mod.C = event.ctrl;
  switch (event.kind) {
    case ScriptEvent::Kind::Move: harness.move(event.x, event.y, mod); break;
    case ScriptEvent::Kind::Press: harness.press(event.x, event.y, mod); break;
    case ScriptEvent::Kind::Release: harness.release(event.x, event.y, mod); break;
    case ScriptEvent::Kind::Wheel: harness.wheel(event.x, event.y, event.notches, mod); break;
    case ScriptEvent::Kind::Leave: harness.leave(); break;
  }
}

// The plain value of `text` for the parameter called `name`: one of a list
// parameter's texts ("Tame", "On", "Grow"), or a number in the parameter's
// units. False and *error when the name or the text is not understood.
bool parameterValue(varnock::Varnock& plugin, const std::string& name, const std::string& text, double* value,
                    std::string* error) {
  for (int i = 0; i < plugin.NParams(); ++i) {
    const iplug::IParam& param = *plugin.GetParam(i);
    if (name != param.GetName()) continue;
    for (int v = 0; v < param.NDisplayTexts(); ++v) {
      if (strcasecmp(text.c_str(), param.GetDisplayText(v)) == 0) {
        *value = v;
        return true;
      }
    }
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || !std::isfinite(number)) {
      *error = "'" + text + "' is not a value of " + name;
      return false;
    }
    *value = number;
    return true;
  }
  *error = "no parameter named '" + name + "'";
  return false;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, &options, &error)) return usage(error.c_str());

  std::vector<ScriptEvent> events;
  if (!options.scriptPath.empty()) {
    std::ifstream file(options.scriptPath);
    std::stringstream text;
    text << file.rdbuf();
    if (!file || !varnock::parseScript(text.str(), &events, &error)) {
      std::fprintf(stderr, "varnock-snapshot: %s: %s\n", options.scriptPath.c_str(),
                   error.empty() ? "cannot read" : error.c_str());
      return 1;
    }
  }

  std::stable_sort(events.begin(), events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });

  StereoAudio audio;
  const bool haveAudio = options.demo || !options.audioPath.empty();
  if (options.demo) audio = demoSignal();
  else if (!options.audioPath.empty() && !readWav(options.audioPath, &audio, &error)) {
    std::fprintf(stderr, "varnock-snapshot: %s\n", error.c_str());
    return 1;
  }

  varnock::EditorHarness harness;
  for (const auto& [name, text] : options.sets) {
    double value = 0.0;
    if (!parameterValue(harness.plugin(), name, text, &value, &error) || !harness.setParamByName(name, value)) {
      std::fprintf(stderr, "varnock-snapshot: %s\n", error.c_str());
      return 1;
    }
  }
  if (haveAudio && !harness.startProcessing(audio.sampleRate, kBlockFrames)) {
    std::fprintf(stderr, "varnock-snapshot: the plug-in refused the processing set-up\n");
    return 1;
  }
  if (!harness.open(options.width, options.height, &error)) {
    std::fprintf(stderr, "varnock-snapshot: cannot open the editor offscreen: %s\n", error.c_str());
    return 1;
  }

  const double audioSeconds = haveAudio ? audio.left.size() / audio.sampleRate : 0.0;
  const double lastEvent = events.empty() ? 0.0 : events.back().time;
  const int timelineFrames = static_cast<int>(std::ceil(std::max(audioSeconds, lastEvent) / kFrameSeconds));
  size_t nextEvent = 0;
  size_t audioDone = 0;
  for (int k = 0; k <= timelineFrames + options.frames - 1; ++k) {
    const double t = k * kFrameSeconds;
    const size_t audioTarget = std::min(audio.left.size(), static_cast<size_t>(t * audio.sampleRate));
    if (audioTarget > audioDone) {
      harness.process(&audio.left[audioDone], &audio.right[audioDone], static_cast<int>(audioTarget - audioDone));
      audioDone = audioTarget;
    }
    while (nextEvent < events.size() && events[nextEvent].time <= t + 1e-9) deliver(harness, events[nextEvent++]);
    harness.setTime(t);
    harness.frame();
  }

  if (!harness.image().SavePng(options.outPath.c_str(), &error)) {
    std::fprintf(stderr, "varnock-snapshot: cannot write %s: %s\n", options.outPath.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
