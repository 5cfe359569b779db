#pragma once
// Audio files in standard C++ only, so that every platform reads and writes
// the same bits: WAV, Wave64, AIFF/AIFC, CAF and FLAC.
//
// Reading gives interleaved doubles: integer samples scaled by 2^(bits-1)
// into [-1, 1), floating-point samples as stored. Nothing is allocated from a
// header field without a bound; a header that lies about sizes, or data that
// is cut short or corrupt, is refused with a message instead.
//
// Writing goes to a seekable std::ostream; finish() completes the header
// fields that depend on the length.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace audio {

enum class Container { Wav, Wave64, Aiff, Caf, Flac };
enum class Encoding { Int, Float };

struct Format {
  Container container = Container::Wav;
  Encoding encoding = Encoding::Float;
  int bits = 32;  // bits per sample that carry audio
  bool operator==(const Format&) const = default;
};

// "WAV", "Wave64", "AIFF", "CAF", "FLAC".
std::string_view containerName(Container container);
// "32-bit float", "24-bit".
std::string describe(const Format& format);

struct AudioInfo {
  Format format;
  int channels = 0;
  double sampleRate = 0;  // Hz, finite and positive
  int64_t frames = -1;    // per channel; -1 when the file does not say
};

class AudioReader {
 public:
  // Opens a file and reads its header; null and *error (a reason, without
  // the path) when it is not a file of a supported kind or its header is
  // broken. A file with no audio frames is refused too.
  static std::unique_ptr<AudioReader> open(const std::filesystem::path& path, std::string* error);
  // The same from any seekable stream (e.g. bytes in memory).
  static std::unique_ptr<AudioReader> open(std::unique_ptr<std::istream> stream, std::string* error);

  virtual ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  const AudioInfo& info() const { return info_; }

  // Reads up to `frames` frames into `interleaved` (frames * channels
  // values). Returns the frames read, 0 at the end, -1 when the data is
  // truncated, corrupt or cannot be read (then error() says why, and every
  // later call returns -1 too).
  int64_t read(double* interleaved, int64_t frames);
  const std::string& error() const { return error_; }

 protected:
  AudioReader() = default;
  // Reads 1 to `frames` frames; 0 at the end; -1 after fail().
  virtual int64_t readFrames(double* interleaved, int64_t frames) = 0;
  int64_t fail(std::string why);

  AudioInfo info_;

 private:
  std::string error_;
  bool failed_ = false;
};

class AudioWriter {
 public:
  // A writer of `format` onto `out`, which must stay alive and be seekable.
  // Supported: WAV, Wave64, AIFF and CAF with 8-, 16-, 24- or 32-bit
  // integers or 32- or 64-bit floats; FLAC with 4- to 32-bit integers.
  // Null and *error when the format, channel count (1 to 8) or sample rate
  // cannot be written.
  static std::unique_ptr<AudioWriter> create(std::ostream& out, const Format& format, int channels,
                                             int sampleRate, std::string* error);

  virtual ~AudioWriter();
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  // Appends `frames` interleaved frames. Integer formats round to the
  // nearest step (ties to even) and clip to the integer range; NaN becomes
  // 0. False once anything failed (error() says why).
  bool write(const double* interleaved, int64_t frames);
  // Writes what is buffered and the length fields of the header; the stream
  // is then complete (and still open). False on failure.
  bool finish();
  const std::string& error() const { return error_; }

  // FLAC only: frames per block, 16 to 65535 (default 4096); before the
  // first write.
  void setBlockSize(int frames);

 protected:
  AudioWriter() = default;
  virtual bool writeFrames(const double* interleaved, int64_t frames) = 0;
  virtual bool finishStream() = 0;
  virtual void applyBlockSize(int) {}
  bool fail(std::string why);

 private:
  std::string error_;
  bool failed_ = false, finished_ = false;
};

// The container a file name's extension selects for writing (case ignored):
// .wav, .w64, .aif/.aiff, .caf, .flac.
std::optional<Container> containerForExtension(const std::filesystem::path& path);

}  // namespace audio
