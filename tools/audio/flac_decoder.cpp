// FLAC decoder: STREAMINFO, then frame by frame (CONSTANT, VERBATIM, FIXED
// and LPC subframes, wasted bits, Rice and Rice2 partitioned residuals with
// escapes, the three stereo decorrelations), with the CRC-8 of every frame
// header and the CRC-16 of every frame checked. An ID3v2 tag in front of the
// stream is skipped.
//
// Samples are kept as 64-bit integers: a side channel of 32-bit audio needs
// 33 bits. Every restored sample is checked against its bit depth, which also
// bounds the predictor sums far below overflow.
#include <algorithm>
#include <bit>
#include <cstring>

#include "audio/flac_common.h"
#include "audio/readers.h"

namespace audio::detail {
namespace {

using namespace flac;

// Reads bits from the stream, a byte at a time and only as needed, so that
// the checksums cover exactly the bytes a frame consumed.
class BitReader {
 public:
  explicit BitReader(ByteReader& in) : in_(in) {}

  void startFrame() {
    crc8_ = 0;
    crc16_ = 0;
    bits_ = 0;
  }
  uint8_t crc8() const { return crc8_; }
  uint16_t crc16() const { return crc16_; }

  // n from 0 to 32.
  bool read(int n, uint32_t* value) {
    while (bits_ < n)
      if (!load()) return false;
    bits_ -= n;
    *value = n == 0 ? 0 : static_cast<uint32_t>((cache_ >> bits_) & (~uint64_t{0} >> (64 - n)));
    return true;
  }
  // A two's complement number of n bits, n from 0 to 33.
  bool readSigned(int n, int64_t* value) {
    uint32_t high = 0, low = 0;
    if (n > 32 ? !(read(n - 32, &high) && read(32, &low)) : !read(n, &low)) return false;
    if (n == 0) {
      *value = 0;
      return true;
    }
    const uint64_t raw = static_cast<uint64_t>(high) << 32 | low;
    *value = static_cast<int64_t>(raw << (64 - n)) >> (64 - n);
    return true;
  }
  // Counts zero bits up to the next one bit (consumed too); false past `limit` zeros.
  bool readUnary(uint32_t limit, uint32_t* zeros) {
    uint32_t count = 0;
    for (;;) {
      if (bits_ == 0 && !load()) return false;
      const uint64_t pending = cache_ & (~uint64_t{0} >> (64 - bits_));
      if (pending == 0) {
        count += static_cast<uint32_t>(bits_);
        bits_ = 0;
        if (count > limit) return false;
        continue;
      }
      const int lead = bits_ - static_cast<int>(std::bit_width(pending));
      count += static_cast<uint32_t>(lead);
      bits_ -= lead + 1;
      if (count > limit) return false;
      *zeros = count;
      return true;
    }
  }
  // Drops the bits up to the next byte boundary.
  void alignToByte() { bits_ -= bits_ % 8; }

 private:
  bool load() {
    const int byte = in_.get();
    if (byte < 0) return false;
    cache_ = cache_ << 8 | static_cast<uint64_t>(byte);
    bits_ += 8;
    crc8_ = updateCrc8(crc8_, static_cast<uint8_t>(byte));
    crc16_ = updateCrc16(crc16_, static_cast<uint8_t>(byte));
    return true;
  }

  ByteReader& in_;
  uint64_t cache_ = 0;
  int bits_ = 0;  // unread bits at the bottom of cache_ (below 8 between reads)
  uint8_t crc8_ = 0;
  uint16_t crc16_ = 0;
};

struct StreamInfo {
  int channels = 0, bits = 0, sampleRate = 0;
  uint64_t totalSamples = 0;  // 0: not known
};

class FlacReader final : public AudioReader {
 public:
  FlacReader(std::unique_ptr<ByteReader> in, const StreamInfo& stream)
      : in_(std::move(in)), bits_(*in_), stream_(stream) {
    info_.format = {Container::Flac, Encoding::Int, stream.bits};
    info_.channels = stream.channels;
    info_.sampleRate = stream.sampleRate;
    info_.frames = stream.totalSamples > 0 ? static_cast<int64_t>(stream.totalSamples) : -1;
  }

