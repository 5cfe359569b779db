// The audio file library on its own: every writable format read back, the
// FLAC encoder over block sizes and depths, the integer rounding and
// clipping, layouts other writers produce, and hostile or truncated files,
// which must be refused with a reason and never crash.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <tuple>

#include "audio/audio_file.h"
#include "tests/support/audio_bytes.h"

namespace fs = std::filesystem;
using audio::Container;
using audio::Encoding;
using audio::Format;
using audiobytes::decode;
using audiobytes::encode;

namespace {

using audiobytes::formatName;

class AudioRoundTrip : public ::testing::TestWithParam<std::tuple<Format, int>> {};

TEST_P(AudioRoundTrip, ReadsBackWhatItWrote) {
  const auto [format, channels] = GetParam();
  const auto samples = audiobytes::programme(channels, 10007);
  std::string error;
  const std::string bytes = encode(format, channels, 44100, samples, 0, &error);
  ASSERT_FALSE(bytes.empty()) << error;
  const audiobytes::Decoded back = decode(bytes, 777);
  ASSERT_EQ(back.error, "");
  EXPECT_EQ(back.info.format, format);
  EXPECT_EQ(back.info.channels, channels);
  EXPECT_EQ(back.info.sampleRate, 44100);
  EXPECT_EQ(back.info.frames, 10007);
  EXPECT_EQ(back.samples, audiobytes::expectedBack(format, samples));
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioRoundTrip, ::testing::Combine(::testing::ValuesIn(audiobytes::writableFormats()), ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return formatName(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param)) + "ch";
                         });

// Block sizes with and without a header code of their own, at depths from
// the smallest to the one whose side channel needs 33 bits.
class FlacBlocks : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(FlacBlocks, EveryBlockSizeAndDepthRoundTrips) {
  const auto [blockSize, bits] = GetParam();
  const Format format{Container::Flac, Encoding::Int, bits};
  const int frames = std::max(1000, blockSize * 5 / 2) + 7;  // ends in a shorter block
  const auto samples = audiobytes::programme(2, frames, static_cast<uint32_t>(blockSize));
  const audiobytes::Decoded back = decode(encode(format, 2, 48000, samples, blockSize));
  ASSERT_EQ(back.error, "");
  EXPECT_EQ(back.info.frames, frames);
  EXPECT_EQ(back.samples, audiobytes::expectedBack(format, samples));
}

INSTANTIATE_TEST_SUITE_P(Sizes, FlacBlocks,
                         ::testing::Combine(::testing::Values(16, 192, 576, 1000, 4096, 4608, 65535),
                                            ::testing::Values(4, 16, 24, 32)),
                         [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)) + "_" + std::to_string(std::get<1>(info.param)) +
                                  "bit";
                         });

TEST(AudioFiles, IntegerOutputRoundsToNearestEvenAndClips) {
  const double lsb = std::ldexp(1.0, -23), inf = std::numeric_limits<double>::infinity();
  // Input, and the 24-bit integer stored for it.
  const std::vector<std::pair<double, int>> cases = {
      {1.0, 8388607},         {1.5, 8388607},          {-1.0, -8388608},     {-1.5, -8388608},
      {1 - lsb, 8388607},     {1 - lsb / 2, 8388607},  {-1 + lsb / 2, -8388608}, {lsb / 2, 0},
      {1.5 * lsb, 2},         {2.5 * lsb, 2},          {-lsb / 2, 0},        {-1.5 * lsb, -2},
      {-2.5 * lsb, -2},       {0.51 * lsb, 1},         {inf, 8388607},       {-inf, -8388608},
      {std::nan(""), 0},      {1e-300, 0}};
  std::vector<double> in;
  for (const auto& c : cases) in.push_back(c.first);
  for (Container container : {Container::Wav, Container::Wave64, Container::Aiff, Container::Caf, Container::Flac}) {
    const audiobytes::Decoded back = decode(encode({container, Encoding::Int, 24}, 1, 48000, in));
    ASSERT_EQ(back.error, "") << audio::containerName(container);
    for (size_t i = 0; i < cases.size(); ++i)
      EXPECT_EQ(back.samples[i] * 8388608.0, cases[i].second) << audio::containerName(container) << " case " << i;
  }
}

