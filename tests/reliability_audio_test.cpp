// Hostile audio through the bundle in every mode, resolution and output mode:
// silence, full-scale noise, DC, a single impulse, a 0 dBFS square wave,
// samples of 1e30 and of the largest doubles, subnormals, NaN and +/-Inf.
// The output is finite everywhere, and after non-finite samples the plug-in
// plays exactly what it would have played for silence in their place from
// one FFT size after the last bad sample on.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/spectral_engine.h"
#include "plugin/varnock.h"
#include "tests/support/bundle_plugin.h"
#include "tests/support/reliability_rig.h"
#include "tests/support/test_signals.h"

namespace {

using namespace Steinberg;
using reliability::RawAudio;

constexpr int kFrames = 12288;   // six of the largest FFT
constexpr int kBlock = 1000;     // not a multiple of any hop
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Signal {
  std::string name;
  std::vector<double> left, right;
};

std::vector<double> constant(double value) { return std::vector<double>(kFrames, value); }

std::vector<double> square(double amplitude, int period) {
  std::vector<double> out(kFrames);
  for (int i = 0; i < kFrames; ++i) out[static_cast<size_t>(i)] = (i % period) < period / 2 ? amplitude : -amplitude;
  return out;
}

std::vector<double> scaled(std::vector<double> signal, double factor) {
  for (double& x : signal) x *= factor;
  return signal;
}

// Noise with every `every`-th sample replaced by `bad`.
std::vector<double> sprinkled(double bad, int every, uint32_t seed) {
  std::vector<double> out = testsignals::whiteNoise(kFrames, seed, 0.5);
  for (size_t i = 0; i < out.size(); i += static_cast<size_t>(every)) out[i] = bad;
  return out;
}

std::vector<double> subnormals(uint32_t seed) {
  std::vector<double> out = testsignals::whiteNoise(kFrames, seed, 1.0);
  for (double& x : out) x *= std::numeric_limits<double>::denorm_min() * 1e6;
  return out;
}

std::vector<Signal> hostileSignals() {
  const double big = std::numeric_limits<double>::max();
  return {
      {"silence", constant(0.0), constant(0.0)},
      {"full-scale noise", testsignals::whiteNoise(kFrames, 1, 1.0), testsignals::whiteNoise(kFrames, 2, 1.0)},
      {"DC", constant(1.0), constant(-1.0)},
      {"impulse", testsignals::impulse(kFrames, 3000), testsignals::impulse(kFrames, 3001, -1.0)},
      {"square", square(1.0, 100), square(1.0, 37)},
      {"1e30 noise", scaled(testsignals::whiteNoise(kFrames, 3, 1.0), 1e30), constant(1e30)},
      {"largest doubles", scaled(testsignals::whiteNoise(kFrames, 4, 1.0), big), square(big, 64)},
      {"largest floats", scaled(testsignals::whiteNoise(kFrames, 12, 1.0), std::numeric_limits<float>::max()),
       square(std::numeric_limits<float>::max(), 64)},
      {"1e300 then quiet", [] {
         std::vector<double> s = testsignals::whiteNoise(kFrames, 5, 0.1);
         for (int i = 0; i < 2000; ++i) s[static_cast<size_t>(i)] *= 1e301;
         return s;
       }(), constant(0.0)},
      {"subnormals", subnormals(6), subnormals(7)},
      {"NaN samples", sprinkled(kNaN, 97, 8), sprinkled(-kNaN, 131, 9)},
      {"infinite samples", sprinkled(kInf, 89, 10), sprinkled(-kInf, 53, 11)},
      {"all NaN", constant(kNaN), constant(kInf)},
  };
}

struct Setting {
  int mode, resolution, delta;
};

// Depth, Trim and Boost at their extremes make the largest gains possible.
void applySetting(vst3host::HostedPlugin& plugin, const Setting& s) {
  reliability::SavedState state = reliability::savedState(plugin);
  state.values[0] = s.mode;
  state.values[1] = 24.0;            // Depth
  state.values[2] = 0.0;             // Threshold
  state.values[5] = 20.0;            // Freq Low
  state.values[6] = 20000.0;         // Freq High
  state.values[7] = 16.0;            // Smooth
  state.values[11] = 24.0;           // Trim
  state.values[12] = s.delta;
  state.values[13] = s.resolution;
  state.values[16] = 6.0;            // Tilt
  ASSERT_TRUE(plugin.setState(reliability::encodeState(state)));
}

// Runs `left`/`right` through `plugin` in kBlock blocks; returns both outputs.
bundletest::Stereo runRaw(vst3host::HostedPlugin& plugin, const std::vector<double>& left,
                          const std::vector<double>& right, bool wide) {
  RawAudio audio(kBlock);
  bundletest::Stereo out{std::vector<double>(left.size()), std::vector<double>(left.size())};
  for (size_t at = 0; at < left.size(); at += kBlock) {
    const int frames = static_cast<int>(std::min<size_t>(kBlock, left.size() - at));
    std::copy_n(left.begin() + static_cast<long>(at), frames, audio.input(0));
    std::copy_n(right.begin() + static_cast<long>(at), frames, audio.input(1));
    EXPECT_EQ(audio.process(plugin.processor(), frames, wide), kResultOk);
    for (int i = 0; i < frames; ++i) {
      out.left[at + static_cast<size_t>(i)] = audio.output(0, i);
      out.right[at + static_cast<size_t>(i)] = audio.output(1, i);
    }
  }
  return out;
}

int firstNonFinite(const bundletest::Stereo& out) {
  for (int i = 0; i < out.frames(); ++i)
    if (!std::isfinite(out.left[static_cast<size_t>(i)]) || !std::isfinite(out.right[static_cast<size_t>(i)]))
      return i;
  return -1;
}

TEST(HostileAudio, OutputIsFiniteForEverySignalModeAndResolution) {
  const std::vector<Signal> signals = hostileSignals();
  int cases = 0;
  for (int mode = 0; mode < 3; ++mode)
    for (int resolution = 0; resolution < 3; ++resolution)
      for (int delta = 0; delta < 2; ++delta) {
        const bool wide = (mode + resolution + delta) % 2 == 0;
        auto plugin = bundletest::makePlugin();
        ASSERT_TRUE(bundletest::start(*plugin, 48000.0, kBlock,
                                      wide ? vst3host::SampleSize::Float64 : vst3host::SampleSize::Float32));
        applySetting(*plugin, {mode, resolution, delta});
        // One instance hears every signal in turn, as a track would.
        for (const Signal& signal : signals) {
          const bundletest::Stereo out = runRaw(*plugin, signal.left, signal.right, wide);
          ASSERT_EQ(firstNonFinite(out), -1) << signal.name << ", mode " << mode << ", resolution " << resolution
                                             << ", delta " << delta << (wide ? ", 64-bit" : ", 32-bit");
          ++cases;
        }
      }
  EXPECT_EQ(cases, 18 * 13);
}

TEST(HostileAudio, SilenceInGivesSilenceOut) {
  for (int mode = 0; mode < 3; ++mode) {
    auto plugin = bundletest::makePlugin();
    ASSERT_TRUE(bundletest::start(*plugin, 44100.0, kBlock));
    applySetting(*plugin, {mode, 1, 0});
    const bundletest::Stereo out = runRaw(*plugin, constant(0.0), constant(0.0), true);
    for (int i = 0; i < out.frames(); ++i) ASSERT_EQ(out.left[static_cast<size_t>(i)], 0.0) << "mode " << mode;
  }
}

// After non-finite samples, the output equals that of an instance that got
// silence in their place, from one FFT size after the last bad sample on.
TEST(HostileAudio, RecoversWithinOneFftSizeAfterNonFiniteSamples) {
  for (int mode = 0; mode < 3; ++mode)
    for (int resolution = 0; resolution < 3; ++resolution)
      for (double bad : {kNaN, kInf, -kInf}) {
        const int fftSize = 512 << resolution;
        std::vector<double> clean = testsignals::whiteNoise(kFrames, 21, 0.5);
        std::vector<double> dirty = clean;
        constexpr int kBurstStart = 2500, kBurstEnd = 2700;
        for (int i = kBurstStart; i < kBurstEnd; ++i) {
          dirty[static_cast<size_t>(i)] = i % 3 == 0 ? bad : dirty[static_cast<size_t>(i)];
          clean[static_cast<size_t>(i)] = i % 3 == 0 ? 0.0 : clean[static_cast<size_t>(i)];
        }
        auto hurt = bundletest::makePlugin();
        auto spared = bundletest::makePlugin();
        for (auto* plugin : {hurt.get(), spared.get()}) {
          ASSERT_TRUE(bundletest::start(*plugin, 48000.0, kBlock));
          applySetting(*plugin, {mode, resolution, 0});
        }
        const bundletest::Stereo outHurt = runRaw(*hurt, dirty, dirty, true);
        const bundletest::Stereo outSpared = runRaw(*spared, clean, clean, true);
        ASSERT_EQ(firstNonFinite(outHurt), -1);
        for (int i = kBurstEnd + fftSize; i < kFrames; ++i)
          ASSERT_NEAR(outHurt.left[static_cast<size_t>(i)], outSpared.left[static_cast<size_t>(i)], 1e-12)
              << "frame " << i << ", mode " << mode << ", resolution " << resolution << ", bad " << bad;
      }
}

// A burst far louder than any real signal (up to the largest doubles, whose
// squares overflow) neither overflows the per-bin states nor leaves a
// residue: once it has left the analysis (one FFT size plus the output
// delay), the output is on the scale of the input again.
TEST(HostileAudio, HugeFiniteSamplesNeitherOverflowNorLeaveResidue) {
  for (int mode = 0; mode < 3; ++mode)
    for (double loudness : {1e30, 3e38, 1e160, 1e300, std::numeric_limits<double>::max()}) {
      std::vector<double> signal = testsignals::whiteNoise(kFrames, 31, 0.5);
      for (int i = 1000; i < 1500; ++i) signal[static_cast<size_t>(i)] = (i % 2 ? 1.0 : -1.0) * loudness;
      auto plugin = bundletest::makePlugin();
      ASSERT_TRUE(bundletest::start(*plugin, 48000.0, kBlock));
      applySetting(*plugin, {mode, 2, 0});
      const bundletest::Stereo out = runRaw(*plugin, signal, signal, true);
      ASSERT_EQ(firstNonFinite(out), -1) << "mode " << mode << ", loudness " << loudness;
      // Trim +24 dB and Boost/Depth 24 dB bound the gain at 48 dB (x251); the
      // bound leaves room for peaks that spectral gains add to noise of 0.5.
      for (int i = 1500 + 2 * 2048; i < kFrames; ++i)
        ASSERT_LE(std::fabs(out.left[static_cast<size_t>(i)]), 1e3)
            << "frame " << i << ", mode " << mode << ", loudness " << loudness;
    }
}

// What the editor reads stays finite too: after every block of every hostile
// signal, in every mode, each feed value is a finite number (in-process, as
// the feed exists only on the plug-in object).
TEST(HostileAudio, AnalysisFeedStaysFinite) {
  const std::vector<Signal> signals = hostileSignals();
  for (int mode = 0; mode < 3; ++mode) {
    auto plugin = reliability::makeInProcessPlugin();
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(bundletest::start(*plugin, 48000.0, kBlock));
    applySetting(*plugin, {mode, 2, 0});
    const varnock::SpectralEngine& feed = reliability::varnockOf(*plugin).engine();
    RawAudio audio(kBlock);
    for (const Signal& signal : signals)
      for (size_t at = 0; at + kBlock <= signal.left.size(); at += kBlock) {
        std::copy_n(signal.left.begin() + static_cast<long>(at), kBlock, audio.input(0));
        std::copy_n(signal.right.begin() + static_cast<long>(at), kBlock, audio.input(1));
        ASSERT_EQ(audio.process(plugin->processor(), kBlock, true), kResultOk);
        ASSERT_TRUE(std::isfinite(varnock::feedLoad(feed.peakGainDb)));
        for (int k = 0; k <= varnock::feedLoad(feed.lastBin); ++k)
          for (const double* values : {feed.inputMag, feed.outputMag, feed.gainDb, feed.activity, feed.thresholdMag})
            ASSERT_TRUE(std::isfinite(varnock::feedLoad(values[k])))
                << signal.name << ", mode " << mode << ", bin " << k << ", frame " << at;
      }
  }
}

}  // namespace
