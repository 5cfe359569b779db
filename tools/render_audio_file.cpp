#include "tools/render_audio_file.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

namespace render {
namespace {

namespace fs = std::filesystem;

// Sample rates outside this range are not audio the plug-in can process.
constexpr double kMinSampleRate = 1, kMaxSampleRate = 10'000'000;

class FileSource final : public FrameSource {
 public:
  FileSource(std::unique_ptr<audio::AudioReader> reader, int maxBlockFrames)
      : reader_(std::move(reader)),
        interleaved_(static_cast<size_t>(maxBlockFrames) * static_cast<size_t>(reader_->info().channels)) {}

  double sampleRate() const override { return reader_->info().sampleRate; }
  int64_t frames() const override { return reader_->info().frames; }

  int read(double* left, double* right, int count) override {
    const int channels = reader_->info().channels;
    count = std::min<int>(count, static_cast<int>(interleaved_.size() / static_cast<size_t>(channels)));
    const int64_t got = reader_->read(interleaved_.data(), count);
    if (got < 0) return -1;
    for (int64_t i = 0; i < got; ++i) {
      left[i] = interleaved_[static_cast<size_t>(i * channels)];
      right[i] = interleaved_[static_cast<size_t>(i * channels + channels - 1)];
    }
    return static_cast<int>(got);
  }

  std::string readError() const override { return reader_->error(); }

 private:
  std::unique_ptr<audio::AudioReader> reader_;
  std::vector<double> interleaved_;
};

class MemorySource final : public FrameSource {
 public:
  MemorySource(std::vector<double> left, std::vector<double> right, double sampleRate)
      : left_(std::move(left)), right_(std::move(right)), sampleRate_(sampleRate) {}

  double sampleRate() const override { return sampleRate_; }
  int64_t frames() const override { return static_cast<int64_t>(left_.size()); }

  int read(double* left, double* right, int count) override {
    const size_t n = std::min(static_cast<size_t>(std::max(0, count)), left_.size() - position_);
    std::copy_n(left_.data() + position_, n, left);
    std::copy_n(right_.data() + position_, n, right);
    position_ += n;
    return static_cast<int>(n);
  }

 private:
  std::vector<double> left_, right_;
  double sampleRate_;
  size_t position_ = 0;
};

// The temporary output file of this process, removed if it is interrupted.
fs::path::value_type gTempPath[4096] = {};

extern "C" void removeTempAndExit(int signal) {
  if (gTempPath[0]) {
#ifdef _WIN32
    _wunlink(gTempPath);
#else
    unlink(gTempPath);
#endif
  }
  std::_Exit(128 + signal);
}

const int kWatchedSignals[] = {
    SIGINT, SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};

void watchTempFile(const fs::path& path) {
  const auto& native = path.native();
  if (native.size() >= std::size(gTempPath)) return;  // too long to keep; never remove a wrong file
  std::copy(native.begin(), native.end(), gTempPath);
  gTempPath[native.size()] = 0;
  for (int signal : kWatchedSignals) std::signal(signal, removeTempAndExit);
}

void forgetTempFile() {
  for (int signal : kWatchedSignals) std::signal(signal, SIG_DFL);
  gTempPath[0] = 0;
}

// Creates `path` only if nothing of that name exists; 0 or the errno value.
int createNewFile(const fs::path& path) {
#ifdef _WIN32
  const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return errno;
  _close(fd);
#else
  // Mode 0666 less the umask: the permissions the finished file should have.
  const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  close(fd);
#endif
  return 0;
}

// Makes ".<name>.partial-XXXXXX" beside `target`, with a random suffix no
// other file has; empty and *error (an errno value) on failure.
fs::path makeTempFile(const fs::path& target, int* error) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".partial-";
    for (int i = 0; i < 6; ++i) suffix += kLetters[pick(random)];
    fs::path name(".");
    name += target.filename().native();
    name += suffix;
    const fs::path temp = dir / name;
    *error = createNewFile(temp);
    if (*error == 0) return temp;
    if (*error != EEXIST) break;
  }
  return {};
}

}  // namespace