TEST(AudioFiles, FlacCodesSilenceAndWastedBitsCompactly) {
  const Format flac24{Container::Flac, Encoding::Int, 24}, flac16{Container::Flac, Encoding::Int, 16};
  EXPECT_LT(encode(flac24, 2, 48000, std::vector<double>(2 * 65536, 0.0)).size(), 300u);
  // 16-bit audio in a 24-bit file costs what it costs in a 16-bit one.
  std::vector<double> grid = testsignals::whiteNoise(2 * 48000, 3, 0.5);
  for (double& x : grid) x = std::round(x * 32768) / 32768;
  EXPECT_LT(encode(flac24, 2, 48000, grid).size(), encode(flac16, 2, 48000, grid).size() + 2000);
  // Full-scale noise does not grow past its raw size (verbatim fallback).
  EXPECT_LT(encode(flac16, 2, 48000, testsignals::whiteNoise(2 * 48000, 5, 1.0)).size(), 2u * 2 * 48000 + 4000);
}

TEST(AudioFiles, FilesWithNonAsciiNamesAreWrittenAndRead) {
  const fs::path dir = fs::temp_directory_path() / "audio_files_test_names";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path path = dir / fs::path(u8"Klänge – 音.flac");
  const auto samples = audiobytes::programme(2, 5000);
  {
    std::ofstream out(path, std::ios::binary);
    ASSERT_EQ(audio::containerForExtension(path), Container::Flac);
    std::string error;
    auto writer = audio::AudioWriter::create(out, {Container::Flac, Encoding::Int, 24}, 2, 96000, &error);
    ASSERT_NE(writer, nullptr) << error;
    ASSERT_TRUE(writer->write(samples.data(), 5000) && writer->finish()) << writer->error();
  }
  std::string error;
  auto reader = audio::AudioReader::open(path, &error);
  const audiobytes::Decoded back = audiobytes::decode(std::move(reader), error);
  EXPECT_EQ(back.error, "");
  EXPECT_EQ(back.info.sampleRate, 96000);
  EXPECT_EQ(back.samples, audiobytes::expectedBack({Container::Flac, Encoding::Int, 24}, samples));
  EXPECT_EQ(audio::AudioReader::open(dir / "missing.wav", &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(audio::AudioReader::open(dir, &error), nullptr);
  EXPECT_EQ(error, "it is a directory");
  fs::remove_all(dir);
}

TEST(AudioFiles, WriterRefusesWhatItCannotWrite) {
  std::ostringstream out;
  std::string error;
  const std::vector<std::tuple<Format, int, int, std::string>> cases = {
      {{Container::Flac, Encoding::Float, 32}, 2, 48000, "FLAC holds 4- to 32-bit integer samples, not 32-bit float"},
      {{Container::Flac, Encoding::Int, 3}, 2, 48000, "not 3-bit"},
      {{Container::Flac, Encoding::Int, 24}, 2, 2000000, "FLAC cannot hold a sample rate of 2000000 Hz"},
      {{Container::Wav, Encoding::Int, 20}, 2, 48000, "not 20-bit"},
      {{Container::Caf, Encoding::Float, 16}, 2, 48000, "not 16-bit float"},
      {{Container::Wav, Encoding::Float, 32}, 9, 48000, "cannot write 9 channels"},
      {{Container::Aiff, Encoding::Float, 32}, 2, 0, "sample rate of 0 Hz"},
  };
  for (const auto& [format, channels, rate, message] : cases) {
    EXPECT_EQ(audio::AudioWriter::create(out, format, channels, rate, &error), nullptr) << message;
    EXPECT_NE(error.find(message), std::string::npos) << error;
  }
}

// ---- Files laid out by hand ----

struct Bytes {
  std::string s;
  Bytes& le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    return *this;
  }
  Bytes& be(uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
    return *this;
  }
  Bytes& raw(const std::string& text) {
    s += text;
    return *this;
  }
};

std::string riffChunk(const std::string& id, const std::string& body, int64_t size = -1) {
  Bytes b;
  b.raw(id).le(static_cast<uint64_t>(size < 0 ? static_cast<int64_t>(body.size()) : size), 4).raw(body);
  if (body.size() % 2) b.raw(std::string(1, '\0'));
  return b.s;
}
std::string wav(const std::string& chunks) { return Bytes().raw("RIFF").le(4 + chunks.size(), 4).raw("WAVE").raw(chunks).s; }
std::string fmt(int channels, uint32_t rate, int bits, int blockAlign, int tag = 1) {
  return riffChunk("fmt ", Bytes()
                               .le(static_cast<uint64_t>(tag), 2)
                               .le(static_cast<uint64_t>(channels), 2)
                               .le(rate, 4)
                               .le(rate * static_cast<uint64_t>(blockAlign), 4)
                               .le(static_cast<uint64_t>(blockAlign), 2)
                               .le(static_cast<uint64_t>(bits), 2)
                               .s);
}
// WAVE_FORMAT_EXTENSIBLE of `subFormat` (1 PCM, 3 float) with `valid` bits in containers of `bits`.
std::string fmtExtensible(int channels, int bits, int valid, int subFormat, const std::string& guidTail = "") {
  const std::string tail = guidTail.empty() ? std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14) : guidTail;
  const int align = channels * bits / 8;
  return riffChunk("fmt ", Bytes()
                               .le(0xFFFE, 2)
                               .le(static_cast<uint64_t>(channels), 2)
                               .le(48000, 4)
                               .le(48000u * static_cast<uint64_t>(align), 4)
                               .le(static_cast<uint64_t>(align), 2)
                               .le(static_cast<uint64_t>(bits), 2)
                               .le(22, 2)
                               .le(static_cast<uint64_t>(valid), 2)
                               .le(3, 4)
                               .le(static_cast<uint64_t>(subFormat), 2)
                               .raw(tail)
                               .s);
}
std::string int16s(std::initializer_list<int> values) {
  Bytes b;
  for (int v : values) b.le(static_cast<uint64_t>(v), 2);
  return b.s;
}

