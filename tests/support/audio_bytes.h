#pragma once
// Audio files in memory for the audio file tests: encode interleaved samples
// with our writer, decode bytes with our reader, and the integer rounding the
// integer formats promise, spelled out independently of the library.
#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/audio_file.h"
#include "tests/support/test_signals.h"

namespace audio {
// How test failures print a format: "FLAC 24-bit".
inline void PrintTo(const Format& format, std::ostream* out) {
  *out << containerName(format.container) << " " << describe(format);
}
}  // namespace audio

namespace audiobytes {

// Every format the writer offers.
inline std::vector<audio::Format> writableFormats() {
  using audio::Container;
  using audio::Encoding;
  std::vector<audio::Format> formats;
  for (Container c : {Container::Wav, Container::Wave64, Container::Aiff, Container::Caf}) {
    for (int bits : {8, 16, 24, 32}) formats.push_back({c, Encoding::Int, bits});
    for (int bits : {32, 64}) formats.push_back({c, Encoding::Float, bits});
  }
  for (int bits : {4, 8, 12, 16, 20, 24, 32}) formats.push_back({Container::Flac, Encoding::Int, bits});
  return formats;
}

inline std::string formatName(const audio::Format& f) {
  return std::string(audio::containerName(f.container)) + (f.encoding == audio::Encoding::Float ? "Float" : "Int") +
         std::to_string(f.bits);
}

// The bytes of a file of `format`; empty and *error on failure.
inline std::string encode(const audio::Format& format, int channels, int sampleRate, const std::vector<double>& samples,
                          int flacBlockSize = 0, std::string* error = nullptr) {
  std::ostringstream out;
  std::string why;
  auto writer = audio::AudioWriter::create(out, format, channels, sampleRate, &why);
  if (writer && flacBlockSize > 0) writer->setBlockSize(flacBlockSize);
  const bool ok = writer && writer->write(samples.data(), static_cast<int64_t>(samples.size()) / channels) &&
                  writer->finish();
  if (!ok && error) *error = writer ? writer->error() : why;
  return ok ? out.str() : std::string();
}

struct Decoded {
  audio::AudioInfo info;
  std::vector<double> samples;  // interleaved
  std::string error;            // empty when the whole file was read
};

// Reads everything, in blocks of `block` frames.
inline Decoded decode(std::unique_ptr<audio::AudioReader> reader, std::string openError, int block = 1000) {
  Decoded d;
  if (!reader) {
    d.error = openError.empty() ? "no reader and no reason" : openError;
    return d;
  }
  d.info = reader->info();
  std::vector<double> buffer(static_cast<size_t>(block) * static_cast<size_t>(d.info.channels));
  for (;;) {
    const int64_t n = reader->read(buffer.data(), block);
    if (n < 0) {
      d.error = reader->error().empty() ? "read failed without a reason" : reader->error();
      return d;
    }
    if (n == 0) return d;
    d.samples.insert(d.samples.end(), buffer.begin(), buffer.begin() + n * d.info.channels);
  }
}

inline Decoded decode(const std::string& bytes, int block = 1000) {
  std::string error;
  auto reader = audio::AudioReader::open(std::make_unique<std::istringstream>(bytes), &error);
  return decode(std::move(reader), error, block);
}

// What an integer format of `bits` stores for x: x * 2^(bits-1) rounded to
// nearest, ties to even, clipped to the integer range; NaN stores 0. As a
// sample value again (divided by 2^(bits-1)).
inline double stored(double x, int bits) {
  const double full = std::ldexp(1.0, bits - 1);
  if (std::isnan(x)) return 0;
  const double q = std::nearbyint(std::fmax(-full, std::fmin(full - 1, x * full)));
  return std::fmax(-full, std::fmin(full - 1, q)) / full;
}

// `frames` interleaved frames that give every coding path something to do,
// in seven sections: silence; a DC offset; a sine (the same in both
// channels); noise beyond full scale (clipped by integer formats); noise on a
// 16-bit grid (wasted bits when stored with more); very quiet noise; softer
// noise in the second channel that the first carries too, over loud noise of
// its own (so that coding right and side is cheapest).
inline std::vector<double> programme(int channels, int frames, uint32_t seed = 1) {
  const int section = frames / 7 + 1;
  const auto left = testsignals::whiteNoise(frames, seed, 1.1);
  const auto right = testsignals::whiteNoise(frames, seed + 7, 1.1);
  const auto tone = testsignals::sine(frames, 441, 44100, 0.5);
  std::vector<double> out(static_cast<size_t>(frames) * static_cast<size_t>(channels));
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double noise = (c % 2 ? right : left)[static_cast<size_t>(i)];
      double x = 0;
      switch (i / section) {
        case 0: x = 0; break;
        case 1: x = c % 2 ? -0.25 : 0.25; break;
        case 2: x = tone[static_cast<size_t>(i)]; break;
        case 3: x = noise; break;
        case 4: x = std::round(noise * 0.5 * 32768) / 32768; break;
        case 5: x = noise * 1e-4; break;
        default: x = right[static_cast<size_t>(i)] * 0.1 + (c % 2 ? 0 : left[static_cast<size_t>(i)] * 0.2); break;
      }
      out[static_cast<size_t>(i) * static_cast<size_t>(channels) + static_cast<size_t>(c)] = x;
    }
  }
  return out;
}

// What a file of `format` gives back for `samples`.
inline std::vector<double> expectedBack(const audio::Format& format, const std::vector<double>& samples) {
  std::vector<double> out(samples.size());
  for (size_t i = 0; i < samples.size(); ++i) {
    if (format.encoding == audio::Encoding::Int)
      out[i] = stored(samples[i], format.bits);
    else
      out[i] = format.bits == 32 ? static_cast<double>(static_cast<float>(samples[i])) : samples[i];
  }
  return out;
}

}  // namespace audiobytes
