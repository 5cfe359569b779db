// The audio file library against an independent implementation, libsndfile:
// our reader on every format and sample type libsndfile writes (FLAC at
// several compression levels, so with fixed and LPC subframes, block sizes
// 1152 and 4096 and every stereo decorrelation), and libsndfile on every
// format our writer writes, FLAC over block sizes and sample rates. Both
// sides must see the same samples, bit for bit.
#include <sndfile.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "audio/audio_file.h"
#include "tests/support/audio_bytes.h"

namespace fs = std::filesystem;
using audio::Container;
using audio::Encoding;
using audio::Format;

namespace {

struct Sndfile {
  SF_INFO info{};
  std::vector<double> samples;  // interleaved
};

Sndfile readWithSndfile(const fs::path& path) {
  Sndfile out;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &out.info);
  EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
  if (!file) return out;
  out.samples.resize(static_cast<size_t>(out.info.frames * out.info.channels));
  EXPECT_EQ(sf_readf_double(file, out.samples.data(), out.info.frames), out.info.frames);
  sf_close(file);
  return out;
}

class AudioSndfile : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '_');
    dir_ = fs::temp_directory_path() / ("audio_sndfile_test-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// ---- libsndfile writes, we read ----

struct SndfileCase {
  int format;
  Format expected;
  double compression = -1;  // FLAC: 0 to 1 (levels 0 to 8); -1: libsndfile's default
};

std::string caseName(const SndfileCase& c) {
  const char* endian = (c.format & SF_FORMAT_ENDMASK) == SF_ENDIAN_LITTLE ? "LE" : "";
  const char* major = (c.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAVEX ? "WavEx" : "";
  std::string name = std::string(major) + audiobytes::formatName(c.expected) + endian;
  if ((c.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_U8) name += "Unsigned";
  if (c.compression >= 0) name += "Level" + std::to_string(static_cast<int>(c.compression * 8));
  return name;
}

std::vector<SndfileCase> sndfileCases() {
  const std::pair<int, Format> kSubtypes[] = {
      {SF_FORMAT_PCM_U8, {Container::Wav, Encoding::Int, 8}},   {SF_FORMAT_PCM_S8, {Container::Wav, Encoding::Int, 8}},
      {SF_FORMAT_PCM_16, {Container::Wav, Encoding::Int, 16}},  {SF_FORMAT_PCM_24, {Container::Wav, Encoding::Int, 24}},
      {SF_FORMAT_PCM_32, {Container::Wav, Encoding::Int, 32}},  {SF_FORMAT_FLOAT, {Container::Wav, Encoding::Float, 32}},
      {SF_FORMAT_DOUBLE, {Container::Wav, Encoding::Float, 64}},
  };
  const std::pair<int, Container> kMajors[] = {{SF_FORMAT_WAV, Container::Wav},     {SF_FORMAT_WAVEX, Container::Wav},
                                               {SF_FORMAT_W64, Container::Wave64},  {SF_FORMAT_AIFF, Container::Aiff},
                                               {SF_FORMAT_CAF, Container::Caf}};
  std::vector<SndfileCase> cases;
  for (const auto& [major, container] : kMajors) {
    for (const auto& [subtype, sample] : kSubtypes) {
      for (int endian : {SF_ENDIAN_FILE, SF_ENDIAN_LITTLE}) {
        // Little-endian variants exist in AIFF ('sowt') and CAF only.
        if (endian == SF_ENDIAN_LITTLE && (container == Container::Wav || container == Container::Wave64 ||
                                           subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8))
          continue;
        SF_INFO probe{};
        probe.format = major | subtype | endian;
        probe.channels = 2;
        probe.samplerate = 44100;
        if (!sf_format_check(&probe)) continue;
        Format expected = sample;
        expected.container = container;
        cases.push_back({major | subtype | endian, expected});
      }
    }
  }
  for (int subtype : {SF_FORMAT_PCM_S8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24})
    for (double level : {0.0, 0.5, 1.0})
      cases.push_back({SF_FORMAT_FLAC | subtype,
                       {Container::Flac, Encoding::Int, subtype == SF_FORMAT_PCM_S8 ? 8 : subtype == SF_FORMAT_PCM_16 ? 16 : 24},
                       level});
  return cases;
}

class ReadsWhatLibsndfileWrites : public AudioSndfile,
                                  public ::testing::WithParamInterface<std::tuple<SndfileCase, int>> {};

TEST_P(ReadsWhatLibsndfileWrites, SameSamplesAsLibsndfileReads) {
  const auto [c, channels] = GetParam();
  const int frames = 10007;
  const auto samples = audiobytes::programme(channels, frames);
  const fs::path path = dir_ / "in";
  {
    SF_INFO info{};
    info.format = c.format;
    info.channels = channels;
    info.samplerate = 44100;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (c.compression >= 0) {
      double level = c.compression;
      sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    ASSERT_EQ(sf_writef_double(file, samples.data(), frames), frames);
    sf_close(file);
  }
  const Sndfile reference = readWithSndfile(path);
  std::string error;
  auto reader = audio::AudioReader::open(path, &error);
  const audiobytes::Decoded ours = audiobytes::decode(std::move(reader), error, 1000);
  ASSERT_EQ(ours.error, "");
  EXPECT_EQ(ours.info.format, c.expected);
  EXPECT_EQ(ours.info.channels, channels);
  EXPECT_EQ(ours.info.sampleRate, 44100);
  EXPECT_EQ(ours.info.frames, reference.info.frames);
  EXPECT_EQ(ours.samples, reference.samples);
}

INSTANTIATE_TEST_SUITE_P(Formats, ReadsWhatLibsndfileWrites,
                         ::testing::Combine(::testing::ValuesIn(sndfileCases()), ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return caseName(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param)) + "ch";
                         });

// ---- we write, libsndfile reads ----

// The format libsndfile reports for a file of ours.
int sndfileFormat(const Format& f) {
  const int major = f.container == Container::Wav      ? SF_FORMAT_WAV
                    : f.container == Container::Wave64 ? SF_FORMAT_W64
                    : f.container == Container::Aiff   ? SF_FORMAT_AIFF
                    : f.container == Container::Caf    ? SF_FORMAT_CAF
                                                       : SF_FORMAT_FLAC;
  if (f.encoding == Encoding::Float) return major | (f.bits == 32 ? SF_FORMAT_FLOAT : SF_FORMAT_DOUBLE);
  const bool unsigned8 = f.container == Container::Wav || f.container == Container::Wave64;
  switch (f.bits) {
    case 8: return major | (unsigned8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8);
    case 16: return major | SF_FORMAT_PCM_16;
    case 24: return major | SF_FORMAT_PCM_24;
    default: return major | SF_FORMAT_PCM_32;
  }
}

void expectLibsndfileReads(const fs::path& path, const Format& format, int channels, int rate,
                           const std::vector<double>& samples) {
  const Sndfile back = readWithSndfile(path);
  EXPECT_EQ(back.info.format, sndfileFormat(format));
  EXPECT_EQ(back.info.channels, channels);
  EXPECT_EQ(back.info.samplerate, rate);
  EXPECT_EQ(back.info.frames, static_cast<sf_count_t>(samples.size()) / channels);
  EXPECT_EQ(back.samples, audiobytes::expectedBack(format, samples));
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class LibsndfileReadsWhatWeWrite : public AudioSndfile,
                                   public ::testing::WithParamInterface<std::tuple<Format, int>> {};

TEST_P(LibsndfileReadsWhatWeWrite, SameSamplesAsWeWrote) {
  const auto [format, channels] = GetParam();
  const auto samples = audiobytes::programme(channels, 10007);
  const fs::path path = dir_ / "out";
  writeFile(path, audiobytes::encode(format, channels, 44100, samples));
  expectLibsndfileReads(path, format, channels, 44100, samples);
}

// libsndfile reads FLAC of 8, 16 and 24 bits only.
std::vector<Format> formatsLibsndfileReads() {
  std::vector<Format> formats;
  for (const Format& f : audiobytes::writableFormats())
    if (f.container != Container::Flac || f.bits == 8 || f.bits == 16 || f.bits == 24) formats.push_back(f);
  return formats;
}

INSTANTIATE_TEST_SUITE_P(Formats, LibsndfileReadsWhatWeWrite,
                         ::testing::Combine(::testing::ValuesIn(formatsLibsndfileReads()), ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return audiobytes::formatName(std::get<0>(info.param)) + "_" +
                                  std::to_string(std::get<1>(info.param)) + "ch";
                         });

// Block sizes with and without a header code of their own, and sample rates
// coded in the frame header in each way (table, kHz, Hz, tens of Hz) or left
// to STREAMINFO.
struct FlacCase {
  int blockSize, sampleRate, bits, channels;
};

class LibsndfileReadsOurFlac : public AudioSndfile, public ::testing::WithParamInterface<FlacCase> {};

TEST_P(LibsndfileReadsOurFlac, AtEveryBlockSizeAndRate) {
  const FlacCase c = GetParam();
  const Format format{Container::Flac, Encoding::Int, c.bits};
  const int frames = std::max(3000, c.blockSize * 5 / 2) + 3;
  const auto samples = audiobytes::programme(c.channels, frames, static_cast<uint32_t>(c.blockSize));
  const fs::path path = dir_ / "out.flac";
  writeFile(path, audiobytes::encode(format, c.channels, c.sampleRate, samples, c.blockSize));
  expectLibsndfileReads(path, format, c.channels, c.sampleRate, samples);
}

INSTANTIATE_TEST_SUITE_P(Blocks, LibsndfileReadsOurFlac,
                         ::testing::Values(FlacCase{16, 8000, 16, 1}, FlacCase{192, 22000, 24, 2},
                                           FlacCase{576, 11025, 16, 2}, FlacCase{1000, 44100, 24, 1},
                                           FlacCase{4096, 88210, 24, 2}, FlacCase{4608, 655370, 16, 2},
                                           FlacCase{65535, 96000, 24, 2}, FlacCase{4096, 48000, 8, 2}),
                         [](const auto& info) {
                           return std::to_string(info.param.blockSize) + "_" + std::to_string(info.param.sampleRate) +
                                  "Hz_" + std::to_string(info.param.bits) + "bit_" + std::to_string(info.param.channels) +
                                  "ch";
                         });

}  // namespace