std::string aiffChunk(const std::string& id, const std::string& body) {
  Bytes b;
  b.raw(id).be(body.size(), 4).raw(body);
  if (body.size() % 2) b.raw(std::string(1, '\0'));
  return b.s;
}
std::string aiff(const std::string& chunks, const char* kind = "AIFF") {
  return Bytes().raw("FORM").be(4 + chunks.size(), 4).raw(kind).raw(chunks).s;
}
// COMM with a rate given as 80-bit extended (exponent word, mantissa).
std::string comm(int channels, uint32_t frames, int bits, uint16_t exponent = 0x400E, uint64_t mantissa = 0xBB80000000000000,
                 const std::string& compression = "") {
  return aiffChunk("COMM", Bytes()
                               .be(static_cast<uint64_t>(channels), 2)
                               .be(frames, 4)
                               .be(static_cast<uint64_t>(bits), 2)
                               .be(exponent, 2)
                               .be(mantissa, 8)
                               .raw(compression)
                               .s);
}
std::string ssnd(const std::string& data, uint32_t offset = 0) {
  return aiffChunk("SSND", Bytes().be(offset, 4).be(0, 4).raw(data).s);
}

std::string cafChunk(const std::string& type, const std::string& body, int64_t size) {
  return Bytes().raw(type).be(static_cast<uint64_t>(size), 8).raw(body).s;
}
std::string cafChunk(const std::string& type, const std::string& body) {
  return cafChunk(type, body, static_cast<int64_t>(body.size()));
}
std::string caf(const std::string& chunks, int version = 1) { return Bytes().raw("caff").be(static_cast<uint64_t>(version), 2).be(0, 2).raw(chunks).s; }
std::string desc(uint64_t rateBits, const std::string& formatId, uint32_t flags, uint32_t bytesPerPacket,
                 uint32_t channels, uint32_t bits) {
  return cafChunk("desc", Bytes()
                              .be(rateBits, 8)
                              .raw(formatId)
                              .be(flags, 4)
                              .be(bytesPerPacket, 4)
                              .be(1, 4)
                              .be(channels, 4)
                              .be(bits, 4)
                              .s);
}
constexpr uint64_t k48000 = 0x40E7700000000000;  // 48000.0 as a double's bits

const std::string kTwoFrames = int16s({0, 16384, -32768, 32767});
const std::vector<double> kTwoFramesBack = {0, 0.5, -1, 32767 / 32768.0};