fs::path pathFromUtf8(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

std::string utf8Of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::unique_ptr<FrameSource> openAudioFile(const std::string& path, int maxBlockFrames, std::string* error) {
  std::string why;
  auto reader = audio::AudioReader::open(pathFromUtf8(path), &why);
  if (!reader) {
    *error = "cannot read " + path + ": " + why;
    return nullptr;
  }
  const audio::AudioInfo& info = reader->info();
  if (info.channels < 1 || info.channels > 2) {
    *error = path + " has " + std::to_string(info.channels) + " channels; only mono and stereo files are supported";
    return nullptr;
  }
  if (!(info.sampleRate >= kMinSampleRate && info.sampleRate <= kMaxSampleRate)) {
    *error = path + " has no valid sample rate";
    return nullptr;
  }
  return std::make_unique<FileSource>(std::move(reader), maxBlockFrames);
}

std::unique_ptr<FrameSource> memorySource(std::vector<double> left, std::vector<double> right, double sampleRate) {
  return std::make_unique<MemorySource>(std::move(left), std::move(right), sampleRate);
}

std::unique_ptr<AudioFileWriter> AudioFileWriter::create(const std::string& path, double sampleRate,
                                                         std::string* error) {
  const fs::path target = pathFromUtf8(path);
  const std::optional<audio::Container> container = audio::containerForExtension(target);
  if (!container) {
    *error = "cannot write " + path + ": unsupported extension (use .wav, .flac, .aiff, .w64 or .caf)";
    return nullptr;
  }
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    *error = "cannot write " + path + ": it is a directory";
    return nullptr;
  }
  int why = 0;
  const fs::path temp = makeTempFile(target, &why);
  if (temp.empty()) {
    *error = "cannot write " + path + ": " + std::strerror(why);
    return nullptr;
  }
  std::unique_ptr<AudioFileWriter> writer(new AudioFileWriter);
  writer->path_ = path;
  writer->target_ = target;
  writer->tempPath_ = temp;
  watchTempFile(temp);

  // Integer output (FLAC) rounds to the nearest step and clips to the 24-bit range.
  const audio::Format format = *container == audio::Container::Flac
                                   ? audio::Format{audio::Container::Flac, audio::Encoding::Int, 24}
                                   : audio::Format{*container, audio::Encoding::Float, 32};
  errno = 0;
  writer->stream_.open(temp, std::ios::binary | std::ios::trunc);
  if (!writer->stream_) {
    *error = "cannot write " + path + ": " + (errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    return nullptr;  // the destructor removes the temporary file
  }
  std::string reason;
  writer->writer_ = audio::AudioWriter::create(writer->stream_, format, 2,
                                               static_cast<int>(std::lround(sampleRate)), &reason);
  if (!writer->writer_) {
    *error = "cannot write " + path + ": " + reason;
    return nullptr;
  }
  return writer;
}

AudioFileWriter::~AudioFileWriter() { discard(); }

void AudioFileWriter::discard() {
  writer_.reset();
  if (stream_.is_open()) stream_.close();
  if (!tempPath_.empty()) {
    std::error_code ec;
    fs::remove(tempPath_, ec);
    tempPath_.clear();
    forgetTempFile();
  }
}

bool AudioFileWriter::write(const double* left, const double* right, int count) {
  if (!writer_) return false;
  interleaved_.resize(static_cast<size_t>(std::max(0, count)) * 2);
  for (int i = 0; i < count; ++i) {
    interleaved_[static_cast<size_t>(2 * i)] = left[i];
    interleaved_[static_cast<size_t>(2 * i + 1)] = right[i];
  }
  return writer_->write(interleaved_.data(), count);
}

bool AudioFileWriter::commit(std::string* error) {
  if (!writer_ || !writer_->finish()) {
    *error = "cannot write " + path_ + ": " + (writer_ ? writer_->error() : "not open");
    discard();
    return false;
  }
  writer_.reset();
  errno = 0;
  stream_.close();
  if (stream_.fail()) {
    *error = "cannot write " + path_ + ": " + (errno != 0 ? std::strerror(errno) : "closing the file failed");
    discard();
    return false;
  }
  std::error_code ec;
  fs::rename(tempPath_, target_, ec);
  if (ec) {
    *error = "cannot write " + path_ + ": " + ec.message();
    discard();
    return false;
  }
  tempPath_.clear();
  forgetTempFile();
  return true;
}

}  // namespace render
