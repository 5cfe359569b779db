#include "audio/audio_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "audio/readers.h"

namespace audio {

std::string_view containerName(Container container) {
  switch (container) {
    case Container::Wav: return "WAV";
    case Container::Wave64: return "Wave64";
    case Container::Aiff: return "AIFF";
    case Container::Caf: return "CAF";
    case Container::Flac: return "FLAC";
  }
  return "?";
}

std::string describe(const Format& format) {
  return std::to_string(format.bits) + (format.encoding == Encoding::Float ? "-bit float" : "-bit");
}

std::optional<Container> containerForExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".wav") return Container::Wav;
  if (extension == ".w64") return Container::Wave64;
  if (extension == ".aif" || extension == ".aiff") return Container::Aiff;
  if (extension == ".caf") return Container::Caf;
  if (extension == ".flac") return Container::Flac;
  return std::nullopt;
}

AudioReader::~AudioReader() = default;

int64_t AudioReader::fail(std::string why) {
  if (!failed_) error_ = std::move(why);
  failed_ = true;
  return -1;
}

int64_t AudioReader::read(double* interleaved, int64_t frames) {
  if (failed_) return -1;
  int64_t done = 0;
  while (done < frames) {
    const int64_t n = readFrames(interleaved + done * info_.channels, frames - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::unique_ptr<AudioReader> AudioReader::open(const std::filesystem::path& path, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "it is a directory";
    return nullptr;
  }
  errno = 0;
  auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*stream) {
    *error = errno != 0 ? std::strerror(errno) : "it cannot be opened";
    return nullptr;
  }
  return open(std::move(stream), error);
}

std::unique_ptr<AudioReader> AudioReader::open(std::unique_ptr<std::istream> stream, std::string* error) {
  error->clear();
  auto in = std::make_unique<detail::ByteReader>(std::move(stream));
  if (!in->ok()) {
    *error = "it cannot be read";
    return nullptr;
  }
  uint8_t head[16] = {};
  const bool full = in->size() >= 16 && in->read(head, 16);
  const auto at = [&head](int offset, const char* code) { return std::memcmp(head + offset, code, 4) == 0; };
  std::unique_ptr<AudioReader> reader;
  if (full && at(0, "RIFF") && at(8, "WAVE")) {
    reader = detail::openWav(std::move(in), error);
  } else if (full && std::memcmp(head, detail::kWave64Riff, 16) == 0) {
    reader = detail::openWave64(std::move(in), error);
  } else if (full && at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC"))) {
    reader = detail::openAiff(std::move(in), error);
  } else if (full && at(0, "caff")) {
    reader = detail::openCaf(std::move(in), error);
  } else if (full && (at(0, "fLaC") || std::memcmp(head, "ID3", 3) == 0)) {
    reader = detail::openFlac(std::move(in), error);
  } else {
    *error = "it is not a WAV, Wave64, AIFF, CAF or FLAC file";
    return nullptr;
  }
  if (!reader && error->empty()) *error = "its header cannot be read";
  return reader;
}

AudioWriter::~AudioWriter() = default;

bool AudioWriter::fail(std::string why) {
  if (!failed_) error_ = std::move(why);
  failed_ = true;
  return false;
}

void AudioWriter::setBlockSize(int frames) { applyBlockSize(frames); }

bool AudioWriter::write(const double* interleaved, int64_t frames) {
  if (failed_) return false;
  if (finished_) return fail("written after it was finished");
  if (frames <= 0) return true;
  return writeFrames(interleaved, frames) || fail("writing failed");
}

bool AudioWriter::finish() {
  if (failed_) return false;
  if (finished_) return true;
  finished_ = true;
  return finishStream() || fail("writing failed");
}

std::unique_ptr<AudioWriter> AudioWriter::create(std::ostream& out, const Format& format, int channels,
                                                 int sampleRate, std::string* error) {
  if (channels < 1 || channels > 8) {
    *error = "cannot write " + std::to_string(channels) + " channels (1 to 8)";
    return nullptr;
  }
  if (sampleRate < 1) {
    *error = "cannot write a sample rate of " + std::to_string(sampleRate) + " Hz";
    return nullptr;
  }
  errno = 0;
  if (format.container == Container::Flac) return detail::createFlacWriter(out, format, channels, sampleRate, error);
  return detail::createPcmWriter(out, format, channels, sampleRate, error);
}

}  // namespace audio