// Layouts other writers produce, each with the samples it must give.
TEST(AudioFiles, ReadsLayoutsOtherWritersProduce) {
  const Format flac16{Container::Flac, Encoding::Int, 16};
  const std::string flac = encode(flac16, 2, 48000, kTwoFramesBack);
  const std::string id3 = Bytes().raw("ID3").be(0x0300, 2).be(0, 1).be(0x0000010A, 4).raw(std::string(138, 'x')).s;
  const std::vector<std::tuple<std::string, std::string, std::vector<double>>> cases = {
      {"odd-sized unknown chunk before fmt, LIST after data",
       wav(riffChunk("junk", "abc") + fmt(2, 48000, 16, 4) + riffChunk("data", kTwoFrames) + riffChunk("LIST", "12345")),
       kTwoFramesBack},
      {"data before fmt", wav(riffChunk("data", kTwoFrames) + fmt(2, 48000, 16, 4)), kTwoFramesBack},
      {"8-bit WAV is offset binary", wav(fmt(1, 48000, 8, 1) + riffChunk("data", std::string("\x80\xC0\x00\xFF", 4))),
       {0, 0.5, -1, 127 / 128.0}},
      {"24 valid bits in 32-bit containers",
       wav(fmtExtensible(1, 32, 24, 1) + riffChunk("data", Bytes().le(0x40000000, 4).le(0x80000000, 4).s)), {0.5, -1}},
      {"extensible float", wav(fmtExtensible(1, 32, 32, 3) + riffChunk("data", Bytes().le(0x3F000000, 4).s)), {0.5}},
      {"trailing partial frame ignored", wav(fmt(2, 48000, 16, 4) + riffChunk("data", kTwoFrames + "\x01\x02")),
       kTwoFramesBack},
      {"AIFF 12-bit in 16-bit containers", aiff(comm(1, 2, 12) + ssnd(Bytes().be(0x4000, 2).be(0x8000, 2).s)), {0.5, -1}},
      {"AIFF sound data at an offset",
       aiff(comm(1, 1, 16) + ssnd(Bytes().raw("pad!").be(0xC000, 2).s, 4)), {-0.5}},
      {"CAF little-endian 16-bit with open-length data",
       caf(desc(k48000, "lpcm", 2, 4, 2, 16) + cafChunk("data", Bytes().be(0, 4).raw(kTwoFrames).s, -1)),
       kTwoFramesBack},
      {"CAF 24-bit audio right-aligned in 32 bits",
       caf(desc(k48000, "lpcm", 0, 4, 1, 24) + cafChunk("data", Bytes().be(0, 4).be(0x00400000, 4).s)), {0.5}},
      {"FLAC after an ID3v2 tag", id3 + flac, kTwoFramesBack},
  };
  for (const auto& [name, bytes, samples] : cases) {
    const audiobytes::Decoded back = decode(bytes);
    EXPECT_EQ(back.error, "") << name;
    EXPECT_EQ(back.samples, samples) << name;
  }
}