 protected:
  int64_t readFrames(double* out, int64_t frames) override {
    if (position_ == blockSize_) {
      if (stream_.totalSamples > 0 && decoded_ >= stream_.totalSamples) return 0;
      if (in_->remaining() == 0) {
        if (stream_.totalSamples > 0)
          return fail("the stream ends after " + std::to_string(decoded_) + " of the " +
                      std::to_string(stream_.totalSamples) + " frames it announces");
        return 0;
      }
      const int64_t frameStart = in_->position();
      std::string why;
      if (!decodeFrame(&why)) return fail("the FLAC frame at byte " + std::to_string(frameStart) + " " + why);
      position_ = 0;
    }
    const int64_t n = std::min<int64_t>(frames, blockSize_ - position_);
    const int channels = stream_.channels;
    const double scale = 1.0 / static_cast<double>(int64_t{1} << (stream_.bits - 1));
    for (int c = 0; c < channels; ++c) {
      const int64_t* from = samples_[static_cast<size_t>(c)].data() + position_;
      for (int64_t i = 0; i < n; ++i) out[i * channels + c] = static_cast<double>(from[i]) * scale;
    }
    position_ += static_cast<int>(n);
    return n;
  }

 private:
  bool decodeFrame(std::string* why);
  bool decodeSubframe(int bits, int64_t* out, std::string* why);
  bool decodeResidual(int order, int64_t* out, std::string* why);

