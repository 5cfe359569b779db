// Readers of the uncompressed containers: WAV, Wave64, AIFF/AIFC and CAF.
// Each walks its chunks until it has both the format and the audio data,
// checking every size against the bytes the stream really holds; then the
// same reader converts the data block by block.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "audio/readers.h"

namespace audio::detail {

const uint8_t kWave64Riff[16] = {'r', 'i', 'f', 'f', 0x2E, 0x91, 0xCF, 0x11, 0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00};
const uint8_t kWave64Wave[16] = {'w', 'a', 'v', 'e', 0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
const uint8_t kWave64Fmt[16] = {'f', 'm', 't', ' ', 0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};
const uint8_t kWave64Data[16] = {'d', 'a', 't', 'a', 0xF3, 0xAC, 0xD3, 0x11, 0x8C, 0xD1, 0x00, 0xC0, 0x4F, 0x8E, 0xDB, 0x8A};

namespace {

// Bytes converted per call; a block of frames never needs more memory than this
// (or one frame, if a frame is larger).
constexpr int64_t kChunkBytes = 1 << 16;

class PcmFileReader final : public AudioReader {
 public:
  PcmFileReader(std::unique_ptr<ByteReader> in, const AudioInfo& info, const PcmLayout& layout, int64_t dataStart)
      : in_(std::move(in)), layout_(layout), dataStart_(dataStart) {
    info_ = info;
    frameBytes_ = static_cast<int64_t>(info.channels) * layout.containerBytes;
  }

 protected:
  int64_t readFrames(double* out, int64_t frames) override {
    const int64_t left = info_.frames - done_;
    if (left <= 0) return 0;
    const int64_t n = std::min({frames, left, std::max<int64_t>(1, kChunkBytes / frameBytes_)});
    raw_.resize(static_cast<size_t>(n * frameBytes_));
    if (!in_->seek(dataStart_ + done_ * frameBytes_) || !in_->read(raw_.data(), raw_.size()))
      return fail("the audio data could not be read");
    decodePcm(layout_, raw_.data(), out, static_cast<size_t>(n * info_.channels));
    done_ += n;
    return n;
  }

 private:
  std::unique_ptr<ByteReader> in_;
  PcmLayout layout_;
  int64_t dataStart_, frameBytes_, done_ = 0;
  std::vector<uint8_t> raw_;
};

std::string quoted(const uint8_t* id) {
  std::string text = "'";
  for (int i = 0; i < 4; ++i) text += id[i] >= 0x20 && id[i] < 0x7F ? static_cast<char>(id[i]) : '?';
  return text + "'";
}

std::string number(uint64_t value) { return std::to_string(value); }

std::string truncatedData(uint64_t declared, int64_t present) {
  return "the audio data is truncated: " + number(declared) + " bytes declared, " + number(static_cast<uint64_t>(present)) +
         " in the file";
}

std::string runsPastEnd(const uint8_t* id) { return "the " + quoted(id) + " chunk runs past the end of the file"; }

// Common checks once a header is read; null and *error when they fail.
std::unique_ptr<AudioReader> finishOpen(std::unique_ptr<ByteReader> in, AudioInfo info, const PcmLayout& layout,
                                        int64_t dataStart, std::string* error) {
  if (info.frames <= 0) {
    *error = "it holds no audio (its data is empty)";
    return nullptr;
  }
  return std::make_unique<PcmFileReader>(std::move(in), info, layout, dataStart);
}

bool checkChannelsAndRate(int64_t channels, double rate, std::string* error) {
  if (channels < 1 || channels > kMaxChannels) {
    *error = "it declares " + std::to_string(channels) + " channels";
    return false;
  }
  if (!std::isfinite(rate) || !(rate > 0)) {
    *error = "it declares no valid sample rate";
    return false;
  }
  return true;
}

// The "fmt " chunk of WAV and Wave64 (WAVEFORMATEX or WAVEFORMATEXTENSIBLE).
bool parseWaveFormat(const uint8_t* body, uint64_t size, Container kind, AudioInfo* info, PcmLayout* layout,
                     std::string* error) {
  if (size < 16) {
    *error = "its format chunk is too short";
    return false;
  }
  unsigned tag = le16(body);
  const unsigned channels = le16(body + 2);
  const uint32_t rate = le32(body + 4);
  const unsigned blockAlign = le16(body + 12);
  const unsigned bits = le16(body + 14);
  unsigned validBits = bits;
  if (tag == 0xFFFE) {
    static const uint8_t kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (size < 40) {
      *error = "its extensible format chunk is too short";
      return false;
    }
    if (std::memcmp(body + 26, kTail, sizeof kTail) != 0) {
      *error = "its extensible format names an unknown sub-format";
      return false;
    }
    tag = le16(body + 24);
    if (le16(body + 18) != 0) validBits = le16(body + 18);
  }
  if (!checkChannelsAndRate(channels, rate, error)) return false;
  if (blockAlign == 0 || blockAlign % channels != 0) {
    *error = "its block size (" + number(blockAlign) + " bytes) does not hold " + number(channels) + " channels";
    return false;
  }
  const unsigned container = blockAlign / channels;
  if (tag == 1) {
    if (container > 4 || validBits == 0 || validBits > bits || bits > container * 8) {
      *error = "it stores " + number(validBits) + "-bit integers in " + number(container) + "-byte samples";
      return false;
    }
    layout->isFloat = false;
    layout->isUnsigned = container == 1;
  } else if (tag == 3) {
    if (!((bits == 32 && container == 4) || (bits == 64 && container == 8))) {
      *error = "it stores " + number(bits) + "-bit floats in " + number(container) + "-byte samples";
      return false;
    }
    layout->isFloat = true;
    validBits = bits;
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "its encoding (format tag 0x%04X) is not integer or floating-point PCM", tag);
    *error = text;
    return false;
  }
  layout->containerBytes = static_cast<int>(container);
  layout->bits = static_cast<int>(validBits);
  layout->bigEndian = false;
  layout->rightJustified = false;
  info->format = {kind, layout->isFloat ? Encoding::Float : Encoding::Int, static_cast<int>(validBits)};
  info->channels = static_cast<int>(channels);
  info->sampleRate = rate;
  return true;
}

// Reads the first min(size, capacity) bytes of a chunk body.
bool readBody(ByteReader& in, int64_t at, uint64_t size, uint8_t* body, size_t capacity) {
  std::fill_n(body, capacity, 0);
  return in.seek(at) && in.read(body, static_cast<size_t>(std::min<uint64_t>(size, capacity)));
}

// 80-bit IEEE extended (AIFF's sample rate) to double; NaN for infinities and NaNs.
double extendedToDouble(const uint8_t* p) {
  const int exponent = be16(p) & 0x7FFF;
  const uint64_t mantissa = be64(p + 2);
  if (exponent == 0x7FFF) return std::numeric_limits<double>::quiet_NaN();
  if (mantissa == 0) return 0;
  const double value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  return (p[0] & 0x80) ? -value : value;
}

}  // namespace

std::unique_ptr<AudioReader> openWav(std::unique_ptr<ByteReader> in, std::string* error) {
  AudioInfo info;
  PcmLayout layout;
  bool haveFormat = false, haveData = false;
  int64_t dataStart = 0;
  uint64_t dataBytes = 0;
  int64_t pos = 12;
  while (!haveFormat || !haveData) {
    uint8_t header[8];
    if (in->size() - pos < 8 || !in->seek(pos) || !in->read(header, 8)) {
      *error = haveFormat ? "it has no data chunk" : "it has no format chunk";
      return nullptr;
    }
    const uint32_t size = le32(header + 4);
    const int64_t body = pos + 8;
    const int64_t present = in->size() - body;
    if (std::memcmp(header, "data", 4) == 0 && !haveData) {
      if (size > present) {
        *error = truncatedData(size, present);
        return nullptr;
      }
      haveData = true;
      dataStart = body;
      dataBytes = size;
    } else if (size > present) {
      *error = runsPastEnd(header);
      return nullptr;
    } else if (std::memcmp(header, "fmt ", 4) == 0 && !haveFormat) {
      uint8_t fmt[40];
      if (!readBody(*in, body, size, fmt, sizeof fmt) ||
          !parseWaveFormat(fmt, size, Container::Wav, &info, &layout, error)) {
        if (error->empty()) *error = "its format chunk could not be read";
        return nullptr;
      }
      haveFormat = true;
    }
    pos = body + size + (size & 1);  // chunks are padded to an even size
  }
  info.frames = static_cast<int64_t>(dataBytes / (static_cast<uint64_t>(info.channels) * layout.containerBytes));
  return finishOpen(std::move(in), info, layout, dataStart, error);
}

std::unique_ptr<AudioReader> openWave64(std::unique_ptr<ByteReader> in, std::string* error) {
  AudioInfo info;
  PcmLayout layout;
  bool haveFormat = false, haveData = false;
  int64_t dataStart = 0;
  uint64_t dataBytes = 0;
  int64_t pos = 40;  // after the riff GUID, the file size and the wave GUID
  while (!haveFormat || !haveData) {
    uint8_t header[24];
    if (in->size() - pos < 24 || !in->seek(pos) || !in->read(header, 24)) {
      *error = haveFormat ? "it has no data chunk" : "it has no format chunk";
      return nullptr;
    }
    const uint64_t size = le64(header + 16);  // including this 24-byte header
    if (size < 24) {
      *error = "a chunk declares an impossible size (" + number(size) + " bytes)";
      return nullptr;
    }
    const uint64_t bodySize = size - 24;
    const int64_t body = pos + 24;
    const int64_t present = in->size() - body;
    if (std::memcmp(header, kWave64Data, 16) == 0 && !haveData) {
      if (bodySize > static_cast<uint64_t>(present)) {
        *error = truncatedData(bodySize, present);
        return nullptr;
      }
      haveData = true;
      dataStart = body;
      dataBytes = bodySize;
    } else if (bodySize > static_cast<uint64_t>(present)) {
      *error = runsPastEnd(header);
      return nullptr;
    } else if (std::memcmp(header, kWave64Fmt, 16) == 0 && !haveFormat) {
      uint8_t fmt[40];
      if (!readBody(*in, body, bodySize, fmt, sizeof fmt) ||
          !parseWaveFormat(fmt, bodySize, Container::Wave64, &info, &layout, error)) {
        if (error->empty()) *error = "its format chunk could not be read";
        return nullptr;
      }
      haveFormat = true;
    }
    pos = body + static_cast<int64_t>(bodySize);
    pos += (8 - pos % 8) % 8;  // chunks start at multiples of 8
  }
  info.frames = static_cast<int64_t>(dataBytes / (static_cast<uint64_t>(info.channels) * layout.containerBytes));
  return finishOpen(std::move(in), info, layout, dataStart, error);
}

std::unique_ptr<AudioReader> openAiff(std::unique_ptr<ByteReader> in, std::string* error) {
  uint8_t form[12];
  if (!in->seek(0) || !in->read(form, 12)) return nullptr;
  const bool aifc = std::memcmp(form + 8, "AIFC", 4) == 0;
  AudioInfo info;
  PcmLayout layout;
  layout.bigEndian = true;
  bool haveCommon = false, haveSound = false;
  uint32_t frames = 0;
  int64_t dataStart = 0;
  uint64_t dataBytes = 0;
  int64_t pos = 12;
  while (!haveCommon || !haveSound) {
    uint8_t header[8];
    if (in->size() - pos < 8 || !in->seek(pos) || !in->read(header, 8)) {
      *error = haveCommon ? "it has no sound data chunk" : "it has no common chunk";
      return nullptr;
    }
    const uint32_t size = be32(header + 4);
    const int64_t body = pos + 8;
    const int64_t present = in->size() - body;
    if (size > present) {
      *error = std::memcmp(header, "SSND", 4) == 0 ? truncatedData(size, present) : runsPastEnd(header);
      return nullptr;
    }
    if (std::memcmp(header, "COMM", 4) == 0 && !haveCommon) {
      uint8_t comm[22];
      if (size < (aifc ? 22u : 18u) || !readBody(*in, body, size, comm, sizeof comm)) {
        *error = "its common chunk is too short";
        return nullptr;
      }
      const auto channels = static_cast<int16_t>(be16(comm));
      frames = be32(comm + 2);
      const auto bits = static_cast<int16_t>(be16(comm + 6));
      if (!checkChannelsAndRate(channels, extendedToDouble(comm + 8), error)) return nullptr;
      info.channels = channels;
      info.sampleRate = extendedToDouble(comm + 8);
      const uint8_t* type = aifc ? comm + 18 : reinterpret_cast<const uint8_t*>("NONE");
      const auto is = [type](const char* code) { return std::memcmp(type, code, 4) == 0; };
      if (is("NONE") || is("twos") || is("sowt") || is("raw ")) {
        if (bits < 1 || bits > 32) {
          *error = "it declares " + std::to_string(bits) + "-bit samples";
          return nullptr;
        }
        layout.containerBytes = (bits + 7) / 8;
        layout.bits = bits;
        layout.bigEndian = !is("sowt");
        layout.isUnsigned = is("raw ");
      } else if (is("in24") || is("in32") || is("42ni") || is("42n1") || is("23ni")) {
        layout.containerBytes = is("in32") || is("23ni") ? 4 : 3;
        layout.bits = layout.containerBytes * 8;
        layout.bigEndian = is("in24") || is("in32");
      } else if (is("fl32") || is("FL32") || is("fl64") || is("FL64")) {
        layout.isFloat = true;
        layout.containerBytes = is("fl32") || is("FL32") ? 4 : 8;
        layout.bits = layout.containerBytes * 8;
      } else {
        *error = "its compression " + quoted(type) + " is not supported";
        return nullptr;
      }
      info.format = {Container::Aiff, layout.isFloat ? Encoding::Float : Encoding::Int, layout.bits};
      haveCommon = true;
    } else if (std::memcmp(header, "SSND", 4) == 0 && !haveSound) {
      uint8_t ssnd[8];
      if (size < 8 || !readBody(*in, body, size, ssnd, sizeof ssnd) || be32(ssnd) > size - 8) {
        *error = "its sound data chunk is malformed";
        return nullptr;
      }
      dataStart = body + 8 + be32(ssnd);
      dataBytes = size - 8 - be32(ssnd);
      haveSound = true;
    }
    pos = body + size + (size & 1);
  }
  const uint64_t frameBytes = static_cast<uint64_t>(info.channels) * layout.containerBytes;
  if (static_cast<uint64_t>(frames) * frameBytes > dataBytes) {
    *error = "the audio data is truncated: " + number(frames) + " frames declared, " + number(dataBytes / frameBytes) +
             " in the file";
    return nullptr;
  }
  info.frames = frames;
  return finishOpen(std::move(in), info, layout, dataStart, error);
}

std::unique_ptr<AudioReader> openCaf(std::unique_ptr<ByteReader> in, std::string* error) {
  uint8_t fileHeader[8];
  if (!in->seek(0) || !in->read(fileHeader, 8)) return nullptr;
  if (be16(fileHeader + 4) != 1) {
    *error = "its CAF version (" + number(be16(fileHeader + 4)) + ") is not supported";
    return nullptr;
  }
  AudioInfo info;
  PcmLayout layout;
  bool haveDescription = false, haveData = false;
  int64_t dataStart = 0;
  uint64_t dataBytes = 0;
  int64_t pos = 8;
  while (!haveDescription || !haveData) {
    uint8_t header[12];
    if (in->size() - pos < 12 || !in->seek(pos) || !in->read(header, 12)) {
      *error = haveDescription ? "it has no data chunk" : "it has no description chunk";
      return nullptr;
    }
    const auto size = static_cast<int64_t>(be64(header + 4));
    const int64_t body = pos + 12;
    const int64_t present = in->size() - body;
    const bool isData = std::memcmp(header, "data", 4) == 0;
    if (isData && size == -1 && !haveData) {
      // The data runs to the end of the file (a writer that never came back).
      if (!haveDescription) {
        *error = "its data chunk of open length comes before its description";
        return nullptr;
      }
      if (present < 4) {
        *error = "its data chunk is malformed";
        return nullptr;
      }
      haveData = true;
      dataStart = body + 4;
      dataBytes = static_cast<uint64_t>(present - 4);
      break;
    }
    if (size < 0) {
      *error = "the " + quoted(header) + " chunk declares a negative size";
      return nullptr;
    }
    if (size > present) {
      *error = isData ? truncatedData(static_cast<uint64_t>(size), present) : runsPastEnd(header);
      return nullptr;
    }
    if (isData && !haveData) {
      if (size < 4) {
        *error = "its data chunk is malformed";
        return nullptr;
      }
      haveData = true;
      dataStart = body + 4;  // after the edit count
      dataBytes = static_cast<uint64_t>(size - 4);
    } else if (std::memcmp(header, "desc", 4) == 0 && !haveDescription) {
      uint8_t desc[32];
      if (size < 32 || !readBody(*in, body, static_cast<uint64_t>(size), desc, sizeof desc)) {
        *error = "its description chunk is too short";
        return nullptr;
      }
      const double rate = std::bit_cast<double>(be64(desc));
      const uint32_t flags = be32(desc + 12), bytesPerPacket = be32(desc + 16), framesPerPacket = be32(desc + 20);
      const uint32_t channels = be32(desc + 24), bits = be32(desc + 28);
      if (std::memcmp(desc + 8, "lpcm", 4) != 0) {
        *error = "its encoding " + quoted(desc + 8) + " is not supported";
        return nullptr;
      }
      if (!checkChannelsAndRate(channels, rate, error)) return nullptr;
      if (framesPerPacket != 1 || bytesPerPacket == 0 || bytesPerPacket % channels != 0) {
        *error = "its packets of " + number(bytesPerPacket) + " bytes do not hold single frames of " +
                 number(channels) + " channels";
        return nullptr;
      }
      const uint32_t container = bytesPerPacket / channels;
      layout.isFloat = flags & 1;
      layout.bigEndian = !(flags & 2);
      if (layout.isFloat ? !((bits == 32 && container == 4) || (bits == 64 && container == 8))
                         : (container > 4 || bits < 1 || bits > container * 8)) {
        *error = "it stores " + number(bits) + "-bit samples in " + number(container) + "-byte containers";
        return nullptr;
      }
      layout.containerBytes = static_cast<int>(container);
      layout.bits = static_cast<int>(bits);
      layout.rightJustified = !(flags & 0x10);  // audio in the high bits only when marked so
      info.format = {Container::Caf, layout.isFloat ? Encoding::Float : Encoding::Int, layout.bits};
      info.channels = static_cast<int>(channels);
      info.sampleRate = rate;
      haveDescription = true;
    }
    pos = body + size;
  }
  info.frames = static_cast<int64_t>(dataBytes / (static_cast<uint64_t>(info.channels) * layout.containerBytes));
  return finishOpen(std::move(in), info, layout, dataStart, error);
}

}  // namespace audio::detail
