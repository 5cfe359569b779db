// varnock-render as a user runs it: the built program on generated files,
// each run in a fresh temporary directory. Files are written and read with
// the tool's own audio file library, whose own tests check it against an
// independent implementation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "audio/audio_file.h"
#include "tests/support/audio_bytes.h"
#include "tests/support/run_program.h"
#include "tests/support/test_signals.h"

namespace fs = std::filesystem;
using audio::Container;
using audio::Encoding;
using audio::Format;

namespace {

const Format kFloatWav{Container::Wav, Encoding::Float, 32};
const Format kFlac16{Container::Flac, Encoding::Int, 16};
const Format kFlac24{Container::Flac, Encoding::Int, 24};

using RunResult = testsupport::ProgramResult;

struct Audio {
  int sampleRate = 0, channels = 0;
  Format format;
  std::vector<std::vector<double>> channel;  // channel[c][frame]
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class RenderTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::makeTempDirectory("render_tool_test");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the tool with `args` in the test directory.
  RunResult run(const std::vector<std::string>& args) {
    return testsupport::runProgram(VARNOCK_RENDER_PATH, args, dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  // A file in the test directory by its UTF-8 name.
  fs::path file(const std::string& name) const { return dir_ / fs::path(std::u8string(name.begin(), name.end())); }

  // The names in the test directory, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  void writeAudio(const std::string& name, const std::vector<std::vector<double>>& channels, int sampleRate,
                  const Format& format = kFloatWav) {
    const size_t frames = channels[0].size();
    std::vector<double> interleaved(frames * channels.size());
    for (size_t i = 0; i < frames; ++i)
      for (size_t c = 0; c < channels.size(); ++c) interleaved[i * channels.size() + c] = channels[c][i];
    std::ofstream out(file(name), std::ios::binary);
    std::string error;
    auto writer = audio::AudioWriter::create(out, format, static_cast<int>(channels.size()), sampleRate, &error);
    ASSERT_NE(writer, nullptr) << error;
    ASSERT_TRUE(writer->write(interleaved.data(), static_cast<int64_t>(frames)) && writer->finish()) << writer->error();
  }

  Audio readAudio(const std::string& name) {
    Audio out;
    std::string error;
    const audiobytes::Decoded decoded = audiobytes::decode(audio::AudioReader::open(file(name), &error), error);
    EXPECT_EQ(decoded.error, "") << name;
    if (!decoded.error.empty()) return out;
    out.sampleRate = static_cast<int>(decoded.info.sampleRate);
    out.channels = decoded.info.channels;
    out.format = decoded.info.format;
    const size_t channels = static_cast<size_t>(out.channels);
    out.channel.assign(channels, std::vector<double>(decoded.samples.size() / channels));
    for (size_t i = 0; i < decoded.samples.size(); ++i) out.channel[i % channels][i / channels] = decoded.samples[i];
    return out;
  }

  static size_t loudestIndex(const std::vector<double>& x) {
    size_t best = 0;
    for (size_t i = 0; i < x.size(); ++i)
      if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
    return best;
  }

  fs::path dir_;
};

}  // namespace

TEST_F(RenderTool, MonoInputBecomesStereoOfSameRateAndLength) {
  const auto noise = testsignals::whiteNoise(30000, 9, 0.5);
  writeAudio("in.wav", {noise}, 44100);
  const RunResult r = run({"in.wav", "out.wav", "--set", "Mix=0", "--compensate-latency"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Audio out = readAudio("out.wav");
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.sampleRate, 44100);
  EXPECT_EQ(out.format, kFloatWav);
  ASSERT_EQ(out.channel[0].size(), noise.size());
  EXPECT_EQ(out.channel[0], out.channel[1]);
  for (size_t i = 0; i < noise.size(); ++i) ASSERT_NEAR(out.channel[0][i], noise[i], 1e-6) << "at " << i;
}

TEST_F(RenderTool, CompensatedImpulseComesOutAtSameIndex) {
  const auto impulse = testsignals::impulse(20000, 5000, 0.8);
  writeAudio("in.wav", {impulse, impulse}, 48000);
  const RunResult r = run({"in.wav", "out.wav", "--set", "Depth=0", "--block", "100", "--compensate-latency"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Audio out = readAudio("out.wav");
  ASSERT_EQ(out.channel[0].size(), impulse.size());
  EXPECT_EQ(loudestIndex(out.channel[0]), 5000u);
  EXPECT_NEAR(out.channel[0][5000], 0.8, 1e-3);
  EXPECT_NE(r.out.find("latency 1024 samples (compensated)"), std::string::npos) << r.out;
}

TEST_F(RenderTool, UncompensatedOutputIsDelayedByLatency) {
  const auto impulse = testsignals::impulse(20000, 5000, 0.8);
  writeAudio("in.wav", {impulse, impulse}, 48000);
  const RunResult r = run({"in.wav", "out.wav", "--set", "Depth=0", "--set", "Resolution=Precise 2048"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Audio out = readAudio("out.wav");
  ASSERT_EQ(out.channel[0].size(), impulse.size());
  EXPECT_EQ(loudestIndex(out.channel[0]), 5000u + 2048u);
  EXPECT_NE(r.out.find("latency 2048 samples,"), std::string::npos) << r.out;
}

// Every output extension, in any case, carries the same render: as 32-bit
// floats, or as FLAC in 24 bits (within a 24-bit step of the floats, which
// are rounded from the same doubles).
TEST_F(RenderTool, OutputFormatFollowsExtension) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  const std::vector<std::pair<std::string, Format>> outputs = {
      {"out.wav", kFloatWav},
      {"out.AIFF", {Container::Aiff, Encoding::Float, 32}},
      {"out.aif", {Container::Aiff, Encoding::Float, 32}},
      {"out.w64", {Container::Wave64, Encoding::Float, 32}},
      {"out.caf", {Container::Caf, Encoding::Float, 32}},
      {"out.flac", kFlac24}};
  for (const auto& [name, format] : outputs) {
    const RunResult r = run({"in.wav", name});
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    const Audio out = readAudio(name);
    EXPECT_EQ(out.format, format) << name;
    EXPECT_EQ(out.sampleRate, 48000) << name;
    const Audio reference = readAudio("out.wav");
    ASSERT_EQ(out.channel.size(), 2u) << name;
    for (size_t c = 0; c < 2; ++c) {
      if (format != kFlac24) {
        EXPECT_EQ(out.channel[c], reference.channel[c]) << name;
        continue;
      }
      ASSERT_EQ(out.channel[c].size(), reference.channel[c].size());
      double worst = 0;
      for (size_t i = 0; i < out.channel[c].size(); ++i)
        worst = std::max(worst, std::fabs(out.channel[c][i] - reference.channel[c][i]));
      EXPECT_LE(worst, std::ldexp(1.0, -23));
    }
  }
}

TEST_F(RenderTool, ReadsEveryInputFormat) {
  const auto tone = testsignals::sine(4800, 440, 48000, 0.5);
  const std::vector<std::tuple<std::string, Format, int>> inputs = {
      {"in.flac", kFlac16, 48000},
      {"in.aiff", {Container::Aiff, Encoding::Int, 24}, 96000},
      {"in.w64", {Container::Wave64, Encoding::Int, 16}, 44100},
      {"in.caf", {Container::Caf, Encoding::Float, 64}, 22050},
      {"Klänge – 音.wav", {Container::Wav, Encoding::Int, 8}, 8000}};
  for (const auto& [name, format, rate] : inputs) {
    writeAudio(name, {tone, tone}, rate, format);
    const RunResult r = run({name, "out.wav"});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_NE(r.out.find("out.wav: 4800 frames"), std::string::npos) << r.out;
    EXPECT_EQ(readAudio("out.wav").sampleRate, rate) << name;
  }
}

// Audio that turns out corrupt halfway is reported with its reason, and the
// partial output is removed.
TEST_F(RenderTool, CorruptInputFailsWithoutOutput) {
  const auto noise = testsignals::whiteNoise(30000, 4, 0.5);
  writeAudio("in.flac", {noise, noise}, 48000, kFlac16);
  std::string bytes(fs::file_size(file("in.flac")), '\0');
  std::ifstream(file("in.flac"), std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes[bytes.size() - 100] = static_cast<char>(bytes[bytes.size() - 100] ^ 0x55);
  std::ofstream(file("in.flac"), std::ios::binary) << bytes;
  const RunResult r = run({"in.flac", "out.wav", "--block", "64"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read in.flac: the FLAC frame at byte "), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"in.flac"});
}

TEST_F(RenderTool, UnknownParameterListsValidNamesAndWritesNothing) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  const RunResult r = run({"in.wav", "out.wav", "--set", "Loudness=3"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("unknown parameter \"Loudness\""), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"Freq Low\""), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

TEST_F(RenderTool, ListValueMustBeOneOfItsTexts) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  const RunResult r = run({"in.wav", "out.wav", "--set", "Mode=Loud"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("\"Cut\", \"Boost\", \"Tame\""), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

TEST_F(RenderTool, NumberThatDoesNotParseIsRefused) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  EXPECT_EQ(run({"in.wav", "out.wav", "--set", "Depth=deep"}).status, 2);
  EXPECT_EQ(run({"in.wav", "out.wav", "--set", "Depth=9 apples"}).status, 2);
  EXPECT_EQ(run({"in.wav", "out.wav", "--set", "Depth"}).status, 2);
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
  EXPECT_EQ(run({"in.wav", "out.wav", "--set", "Depth=9 dB", "--set", "mode=tame"}).status, 0);
}

TEST_F(RenderTool, BadBlockSizeIsRefused) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  for (const char* block : {"0", "-5", "12x", "70000", ""}) {
    const RunResult r = run({"in.wav", "out.wav", "--block", block});
    EXPECT_EQ(r.status, 2) << block;
    EXPECT_NE(r.err.find("--block"), std::string::npos) << r.err;
  }
  EXPECT_EQ(run({"in.wav", "out.wav", "--block"}).status, 2);
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

TEST_F(RenderTool, UnreadableInputIsReported) {
  RunResult r = run({"missing.wav", "out.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read missing.wav"), std::string::npos) << r.err;
  std::ofstream(path("text.wav")) << "this is not audio\n";
  r = run({"text.wav", "out.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read text.wav"), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"text.wav"});
}

TEST_F(RenderTool, MoreThanTwoChannelsIsReported) {
  const auto tone = testsignals::sine(480, 440, 48000, 0.5);
  writeAudio("surround.wav", {tone, tone, tone}, 48000);
  const RunResult r = run({"surround.wav", "out.wav"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("3 channels"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("out.wav")));
}

TEST_F(RenderTool, UnsupportedOutputExtensionWritesNothing) {
  writeAudio("in.wav", {testsignals::sine(480, 440, 48000, 0.5)}, 48000);
  const RunResult r = run({"in.wav", "out.mp3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("unsupported extension"), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

TEST_F(RenderTool, MissingBundleIsReported) {
  writeAudio("in.wav", {testsignals::sine(480, 440, 48000, 0.5)}, 48000);
  const RunResult r = run({"in.wav", "out.wav", "--bundle", "nowhere.vst3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot load the plug-in"), std::string::npos) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

TEST_F(RenderTool, FailedRunKeepsExistingOutput) {
  writeAudio("in.wav", {testsignals::sine(480, 440, 48000, 0.5)}, 48000);
  std::ofstream(path("out.wav")) << "previous";
  EXPECT_EQ(run({"in.wav", "out.wav", "--set", "Mode=Loud"}).status, 2);
  EXPECT_EQ(slurp(path("out.wav")), "previous");
}

TEST_F(RenderTool, SingleFileNameIsAUsageError) {
  const RunResult r = run({"in.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("give both IN and OUT"), std::string::npos) << r.err;
}

TEST_F(RenderTool, DemoWritesOnlyDemoOutInCurrentDirectory) {
  const RunResult r = run({});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(files(), std::vector<std::string>{"demo-out.wav"});
  const Audio demo = readAudio("demo-out.wav");
  EXPECT_EQ(demo.sampleRate, 48000);
  EXPECT_EQ(demo.channels, 2);
  EXPECT_EQ(demo.channel[0].size(), 288000u);
  EXPECT_GT(testsignals::peak(demo.channel[0]), 0.1);
  EXPECT_EQ(r.out.rfind("demo-out.wav: 288000 frames, 6.000 s at 48000 Hz, latency 1024 samples, peak in -1.0 dBFS",
                        0),
            0u)
      << r.out;
  EXPECT_NE(r.out.find("x real time\n"), std::string::npos) << r.out;
}

TEST_F(RenderTool, HelpPrintsUsage) {
  const RunResult r = run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: varnock-render", 0), 0u);
  EXPECT_TRUE(files().empty());
}

// The factory preset "Boxy Room" spelled out as --set options.
const std::vector<std::string> kBoxyRoomSets = {
    "--set", "Mode=Tame",      "--set", "Depth=6",    "--set", "Threshold=3",  "--set", "Knee=6",
    "--set", "Background=60",  "--set", "Freq Low=120", "--set", "Freq High=800", "--set", "Smooth=1",
    "--set", "Attack=5",       "--set", "Release=150", "--set", "Mix=100",      "--set", "Trim=0",
    "--set", "Width=0.5",      "--set", "Tilt=0",      "--set", "Resolution=Precise 2048"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(RenderTool, PresetRendersLikeItsSettingsAndSetAdjustsIt) {
  // A resonance inside Boxy Room's band over noise, so Tame and its depth matter.
  writeAudio("in.wav", {testsignals::mix(testsignals::sine(24000, 300, 48000, 0.5),
                                         testsignals::whiteNoise(24000, 3, 0.1))},
             48000);
  const auto render = [&](const std::string& out, const std::vector<std::string>& options) {
    const RunResult r = run(concat({"in.wav", out}, options));
    EXPECT_EQ(r.status, 0) << out << ": " << r.err;
    return readAudio(out).channel;
  };
  const auto plain = render("plain.wav", {});
  const auto preset = render("preset.wav", {"--preset", "boxy ROOM"});
  EXPECT_EQ(preset, render("sets.wav", kBoxyRoomSets));
  EXPECT_NE(preset, plain);
  // The preset comes first wherever it stands; --set options then apply in order.
  const auto adjusted = render("adjusted.wav", {"--set", "Depth=1", "--preset", "Boxy Room", "--set", "Depth=18"});
  EXPECT_EQ(adjusted, render("adjusted-sets.wav", concat(kBoxyRoomSets, {"--set", "Depth=18"})));
  EXPECT_NE(adjusted, preset);
}

TEST_F(RenderTool, UnknownPresetListsTheTenNamesAndWritesNothing) {
  writeAudio("in.wav", {testsignals::sine(480, 440, 48000, 0.5)}, 48000);
  for (const char* name : {"Boxy", "Custom"}) {
    const RunResult r = run({"in.wav", "out.wav", "--preset", name});
    EXPECT_EQ(r.status, 2) << name;
    EXPECT_NE(r.err.find("unknown preset \"" + std::string(name) + "\"; the presets are \"Mouth Clicks\", "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("\"Mix Smoother\", \"Init\"\n"), std::string::npos) << r.err;
  }
  EXPECT_EQ(run({"in.wav", "out.wav", "--preset", "Init", "--preset", "Init"}).status, 2);
  EXPECT_EQ(files(), std::vector<std::string>{"in.wav"});
}

// Two inputs of different kinds, each rendered alone to ref-a.wav and ref-b.flac.
class RenderToolOutDir : public RenderTool {
 protected:
  void SetUp() override {
    RenderTool::SetUp();
    fs::create_directories(dir_ / "out");
    fs::create_directories(dir_ / "sub");
    writeAudio("a.wav", {testsignals::clickTrain(20000, 4000, 0.7)}, 44100);
    const auto noise = testsignals::whiteNoise(30000, 5, 0.3);
    writeAudio("sub/b.flac", {noise, noise}, 48000, kFlac16);
  }
  std::vector<std::string> outFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "out")) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(RenderToolOutDir, WritesEveryInputUnderItsNameAsIfRenderedAlone) {
  ASSERT_EQ(run({"a.wav", "ref-a.wav", "--preset", "Drum Punch"}).status, 0);
  ASSERT_EQ(run({"sub/b.flac", "ref-b.flac", "--preset", "Drum Punch"}).status, 0);
  const RunResult r = run({"--preset", "Drum Punch", "--out-dir", "out", "a.wav", "sub/b.flac"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"a.wav", "b.flac"}));
  EXPECT_NE(r.out.find("out/a.wav: 20000 frames"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("out/b.flac: 30000 frames"), std::string::npos) << r.out;
  const Audio a = readAudio("out/a.wav"), b = readAudio("out/b.flac");
  EXPECT_EQ(a.sampleRate, 44100);
  EXPECT_EQ(b.format, kFlac24);
  EXPECT_EQ(a.channel, readAudio("ref-a.wav").channel);
  EXPECT_EQ(b.channel, readAudio("ref-b.flac").channel);
}

TEST_F(RenderToolOutDir, RefusesBeforeRenderingAnything) {
  fs::copy_file(dir_ / "a.wav", dir_ / "sub/a.wav");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--out-dir", "out", "a.wav", "new.wav"}, "new.wav does not exist; with --out-dir every file name is an input"},
      {{"--out-dir", "missing", "a.wav"}, "the output folder missing does not exist"},
      {{"--out-dir", "a.wav", "sub/b.flac"}, "--out-dir a.wav is not a folder"},
      {{"--out-dir", "out", "a.wav", "sub/a.wav"}, "two inputs are named a.wav (a.wav and sub/a.wav)"},
      {{"--out-dir", "out", "a.wav", "a.wav"}, "two inputs are named a.wav"},
      {{"--out-dir", "sub", "a.wav", "sub/b.flac"}, "sub/b.flac would overwrite its input sub/b.flac"},
      {{"--out-dir", "out", "sub"}, "sub is a folder"},
      {{"--out-dir", "out"}, "--out-dir needs at least one input"},
      {{"--out-dir", "out", "--out-dir", "sub", "a.wav"}, "--out-dir is given twice"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult r = run(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  EXPECT_EQ(files(), (std::vector<std::string>{"a.wav", "out", "sub"}));
  EXPECT_TRUE(outFiles().empty());
  EXPECT_EQ(fs::file_size(dir_ / "sub/a.wav"), fs::file_size(dir_ / "a.wav"));
}

TEST_F(RenderToolOutDir, FailedFileLeavesNoOutputAndTheOthersAreWritten) {
  std::ofstream(path("text.wav")) << "this is not audio\n";
  const RunResult r = run({"--out-dir", "out", "a.wav", "text.wav", "sub/b.flac"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read text.wav"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1 of 3 files failed"), std::string::npos) << r.err;
  EXPECT_EQ(outFiles(), (std::vector<std::string>{"a.wav", "b.flac"}));
}
