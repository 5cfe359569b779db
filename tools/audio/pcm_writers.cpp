// Writers of the uncompressed containers. Each writes its header with the
// length fields zero, then the samples, and on finish() pads the data and
// fills in the lengths.
//   WAV:    RIFF/WAVE, "fmt " (PCM, or IEEE float with a "fact" chunk), "data"
//   Wave64: the same chunks under GUIDs, 64-bit sizes, 8-byte alignment
//   AIFF:   FORM/AIFF with COMM and SSND; floats as FORM/AIFC ('fl32', 'fl64')
//   CAF:    caff with "desc" (big-endian lpcm) and "data"
#include <algorithm>
#include <bit>
#include <ostream>

#include "audio/readers.h"

namespace audio::detail {
namespace {

constexpr int64_t kChunkFrames = 4096;

class PcmWriter final : public AudioWriter {
 public:
  PcmWriter(std::ostream& out, Container container, const PcmLayout& layout, int channels, int sampleRate)
      : out_(out), container_(container), layout_(layout), channels_(channels), sampleRate_(sampleRate) {}

  bool start(std::string* error) {
    start_ = out_.tellp();
    if (start_ < 0) {
      *error = "the output is not seekable";
      return false;
    }
    writeHeader();
    if (!out_) {
      *error = streamFailure("writing failed");
      return false;
    }
    return true;
  }

 protected:
  bool writeFrames(const double* interleaved, int64_t frames) override {
    const int64_t frameBytes = static_cast<int64_t>(channels_) * layout_.containerBytes;
    // RIFF and AIFF count their bytes in 32 bits.
    if ((container_ == Container::Wav || container_ == Container::Aiff) &&
        static_cast<uint64_t>(headerBytes_ + dataBytes_ + frames * frameBytes + 1) > 0xFFFFFFFFu)
      return fail(std::string("a ") + (container_ == Container::Wav ? "WAV" : "AIFF") +
                  " file cannot hold more than 4 GiB (Wave64 and CAF can)");
    for (int64_t done = 0; done < frames;) {
      const int64_t n = std::min(kChunkFrames, frames - done);
      bytes_.resize(static_cast<size_t>(n * frameBytes));
      encodePcm(layout_, interleaved + done * channels_, bytes_.data(), static_cast<size_t>(n * channels_));
      out_.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
      if (!out_) return fail(streamFailure("writing failed"));
      done += n;
      dataBytes_ += n * frameBytes;
    }
    frames_ += frames;
    return true;
  }

  bool finishStream() override {
    // RIFF and AIFF chunks end on even sizes. (Wave64 aligns chunks to 8
    // bytes, but nothing follows its data chunk, and readers that take the
    // data to the end of the file would count padding as audio.)
    const int64_t align = container_ == Container::Wav || container_ == Container::Aiff ? 2 : 1;
    const int64_t pad = (align - (headerBytes_ + dataBytes_) % align) % align;
    for (int64_t i = 0; i < pad; ++i) out_.put(0);
    const std::streampos end = out_.tellp();
    out_.seekp(start_);
    writeHeader();
    out_.seekp(end);
    out_.flush();
    return out_ ? true : fail(streamFailure("writing failed"));
  }

 private:
  void writeHeader();