// Broken and hostile files: each is refused (when opened or when read) with
// a reason that names the fault.
TEST(AudioHostile, BrokenHeadersAreRefusedWithTheirReason) {
  const std::string pcm = fmt(2, 48000, 16, 4);
  const std::string data = riffChunk("data", kTwoFrames);
  const auto rate = [](double hz) { return std::bit_cast<uint64_t>(hz); };
  std::string flac = encode({Container::Flac, Encoding::Int, 16}, 2, 48000, audiobytes::programme(2, 20000));
  // STREAMINFO's packed word (rate 20 bits, channels-1 3, bits-1 5, total 36) is bytes 18 to 25.
  const auto withPacked = [&flac](uint64_t andMask, uint64_t orBits) {
    std::string f = flac;
    uint64_t packed = 0;
    for (int i = 0; i < 8; ++i) packed = packed << 8 | static_cast<uint8_t>(f[static_cast<size_t>(18 + i)]);
    packed = (packed & andMask) | orBits;
    for (int i = 0; i < 8; ++i) f[static_cast<size_t>(25 - i)] = static_cast<char>(packed >> (8 * i));
    return f;
  };
  const std::string oneFrame = encode({Container::Flac, Encoding::Int, 16}, 2, 48000, audiobytes::programme(2, 16), 16);
  const auto patched = [](std::string bytes, size_t at, const std::string& with) { return bytes.replace(at, with.size(), with); };
  const std::string w64 = encode({Container::Wave64, Encoding::Int, 16}, 2, 48000, kTwoFramesBack);
  const std::string sowt = Bytes().raw("sowt").be(0, 2).s;

  const std::vector<std::tuple<std::string, std::string>> cases = {
      {"", "it is not a WAV, Wave64, AIFF, CAF or FLAC file"},
      {"this is not audio at all\n", "it is not a WAV, Wave64, AIFF, CAF or FLAC file"},
      {wav(pcm + riffChunk("data", kTwoFrames, 1000)), "the audio data is truncated: 1000 bytes declared, 8 in the file"},
      {wav(riffChunk("fmt ", "", 5000) + data), "the 'fmt ' chunk runs past the end of the file"},
      {wav(fmt(0, 48000, 16, 4) + data), "it declares 0 channels"},
      {wav(fmt(2, 0, 16, 4) + data), "no valid sample rate"},
      {wav(fmt(2, 48000, 16, 3) + data), "its block size (3 bytes) does not hold 2 channels"},
      {wav(fmt(2, 48000, 16, 4, 2) + data), "format tag 0x0002"},
      {wav(fmt(2, 48000, 40, 8) + data), "it stores 40-bit integers in 4-byte samples"},
      {wav(fmt(2, 48000, 64, 8, 3) + data), "it stores 64-bit floats in 4-byte samples"},
      {wav(riffChunk("fmt ", "\x01\x00\x02\x00") + data), "its format chunk is too short"},
      {wav(fmtExtensible(1, 32, 24, 1, std::string(14, 'x')) + data), "unknown sub-format"},
      {wav(pcm + riffChunk("data", "")), "it holds no audio"},
      {wav(data), "it has no format chunk"},
      {wav(pcm), "it has no data chunk"},
      {patched(w64, 56, Bytes().le(10, 8).s), "a chunk declares an impossible size (10 bytes)"},
      {patched(w64, 96, Bytes().le(uint64_t{1} << 62, 8).s), "the audio data is truncated"},
      {aiff(comm(2, 1000000000, 16) + ssnd(kTwoFrames)), "truncated: 1000000000 frames declared, 2 in the file"},
      {aiff(comm(0, 2, 16) + ssnd(kTwoFrames)), "it declares 0 channels"},
      {aiff(comm(-3, 2, 16) + ssnd(kTwoFrames)), "it declares -3 channels"},
      {aiff(comm(2, 2, 16, 0x7FFF, 0) + ssnd(kTwoFrames)), "no valid sample rate"},
      {aiff(comm(2, 2, 16, 0, 0) + ssnd(kTwoFrames)), "no valid sample rate"},
      {aiff(comm(2, 2, 16, 0xC00E) + ssnd(kTwoFrames)), "no valid sample rate"},
      {aiff(comm(2, 2, 0) + ssnd(kTwoFrames)), "it declares 0-bit samples"},
      {aiff(comm(2, 2, 16, 0x400E, 0xBB80000000000000, Bytes().raw("ulaw").be(0, 2).s) + ssnd(kTwoFrames), "AIFC"),
       "its compression 'ulaw' is not supported"},
      {aiff(comm(2, 2, 16, 0x400E, 0xBB80000000000000, sowt) + ssnd(kTwoFrames, 100), "AIFC"),
       "its sound data chunk is malformed"},
      {aiff(comm(2, 2, 16).substr(0, 20)), "the 'COMM' chunk runs past the end of the file"},
      {aiff(comm(2, 2, 16)), "it has no sound data chunk"},
      {caf(desc(k48000, "lpcm", 0, 4, 0xFFFFFFFF, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)),
       "it declares 4294967295 channels"},
      {caf(desc(rate(std::nan("")), "lpcm", 0, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)),
       "no valid sample rate"},
      {caf(desc(rate(-48000), "lpcm", 0, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)), "no valid sample rate"},
      {caf(desc(k48000, "aac ", 0, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)),
       "its encoding 'aac ' is not supported"},
      {caf(desc(k48000, "lpcm", 0, 0, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)), "packets of 0 bytes"},
      {caf(desc(k48000, "lpcm", 1, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames)),
       "it stores 16-bit samples in 2-byte containers"},
      {caf(desc(k48000, "lpcm", 0, 4, 2, 16) + cafChunk("data", "", -2)), "the 'data' chunk declares a negative size"},
      {caf(desc(k48000, "lpcm", 0, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames, int64_t{1} << 62)),
       "the audio data is truncated"},
      {caf(cafChunk("data", "\0\0\0\0" + kTwoFrames, -1)), "its data chunk of open length comes before its description"},
      {caf(desc(k48000, "lpcm", 0, 4, 2, 16) + cafChunk("data", "\0\0\0\0" + kTwoFrames), 2), "its CAF version (2)"},
      {flac.substr(0, 42), "it holds no audio"},
      {flac.substr(0, 30), "its metadata is truncated"},
      {patched(flac, 5, "\xFF\xFF\xFF"), "its metadata is truncated"},
      {patched(flac, 4, "\x84"), "its first metadata block is not STREAMINFO"},
      {withPacked(0x00000FFFFFFFFFFF, 0), "it declares no valid sample rate"},
      {withPacked(~(uint64_t{31} << 36), uint64_t{2} << 36), "it declares 3-bit samples"},
      {withPacked(~((uint64_t{1} << 36) - 1), (uint64_t{1} << 36) - 1), "the stream ends after 20000 of the 68719476735 frames"},
      {withPacked(~(uint64_t{7} << 41), uint64_t{0} << 41), "the FLAC frame at byte 42 has another channel count"},
      {withPacked(~(uint64_t{31} << 36), uint64_t{23} << 36), "the FLAC frame at byte 42 has another sample size"},
      {flac.substr(0, 60), "the FLAC frame at byte 42 is truncated"},
      {patched(flac, 42, "\xFF\xF0"), "the FLAC frame at byte 42 does not start with a frame sync code"},
      {patched(flac, 46, "\x01"), "the FLAC frame at byte 42 fails its header checksum"},
      {oneFrame.substr(0, oneFrame.size() - 1) + "?", "the FLAC frame at byte 42 fails its checksum"},
      {patched(flac, 0, "ID3\x03\x00\x00\x7F\x7F\x7F\x7F"), "it is not a FLAC file"},
  };
  for (const auto& [bytes, message] : cases) {
    const audiobytes::Decoded back = decode(bytes);
    EXPECT_NE(back.error.find(message), std::string::npos) << "expected \"" << message << "\", got \"" << back.error << "\"";
  }
}

