// varnock-render as a user runs it: the built program on generated files,
// each run in a fresh temporary directory.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/test_signals.h"

namespace fs = std::filesystem;

namespace {

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out, err;
};

struct Audio {
  int sampleRate = 0, channels = 0, format = 0;
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
    char pattern[] = "/tmp/render_tool_test.XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the tool with `args` in the test directory.
  RunResult run(const std::vector<std::string>& args) {
    const fs::path outPath = dir_ / ".stdout", errPath = dir_ / ".stderr";
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(127);
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(VARNOCK_RENDER_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(VARNOCK_RENDER_PATH, argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return result;
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // The names in the test directory, sorted.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  void writeAudio(const std::string& name, const std::vector<std::vector<double>>& channels, int sampleRate,
                  int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = static_cast<int>(channels.size());
    info.format = format;
    SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const size_t frames = channels[0].size();
    std::vector<double> interleaved(frames * channels.size());
    for (size_t i = 0; i < frames; ++i)
      for (size_t c = 0; c < channels.size(); ++c) interleaved[i * channels.size() + c] = channels[c][i];
    sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
  }

  Audio readAudio(const std::string& name) {
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(path(name).c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << name << ": " << sf_strerror(nullptr);
    if (!file) return audio;
    audio.sampleRate = info.samplerate;
    audio.channels = info.channels;
    audio.format = info.format;
    std::vector<double> interleaved(static_cast<size_t>(info.frames * info.channels));
    sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);
    audio.channel.assign(static_cast<size_t>(info.channels), std::vector<double>(static_cast<size_t>(info.frames)));
    for (size_t i = 0; i < static_cast<size_t>(info.frames); ++i)
      for (size_t c = 0; c < audio.channel.size(); ++c) audio.channel[c][i] = interleaved[i * audio.channel.size() + c];
    return audio;
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
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
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

TEST_F(RenderTool, OutputFormatFollowsExtension) {
  writeAudio("in.wav", {testsignals::sine(4800, 440, 48000, 0.5)}, 48000);
  const RunResult r = run({"in.wav", "out.flac"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readAudio("out.flac").format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

TEST_F(RenderTool, ReadsFlacAndAiffInput) {
  const auto tone = testsignals::sine(4800, 440, 48000, 0.5);
  writeAudio("in.flac", {tone, tone}, 48000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  writeAudio("in.aiff", {tone}, 96000, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
  EXPECT_EQ(run({"in.flac", "a.wav"}).status, 0);
  EXPECT_EQ(run({"in.aiff", "b.wav"}).status, 0);
  EXPECT_EQ(readAudio("b.wav").sampleRate, 96000);
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
