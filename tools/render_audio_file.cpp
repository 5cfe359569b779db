#include "tools/render_audio_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace render {
namespace {

class FileSource final : public FrameSource {
 public:
  FileSource(SNDFILE* file, const SF_INFO& info, int maxBlockFrames)
      : file_(file), info_(info), interleaved_(static_cast<size_t>(maxBlockFrames) * info.channels) {}
  ~FileSource() override { sf_close(file_); }

  double sampleRate() const override { return info_.samplerate; }
  int64_t frames() const override { return info_.frames; }

  int read(double* left, double* right, int count) override {
    count = std::min<int>(count, static_cast<int>(interleaved_.size() / info_.channels));
    const sf_count_t got = sf_readf_double(file_, interleaved_.data(), count);
    if (got < count && sf_error(file_) != SF_ERR_NO_ERROR) return -1;
    const int channels = info_.channels;
    for (sf_count_t i = 0; i < got; ++i) {
      left[i] = interleaved_[static_cast<size_t>(i * channels)];
      right[i] = interleaved_[static_cast<size_t>(i * channels + channels - 1)];
    }
    return static_cast<int>(got);
  }

 private:
  SNDFILE* file_;
  SF_INFO info_;
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
char gTempPath[4096] = {};

extern "C" void removeTempAndExit(int signal) {
  if (gTempPath[0]) unlink(gTempPath);
  _exit(128 + signal);
}

void watchTempFile(const std::string& path) {
  std::snprintf(gTempPath, sizeof gTempPath, "%s", path.c_str());
  std::signal(SIGINT, removeTempAndExit);
  std::signal(SIGTERM, removeTempAndExit);
  std::signal(SIGHUP, removeTempAndExit);
}

void forgetTempFile() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
  gTempPath[0] = 0;
}

// The libsndfile format for an output extension; 0 when unsupported.
int formatForExtension(std::string extension) {
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (extension == ".flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
  if (extension == ".w64") return SF_FORMAT_W64 | SF_FORMAT_FLOAT;
  if (extension == ".caf") return SF_FORMAT_CAF | SF_FORMAT_FLOAT;
  return 0;
}

}  // namespace

std::unique_ptr<FrameSource> openAudioFile(const std::string& path, int maxBlockFrames, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = "cannot read " + path + ": it is a directory";
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  if (info.channels < 1 || info.channels > 2) {
    *error = path + " has " + std::to_string(info.channels) + " channels; only mono and stereo files are supported";
    sf_close(file);
    return nullptr;
  }
  if (info.samplerate <= 0) {
    *error = path + " has no valid sample rate";
    sf_close(file);
    return nullptr;
  }
  return std::make_unique<FileSource>(file, info, maxBlockFrames);
}

std::unique_ptr<FrameSource> memorySource(std::vector<double> left, std::vector<double> right, double sampleRate) {
  return std::make_unique<MemorySource>(std::move(left), std::move(right), sampleRate);
}

std::unique_ptr<AudioFileWriter> AudioFileWriter::create(const std::string& path, double sampleRate,
                                                         std::string* error) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const int format = formatForExtension(target.extension().string());
  if (format == 0) {
    *error = "cannot write " + path + ": unsupported extension (use .wav, .flac, .aiff, .w64 or .caf)";
    return nullptr;
  }
  if (std::filesystem::is_directory(target)) {
    *error = "cannot write " + path + ": it is a directory";
    return nullptr;
  }
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string tempName(1, '.');
  tempName.append(target.filename().string()).append(".partial-XXXXXX");
  std::string pattern = (dir / tempName).string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<AudioFileWriter> writer(new AudioFileWriter);
  writer->path_ = path;
  writer->tempPath_ = pattern;
  watchTempFile(pattern);

  SF_INFO info{};
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.channels = 2;
  info.format = format;
  writer->file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (!writer->file_) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return nullptr;  // the destructor removes the temporary file
  }
  if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT) sf_command(writer->file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return writer;
}

AudioFileWriter::~AudioFileWriter() { discard(); }

void AudioFileWriter::discard() {
  if (file_) sf_close(file_);
  file_ = nullptr;
  if (!tempPath_.empty()) {
    std::remove(tempPath_.c_str());
    tempPath_.clear();
    forgetTempFile();
  }
}

bool AudioFileWriter::write(const double* left, const double* right, int count) {
  if (!file_ || failed_) return false;
  interleaved_.resize(static_cast<size_t>(std::max(0, count)) * 2);
  for (int i = 0; i < count; ++i) {
    interleaved_[static_cast<size_t>(2 * i)] = left[i];
    interleaved_[static_cast<size_t>(2 * i + 1)] = right[i];
  }
  failed_ = sf_writef_double(file_, interleaved_.data(), count) != count;
  return !failed_;
}

bool AudioFileWriter::commit(std::string* error) {
  if (!file_ || failed_) {
    *error = "cannot write " + path_ + ": " + (file_ ? sf_strerror(file_) : "not open");
    discard();
    return false;
  }
  sf_write_sync(file_);
  const int closeResult = sf_close(file_);
  file_ = nullptr;
  if (closeResult != 0) {
    *error = "cannot write " + path_ + ": " + sf_error_number(closeResult);
    discard();
    return false;
  }
  // mkstemp makes the file private; give it the permissions a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(tempPath_.c_str(), 0666 & ~mask);
  if (std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    *error = "cannot write " + path_ + ": " + std::strerror(errno);
    discard();
    return false;
  }
  tempPath_.clear();
  forgetTempFile();
  return true;
}

}  // namespace render
