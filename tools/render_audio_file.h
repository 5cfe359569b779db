#pragma once
// Audio in and out for varnock-render, through the audio file library (the
// same code, and so the same bits, on every platform). Sources deliver
// stereo frames (mono duplicated); the writer writes a temporary file beside
// the target and renames it into place only on success.
//
// Paths are UTF-8 text, as the rest of the tool handles them.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_file.h"

namespace render {

// Stereo frames from a file or from memory, in blocks.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual double sampleRate() const = 0;
  // Frames per channel; 0 or less when the file does not say.
  virtual int64_t frames() const = 0;
  // Reads up to `count` frames (at most the block size the source was opened
  // with); returns the frames read, 0 at the end, -1 on a read error.
  virtual int read(double* left, double* right, int count) = 0;
  // Why the last read failed.
  virtual std::string readError() const { return "read error"; }
};

// Opens a mono or stereo file; null and *error when it cannot be read, has
// another channel count, or holds no usable sample rate.
std::unique_ptr<FrameSource> openAudioFile(const std::string& path, int maxBlockFrames, std::string* error);
std::unique_ptr<FrameSource> memorySource(std::vector<double> left, std::vector<double> right, double sampleRate);

// A UTF-8 path as the platform's path.
std::filesystem::path pathFromUtf8(const std::string& path);
// The UTF-8 text of a path (for messages and for handing it on).
std::string utf8Of(const std::filesystem::path& path);

class AudioFileWriter {
 public:
  // Stereo at `sampleRate`, in the format of the extension of `path`: .wav,
  // .aif/.aiff, .w64 and .caf as 32-bit float, .flac as 24-bit. Null and
  // *error when the extension is not supported or the temporary file cannot
  // be made.
  static std::unique_ptr<AudioFileWriter> create(const std::string& path, double sampleRate, std::string* error);
  // Removes the temporary file unless commit() succeeded.
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  bool write(const double* left, const double* right, int count);
  // Completes and closes the temporary file and renames it to the target;
  // false and *error on failure.
  bool commit(std::string* error);

 private:
  AudioFileWriter() = default;
  void discard();

  std::ofstream stream_;
  std::unique_ptr<audio::AudioWriter> writer_;
  std::string path_;
  std::filesystem::path target_, tempPath_;
  std::vector<double> interleaved_;
};

}  // namespace render