// Every prefix of a file is refused, in every container; the whole file is read.
TEST(AudioHostile, EveryTruncationIsRefused) {
  const auto samples = audiobytes::programme(2, 64);
  for (const Format& format : {Format{Container::Wav, Encoding::Int, 16}, Format{Container::Wave64, Encoding::Float, 32},
                               Format{Container::Aiff, Encoding::Float, 32}, Format{Container::Caf, Encoding::Int, 24},
                               Format{Container::Flac, Encoding::Int, 24}}) {
    const std::string bytes = encode(format, 2, 48000, samples, 16);
    ASSERT_EQ(decode(bytes).error, "") << formatName(format);
    for (size_t length = 0; length < bytes.size(); ++length)
      ASSERT_NE(decode(bytes.substr(0, length), 7).error, "") << formatName(format) << " cut to " << length << " bytes";
  }
}

// Any change of one byte in FLAC audio is caught by the frame checksums.
TEST(AudioHostile, EveryCorruptFlacByteIsCaught) {
  const std::string bytes = encode({Container::Flac, Encoding::Int, 16}, 2, 48000, audiobytes::programme(2, 600), 64);
  for (size_t at = 42; at < bytes.size(); ++at) {
    for (int flip : {0x01, 0x80, 0xFF}) {
      std::string corrupt = bytes;
      corrupt[at] = static_cast<char>(corrupt[at] ^ flip);
      const std::string error = decode(corrupt).error;
      ASSERT_NE(error.find("the FLAC frame at byte"), std::string::npos) << "byte " << at << " ^ " << flip << ": " << error;
    }
  }
}

}  // namespace