  std::ostream& out_;
  Container container_;
  PcmLayout layout_;
  int channels_, sampleRate_;
  std::streampos start_ = 0;
  int64_t headerBytes_ = 0, dataBytes_ = 0, frames_ = 0;
  std::vector<uint8_t> bytes_;
};

// 80-bit IEEE extended of a positive integer, exactly.
void putExtended(ByteSink& s, uint32_t value) {
  const int exponent = static_cast<int>(std::bit_width(value)) - 1;
  s.be(static_cast<uint64_t>(16383 + exponent), 2);
  s.be(static_cast<uint64_t>(value) << (63 - exponent), 8);
}

void putWaveFormat(ByteSink& s, const PcmLayout& layout, int channels, int sampleRate) {
  const int blockAlign = channels * layout.containerBytes;
  s.le(layout.isFloat ? 3 : 1, 2);
  s.le(static_cast<uint64_t>(channels), 2);
  s.le(static_cast<uint64_t>(sampleRate), 4);
  s.le(static_cast<uint64_t>(sampleRate) * static_cast<uint64_t>(blockAlign), 4);
  s.le(static_cast<uint64_t>(blockAlign), 2);
  s.le(static_cast<uint64_t>(layout.bits), 2);
  if (layout.isFloat) s.le(0, 2);  // no extension
}

void PcmWriter::writeHeader() {
  ByteSink s;
  const int64_t data = dataBytes_;
  const uint64_t pad = static_cast<uint64_t>(data & 1);
  switch (container_) {
    case Container::Wav: {
      const uint64_t fmtBytes = layout_.isFloat ? 18 : 16;
      const uint64_t riffBytes = 4 + 8 + fmtBytes + (layout_.isFloat ? 12 : 0) + 8 + static_cast<uint64_t>(data) + pad;
      s.raw("RIFF", 4);
      s.le(riffBytes, 4);
      s.raw("WAVE", 4);
      s.raw("fmt ", 4);
      s.le(fmtBytes, 4);
      putWaveFormat(s, layout_, channels_, sampleRate_);
      if (layout_.isFloat) {
        s.raw("fact", 4);
        s.le(4, 4);
        s.le(static_cast<uint64_t>(frames_), 4);
      }
      s.raw("data", 4);
      s.le(static_cast<uint64_t>(data), 4);
      break;
    }
    case Container::Wave64: {
      const uint64_t fmtBytes = layout_.isFloat ? 18 : 16;
      const uint64_t fmtPad = (8 - fmtBytes % 8) % 8;
      s.raw(kWave64Riff, 16);
      s.le(40 + 24 + fmtBytes + fmtPad + 24 + static_cast<uint64_t>(data), 8);
      s.raw(kWave64Wave, 16);
      s.raw(kWave64Fmt, 16);
      s.le(24 + fmtBytes, 8);
      putWaveFormat(s, layout_, channels_, sampleRate_);
      s.zeros(fmtPad);
      s.raw(kWave64Data, 16);
      s.le(24 + static_cast<uint64_t>(data), 8);
      break;
    }
    case Container::Aiff: {
      // Floats need AIFC and its compression type; integers are plain AIFF.
      static const char kFloatName[] = "\x15" "32-bit floating point";
      static const char kDoubleName[] = "\x15" "64-bit floating point";
      const bool aifc = layout_.isFloat;
      const uint64_t commBytes = aifc ? 18 + 4 + 22 : 18;
      const uint64_t formBytes = 4 + (aifc ? 12 : 0) + 8 + commBytes + 8 + 8 + static_cast<uint64_t>(data) + pad;
      s.raw("FORM", 4);
      s.be(formBytes, 4);
      s.raw(aifc ? "AIFC" : "AIFF", 4);
      if (aifc) {
        s.raw("FVER", 4);
        s.be(4, 4);
        s.be(0xA2805140, 4);  // AIFC version 1
      }
      s.raw("COMM", 4);
      s.be(commBytes, 4);
      s.be(static_cast<uint64_t>(channels_), 2);
      s.be(static_cast<uint64_t>(frames_), 4);
      s.be(static_cast<uint64_t>(layout_.bits), 2);
      putExtended(s, static_cast<uint32_t>(sampleRate_));
      if (aifc) {
        s.raw(layout_.containerBytes == 4 ? "fl32" : "fl64", 4);
        s.raw(layout_.containerBytes == 4 ? kFloatName : kDoubleName, 22);
      }
      s.raw("SSND", 4);
      s.be(8 + static_cast<uint64_t>(data), 4);
      s.be(0, 4);  // offset
      s.be(0, 4);  // block size
      break;
    }
    case Container::Caf: {
      s.raw("caff", 4);
      s.be(1, 2);  // version
      s.be(0, 2);  // flags
      s.raw("desc", 4);
      s.be(32, 8);
      s.be(std::bit_cast<uint64_t>(static_cast<double>(sampleRate_)), 8);
      s.raw("lpcm", 4);
      s.be(layout_.isFloat ? 1 : 0, 4);  // big-endian; float or integer
      s.be(static_cast<uint64_t>(channels_ * layout_.containerBytes), 4);
      s.be(1, 4);  // frames per packet
      s.be(static_cast<uint64_t>(channels_), 4);
      s.be(static_cast<uint64_t>(layout_.bits), 4);
      s.raw("data", 4);
      s.be(4 + static_cast<uint64_t>(data), 8);
      s.be(0, 4);  // edit count
      break;
    }
    case Container::Flac:
      break;
  }
  headerBytes_ = static_cast<int64_t>(s.bytes.size());
  out_.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
}

}  // namespace

std::unique_ptr<AudioWriter> createPcmWriter(std::ostream& out, const Format& format, int channels, int sampleRate,
                                             std::string* error) {
  PcmLayout layout;
  layout.isFloat = format.encoding == Encoding::Float;
  const bool valid = layout.isFloat ? (format.bits == 32 || format.bits == 64)
                                    : (format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32);
  if (!valid) {
    *error = std::string(containerName(format.container)) + " is written with 8-, 16-, 24- or 32-bit integers or " +
             "32- or 64-bit floats, not " + describe(format);
    return nullptr;
  }
  layout.containerBytes = format.bits / 8;
  layout.bits = format.bits;
  layout.bigEndian = format.container == Container::Aiff || format.container == Container::Caf;
  layout.isUnsigned = !layout.isFloat && format.bits == 8 &&
                      (format.container == Container::Wav || format.container == Container::Wave64);
  auto writer = std::make_unique<PcmWriter>(out, format.container, layout, channels, sampleRate);
  if (!writer->start(error)) return nullptr;
  return writer;
}

}  // namespace audio::detail