  std::unique_ptr<ByteReader> in_;
  BitReader bits_;
  StreamInfo stream_;
  std::vector<std::vector<int64_t>> samples_;
  int blockSize_ = 0, position_ = 0;  // frames in the current block, and delivered of them
  uint64_t decoded_ = 0;
};

bool FlacReader::decodeFrame(std::string* why) {
  const auto bad = [why](const char* text) {
    *why = text;
    return false;
  };
  const auto truncated = [why]() {
    *why = "is truncated";
    return false;
  };
  bits_.startFrame();
  uint32_t sync, codes, layout;
  if (!bits_.read(16, &sync) || !bits_.read(8, &codes) || !bits_.read(8, &layout)) return truncated();
  if ((sync & 0xFFFE) != 0xFFF8) return bad("does not start with a frame sync code");
  const bool variableBlocks = sync & 1;
  const unsigned blockCode = codes >> 4, rateCode = codes & 15;
  const unsigned channelCode = layout >> 4, bitsCode = (layout >> 1) & 7;
  if (blockCode == 0 || rateCode == 15 || channelCode > kMidSide || bitsCode == 3 || (layout & 1))
    return bad("has a reserved code in its header");

  // The frame or sample number, coded like UTF-8 (up to 36 bits).
  uint32_t first;
  if (!bits_.read(8, &first)) return truncated();
  const int ones = std::countl_one(static_cast<uint8_t>(first));
  if (ones == 1 || ones > 7 || (ones == 7 && !variableBlocks)) return bad("has a malformed frame number");
  for (int i = 1; i < ones; ++i) {
    uint32_t next;
    if (!bits_.read(8, &next)) return truncated();
    if ((next & 0xC0) != 0x80) return bad("has a malformed frame number");
  }

  uint32_t blockSize = 0;
  if (blockCode == 1) {
    blockSize = 192;
  } else if (blockCode <= 5) {
    blockSize = 576u << (blockCode - 2);
  } else if (blockCode <= 7) {
    if (!bits_.read(blockCode == 6 ? 8 : 16, &blockSize)) return truncated();
    blockSize += 1;
  } else {
    blockSize = 256u << (blockCode - 8);
  }
  if (rateCode >= 12) {
    uint32_t rate;
    if (!bits_.read(rateCode == 12 ? 8 : 16, &rate)) return truncated();
  }
  const uint8_t headerCrc = bits_.crc8();
  uint32_t storedCrc;
  if (!bits_.read(8, &storedCrc)) return truncated();
  if (storedCrc != headerCrc) return bad("fails its header checksum");

  const int channels = channelCode < 8 ? static_cast<int>(channelCode) + 1 : 2;
  if (channels != stream_.channels) return bad("has another channel count than the stream");
  const int bits = bitsCode == 0 ? stream_.bits : kBitsCodes[bitsCode];
  if (bits != stream_.bits) return bad("has another sample size than the stream");

  samples_.resize(static_cast<size_t>(channels));
  for (int c = 0; c < channels; ++c) {
    // The side channel of a stereo pair has one bit more.
    const bool side = (c == 1 && (channelCode == kLeftSide || channelCode == kMidSide)) ||
                      (c == 0 && channelCode == kRightSide);
    samples_[static_cast<size_t>(c)].resize(blockSize);
    blockSize_ = static_cast<int>(blockSize);
    if (!decodeSubframe(bits + (side ? 1 : 0), samples_[static_cast<size_t>(c)].data(), why)) return false;
  }
  if (channelCode >= kLeftSide) {
    int64_t* a = samples_[0].data();
    int64_t* b = samples_[1].data();
    for (uint32_t i = 0; i < blockSize; ++i) {
      if (channelCode == kLeftSide) {
        b[i] = a[i] - b[i];  // right = left - side
      } else if (channelCode == kRightSide) {
        a[i] = a[i] + b[i];  // left = side + right
      } else {
        const int64_t side = b[i];
        const int64_t mid = a[i] * 2 + (side & 1);
        a[i] = (mid + side) >> 1;
        b[i] = (mid - side) >> 1;
      }
    }
  }
  bits_.alignToByte();
  const uint16_t frameCrc = bits_.crc16();
  uint32_t storedFrameCrc;
  if (!bits_.read(16, &storedFrameCrc)) return truncated();
  if (storedFrameCrc != frameCrc) return bad("fails its checksum");

  // A stream that announces its length ends there, even inside a block.
  if (stream_.totalSamples > 0 && decoded_ + blockSize > stream_.totalSamples)
    blockSize_ = static_cast<int>(stream_.totalSamples - decoded_);
  decoded_ += static_cast<uint64_t>(blockSize_);
  return true;
}

bool FlacReader::decodeSubframe(int bits, int64_t* out, std::string* why) {
  const auto bad = [why](const char* text) {
    *why = text;
    return false;
  };
  const auto truncated = [why]() {
    *why = "is truncated";
    return false;
  };
  const int blockSize = blockSize_;
  uint32_t header;
  if (!bits_.read(8, &header)) return truncated();
  if (header & 0x80) return bad("has a subframe with a nonzero padding bit");
  const unsigned type = (header >> 1) & 63;
  int wasted = 0;
  if (header & 1) {
    uint32_t zeros;
    if (!bits_.readUnary(static_cast<uint32_t>(bits), &zeros)) return truncated();
    wasted = static_cast<int>(zeros) + 1;
    if (wasted >= bits) return bad("has a subframe whose wasted bits leave no audio");
    bits -= wasted;
  }

  if (type == 0) {  // CONSTANT
    int64_t value;
    if (!bits_.readSigned(bits, &value)) return truncated();
    std::fill_n(out, blockSize, value);
  } else if (type == 1) {  // VERBATIM
    for (int i = 0; i < blockSize; ++i)
      if (!bits_.readSigned(bits, &out[i])) return truncated();
  } else if ((type >= 8 && type <= 12) || type >= 32) {  // FIXED order 0-4, LPC order 1-32
    const bool lpc = type >= 32;
    const int order = lpc ? static_cast<int>(type) - 31 : static_cast<int>(type) - 8;
    if (order > blockSize) return bad("has a predictor longer than its block");
    for (int i = 0; i < order; ++i)
      if (!bits_.readSigned(bits, &out[i])) return truncated();
    int64_t coefficients[32] = {};
    uint32_t shift = 0;
    if (lpc) {
      uint32_t precision, rawShift;
      if (!bits_.read(4, &precision) || !bits_.read(5, &rawShift)) return truncated();
      if (precision == 15) return bad("has an invalid predictor precision");
      if (rawShift & 16) return bad("has a negative predictor shift");
      shift = rawShift;
      for (int i = 0; i < order; ++i)
        if (!bits_.readSigned(static_cast<int>(precision) + 1, &coefficients[i])) return truncated();
    }
    if (!decodeResidual(order, out, why)) return false;
    const int64_t low = -(int64_t{1} << (bits - 1)), high = (int64_t{1} << (bits - 1)) - 1;
    for (int i = order; i < blockSize; ++i) {
      int64_t prediction = 0;
      if (lpc) {
        for (int j = 0; j < order; ++j) prediction += coefficients[j] * out[i - 1 - j];
        prediction >>= shift;
      } else {
        switch (order) {
          case 1: prediction = out[i - 1]; break;
          case 2: prediction = 2 * out[i - 1] - out[i - 2]; break;
          case 3: prediction = 3 * out[i - 1] - 3 * out[i - 2] + out[i - 3]; break;
          case 4: prediction = 4 * out[i - 1] - 6 * out[i - 2] + 4 * out[i - 3] - out[i - 4]; break;
          default: break;
        }
      }
      out[i] += prediction;
      if (out[i] < low || out[i] > high) return bad("restores a sample outside its bit depth");
    }
  } else {
    return bad("has a reserved subframe type");
  }
  if (wasted > 0)
    for (int i = 0; i < blockSize; ++i) out[i] *= int64_t{1} << wasted;
  return true;
}

// The residual of a predictor of `order`, into out[order] onwards.
bool FlacReader::decodeResidual(int order, int64_t* out, std::string* why) {
  const auto bad = [why](const char* text) {
    *why = text;
    return false;
  };
  const auto truncated = [why]() {
    *why = "is truncated";
    return false;
  };
  uint32_t method, partitionOrder;
  if (!bits_.read(2, &method) || !bits_.read(4, &partitionOrder)) return truncated();
  if (method > 1) return bad("has a reserved residual coding method");
  const int parameterBits = method == 0 ? 4 : 5;
  const uint32_t escape = method == 0 ? 15 : 31;
  const int blockSize = blockSize_;
  const int partitionSize = blockSize >> partitionOrder;
  if ((partitionSize << partitionOrder) != blockSize || partitionSize < order)
    return bad("has a residual partition that does not fit its block");
  int64_t* to = out + order;
  for (uint32_t p = 0; p < (1u << partitionOrder); ++p) {
    const int count = p == 0 ? partitionSize - order : partitionSize;
    uint32_t parameter;
    if (!bits_.read(parameterBits, &parameter)) return truncated();
    if (parameter == escape) {
      uint32_t rawBits;
      if (!bits_.read(5, &rawBits)) return truncated();
      for (int i = 0; i < count; ++i)
        if (!bits_.readSigned(static_cast<int>(rawBits), to++)) return truncated();
      continue;
    }
    for (int i = 0; i < count; ++i) {
      uint32_t quotient, low;
      // A residual is a 32-bit number, so its quotient has at most 32 - parameter bits.
      if (!bits_.readUnary(0xFFFFFFFFu >> parameter, &quotient)) return bad("has a residual beyond 32 bits or is truncated");
      if (!bits_.read(static_cast<int>(parameter), &low)) return truncated();
      const uint64_t folded = static_cast<uint64_t>(quotient) << parameter | low;
      *to++ = static_cast<int64_t>(folded >> 1) ^ -static_cast<int64_t>(folded & 1);
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<AudioReader> openFlac(std::unique_ptr<ByteReader> in, std::string* error) {
  uint8_t head[10];
  int64_t pos = 0;
  if (!in->seek(0) || !in->read(head, 10)) {
    *error = "it is not a FLAC file";
    return nullptr;
  }
  if (std::memcmp(head, "ID3", 3) == 0) {
    // Skip the tag: a 10-byte header, a size of four 7-bit bytes, and a footer if flagged.
    if ((head[6] | head[7] | head[8] | head[9]) & 0x80) {
      *error = "it has a malformed ID3 tag";
      return nullptr;
    }
    const int64_t size = int64_t{head[6]} << 21 | int64_t{head[7]} << 14 | int64_t{head[8]} << 7 | head[9];
    pos = 10 + size + ((head[5] & 0x10) ? 10 : 0);
  }
  uint8_t magic[4];
  if (!in->seek(pos) || !in->read(magic, 4) || std::memcmp(magic, "fLaC", 4) != 0) {
    *error = "it is not a FLAC file";
    return nullptr;
  }
  pos += 4;
  StreamInfo stream;
  for (bool first = true, last = false; !last; first = false) {
    uint8_t block[4];
    if (!in->read(block, 4)) {
      *error = "its metadata is truncated";
      return nullptr;
    }
    last = block[0] & 0x80;
    const int type = block[0] & 0x7F;
    const uint32_t length = static_cast<uint32_t>(block[1]) << 16 | be16(block + 2);
    pos += 4;
    if (first != (type == 0)) {
      *error = "its first metadata block is not STREAMINFO";
      return nullptr;
    }
    if (length > in->size() - pos) {
      *error = "its metadata is truncated";
      return nullptr;
    }
    if (type == 0) {
      uint8_t info[34];
      if (length < 34 || !in->read(info, 34)) {
        *error = "its STREAMINFO block is too short";
        return nullptr;
      }
      const uint64_t packed = be64(info + 10);  // rate 20, channels-1 3, bits-1 5, total 36
      stream.sampleRate = static_cast<int>(packed >> 44);
      stream.channels = static_cast<int>((packed >> 41) & 7) + 1;
      stream.bits = static_cast<int>((packed >> 36) & 31) + 1;
      stream.totalSamples = packed & ((uint64_t{1} << 36) - 1);
      if (stream.sampleRate == 0) {
        *error = "it declares no valid sample rate";
        return nullptr;
      }
      if (stream.bits < 4) {
        *error = "it declares " + std::to_string(stream.bits) + "-bit samples";
        return nullptr;
      }
    }
    pos += length;
    if (!in->seek(pos)) {
      *error = "its metadata is truncated";
      return nullptr;
    }
  }
  if (in->remaining() == 0) {
    *error = "it holds no audio (no frames follow its metadata)";
    return nullptr;
  }
  return std::make_unique<FlacReader>(std::move(in), stream);
}

}  // namespace audio::detail
