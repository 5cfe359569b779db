// FLAC encoder: fixed-size blocks, each channel coded as CONSTANT, VERBATIM
// or a FIXED predictor of order 0 to 4 (the one with the smallest residual
// sum), with wasted bits removed and the residual Rice coded in the partition
// order and parameters that make it shortest by an estimate from the sums of
// its partitions (escaped to raw bits where that is shorter still). Stereo blocks take the cheapest of left/right,
// left/side, right/side and mid/side. STREAMINFO's MD5 is left 0 (unknown).
#include <algorithm>
#include <bit>
#include <limits>
#include <ostream>

#include "audio/flac_common.h"
#include "audio/readers.h"

namespace audio::detail {
namespace {

using namespace flac;

class BitWriter {
 public:
  // The low n bits of value, n from 0 to 32.
  void put(uint64_t value, int n) {
    if (n == 0) return;
    acc_ = acc_ << n | (value & (~uint64_t{0} >> (64 - n)));
    pending_ += n;
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes.push_back(static_cast<uint8_t>(acc_ >> pending_));
    }
  }
  // n from 0 to 33.
  void putSigned(int64_t value, int n) {
    if (n > 32) {
      put(static_cast<uint64_t>(value) >> 32, n - 32);
      n = 32;
    }
    put(static_cast<uint64_t>(value), n);
  }
  void putUnary(uint64_t zeros) {
    for (; zeros >= 32; zeros -= 32) put(0, 32);
    put(1, static_cast<int>(zeros) + 1);
  }
  void alignToByte() {
    if (pending_ > 0) put(0, 8 - pending_);
  }

  std::vector<uint8_t> bytes;

 private:
  uint64_t acc_ = 0;
  int pending_ = 0;
};

uint64_t zigzag(int64_t value) { return value < 0 ? (static_cast<uint64_t>(-(value + 1)) << 1) | 1 : static_cast<uint64_t>(value) << 1; }

// Bits of a two's complement number that holds `value` (0 for 0).
int signedBits(int64_t value) {
  if (value == 0) return 0;
  return static_cast<int>(std::bit_width(static_cast<uint64_t>(value < 0 ? ~value : value))) + 1;
}

struct Partition {
  int parameter = 0;  // Rice parameter, or -1: escaped to raw bits
  int rawBits = 0;
};

// How one channel of a block is coded, and what it costs in bits.
struct Subframe {
  enum Kind { Constant, Verbatim, Fixed } kind = Verbatim;
  int bits = 0;    // sample bits after the wasted ones are removed
  int wasted = 0;
  int order = 0;
  int partitionOrder = 0;
  bool rice2 = false;
  std::vector<Partition> partitions;
  std::vector<int64_t> samples;   // shifted right by `wasted`
  std::vector<int64_t> residual;  // of `order`, from index `order`
  uint64_t cost = 0;
};

class FlacWriter final : public AudioWriter {
 public:
  FlacWriter(std::ostream& out, int channels, int bits, int sampleRate)
      : out_(out), channels_(channels), bits_(bits), sampleRate_(sampleRate), pending_(static_cast<size_t>(channels)) {}

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
  void applyBlockSize(int frames) override { blockSize_ = std::clamp(frames, 16, kMaxBlockSize); }

  bool writeFrames(const double* interleaved, int64_t frames) override {
    for (int64_t i = 0; i < frames; ++i) {
      for (int c = 0; c < channels_; ++c)
        pending_[static_cast<size_t>(c)].push_back(quantize(interleaved[i * channels_ + c], bits_));
      if (static_cast<int>(pending_[0].size()) == blockSize_ && !encodeBlock()) return false;
    }
    return true;
  }

  bool finishStream() override {
    if (!pending_[0].empty() && !encodeBlock()) return false;
    const std::streampos end = out_.tellp();
    out_.seekp(start_);
    writeHeader();
    out_.seekp(end);
    out_.flush();
    return out_ ? true : fail(streamFailure("writing failed"));
  }

 private:
  void writeHeader();
  bool encodeBlock();
  Subframe plan(const std::vector<int64_t>& samples, int bits) const;
  void encodeSubframe(const Subframe& subframe, BitWriter& w) const;

  std::ostream& out_;
  int channels_, bits_, sampleRate_;
  int blockSize_ = 4096;
  std::vector<std::vector<int64_t>> pending_;
  std::streampos start_ = 0;
  uint64_t totalSamples_ = 0, frameNumber_ = 0;
  uint32_t minFrameBytes_ = 0, maxFrameBytes_ = 0;
};

// "fLaC" and STREAMINFO, the only metadata block.
void FlacWriter::writeHeader() {
  ByteSink s;
  s.raw("fLaC", 4);
  s.be(0x80, 1);  // last metadata block, type STREAMINFO
  s.be(34, 3);
  s.be(static_cast<uint64_t>(blockSize_), 2);
  s.be(static_cast<uint64_t>(blockSize_), 2);
  s.be(minFrameBytes_, 3);
  s.be(maxFrameBytes_, 3);
  const uint64_t total = totalSamples_ < (uint64_t{1} << 36) ? totalSamples_ : 0;  // 0: unknown
  s.be(static_cast<uint64_t>(sampleRate_) << 44 | static_cast<uint64_t>(channels_ - 1) << 41 |
           static_cast<uint64_t>(bits_ - 1) << 36 | total,
       8);
  s.zeros(16);  // MD5 of the audio: not computed
  out_.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
}

Subframe FlacWriter::plan(const std::vector<int64_t>& x, int bits) const {
  Subframe sub;
  const int n = static_cast<int>(x.size());
  if (std::all_of(x.begin(), x.end(), [&](int64_t v) { return v == x[0]; })) {
    sub.kind = Subframe::Constant;
    sub.bits = bits;
    sub.samples.assign(1, x[0]);
    sub.cost = 8 + static_cast<uint64_t>(bits);
    return sub;
  }
  uint64_t any = 0;
  for (int64_t v : x) any |= static_cast<uint64_t>(v);
  sub.wasted = std::min(std::countr_zero(any), bits - 1);
  sub.bits = bits - sub.wasted;
  sub.samples.resize(x.size());
  for (size_t i = 0; i < x.size(); ++i) sub.samples[i] = x[i] >> sub.wasted;
  const uint64_t header = 8 + static_cast<uint64_t>(sub.wasted);
  sub.kind = Subframe::Verbatim;
  sub.cost = header + static_cast<uint64_t>(n) * static_cast<uint64_t>(sub.bits);

  // Fixed predictor residuals are successive differences; keep the order
  // with the smallest absolute sum whose residual fits in 32 bits.
  std::vector<int64_t> diff = sub.samples;
  int bestOrder = -1;
  uint64_t bestSum = std::numeric_limits<uint64_t>::max();
  for (int order = 0; order <= std::min(4, n - 1); ++order) {
    if (order > 0)
      for (int i = n - 1; i >= order; --i) diff[static_cast<size_t>(i)] -= diff[static_cast<size_t>(i - 1)];
    uint64_t sum = 0;
    bool fits = true;
    for (int i = order; i < n; ++i) {
      const int64_t r = diff[static_cast<size_t>(i)];
      if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) fits = false;
      sum += static_cast<uint64_t>(r < 0 ? -r : r);
    }
    if (fits && sum < bestSum) {
      bestSum = sum;
      bestOrder = order;
    }
  }
  if (bestOrder < 0) return sub;
  std::vector<int64_t>& best = diff;  // the residual of bestOrder, made again
  best = sub.samples;
  for (int order = 1; order <= bestOrder; ++order)
    for (int i = n - 1; i >= order; --i) best[static_cast<size_t>(i)] -= best[static_cast<size_t>(i - 1)];

  // The partition order and parameters that code the residual shortest.
  // Sums and widths are taken once for the finest partitions and merged in
  // pairs for the coarser ones; a partition of `count` residuals summing to
  // `sum` costs at most count * (k + 1) + (sum >> k) bits with parameter k.
  const int order = bestOrder;
  int finest = 0;
  while (finest < 8 && ((n >> (finest + 1)) << (finest + 1)) == n && (n >> (finest + 1)) >= order &&
         (n >> (finest + 1)) > 0)
    ++finest;
  struct Sums {
    uint64_t count = 0, sum = 0;
    int raw = 0;
  };
  std::vector<Sums> level(static_cast<size_t>(1) << finest);
  for (int i = order; i < n; ++i) {
    Sums& part = level[static_cast<size_t>(i / (n >> finest))];
    const int64_t r = best[static_cast<size_t>(i)];
    ++part.count;
    part.sum += zigzag(r);
    part.raw = std::max(part.raw, signedBits(r));
  }
  uint64_t bestCost = std::numeric_limits<uint64_t>::max();
  Subframe chosen;
  for (int p = finest; p >= 0; --p) {
    if (p < finest) {
      for (size_t k = 0; k < level.size() / 2; ++k) {
        const Sums a = level[2 * k], b = level[2 * k + 1];
        level[k] = {a.count + b.count, a.sum + b.sum, std::max(a.raw, b.raw)};
      }
      level.resize(level.size() / 2);
    }
    std::vector<Partition> parts(level.size());
    std::vector<uint64_t> riceCost(parts.size()), rawCost(parts.size());
    bool needsRice2 = false;
    for (size_t k = 0; k < parts.size(); ++k) {
      const Sums& part = level[k];
      const uint64_t mean = part.count > 0 ? part.sum / part.count : 0;
      const int guess = mean > 0 ? static_cast<int>(std::bit_width(mean)) - 1 : 0;
      riceCost[k] = std::numeric_limits<uint64_t>::max();
      for (int parameter = std::max(0, guess - 1); parameter <= std::min(30, guess + 1); ++parameter) {
        const uint64_t cost = part.count * static_cast<uint64_t>(parameter + 1) + (part.sum >> parameter);
        if (cost < riceCost[k]) {
          riceCost[k] = cost;
          parts[k].parameter = parameter;
        }
      }
      // The escape's 5-bit width field reaches 31 bits.
      rawCost[k] = part.raw <= 31 ? 5 + part.count * static_cast<uint64_t>(part.raw) : std::numeric_limits<uint64_t>::max();
      parts[k].rawBits = part.raw;
      needsRice2 |= parts[k].parameter > 14;
    }
    const int parameterBits = needsRice2 ? 5 : 4;
    uint64_t cost = header + static_cast<uint64_t>(order) * static_cast<uint64_t>(sub.bits) + 6;
    for (size_t k = 0; k < parts.size(); ++k) {
      if (rawCost[k] < riceCost[k]) parts[k].parameter = -1;
      cost += static_cast<uint64_t>(parameterBits) + std::min(rawCost[k], riceCost[k]);
    }
    if (cost < bestCost) {
      bestCost = cost;
      chosen.partitionOrder = p;
      chosen.rice2 = needsRice2;
      chosen.partitions = std::move(parts);
    }
  }
  if (bestCost >= sub.cost) return sub;
  sub.kind = Subframe::Fixed;
  sub.order = order;
  sub.partitionOrder = chosen.partitionOrder;
  sub.rice2 = chosen.rice2;
  sub.partitions = std::move(chosen.partitions);
  sub.residual = std::move(best);
  sub.cost = bestCost;
  return sub;
}

void FlacWriter::encodeSubframe(const Subframe& sub, BitWriter& w) const {
  const unsigned type = sub.kind == Subframe::Constant ? 0 : sub.kind == Subframe::Verbatim ? 1 : 8 + sub.order;
  w.put(type << 1 | (sub.wasted > 0 ? 1 : 0), 8);
  if (sub.wasted > 0) w.putUnary(static_cast<uint64_t>(sub.wasted - 1));
  if (sub.kind == Subframe::Constant) {
    w.putSigned(sub.samples[0], sub.bits);
    return;
  }
  if (sub.kind == Subframe::Verbatim) {
    for (int64_t v : sub.samples) w.putSigned(v, sub.bits);
    return;
  }
  for (int i = 0; i < sub.order; ++i) w.putSigned(sub.samples[static_cast<size_t>(i)], sub.bits);
  w.put(sub.rice2 ? 1 : 0, 2);
  w.put(static_cast<uint64_t>(sub.partitionOrder), 4);
  const int parameterBits = sub.rice2 ? 5 : 4;
  const int n = static_cast<int>(sub.samples.size());
  const int size = n >> sub.partitionOrder;
  size_t at = static_cast<size_t>(sub.order);
  for (size_t k = 0; k < sub.partitions.size(); ++k) {
    const Partition& part = sub.partitions[k];
    const size_t count = static_cast<size_t>(k == 0 ? size - sub.order : size);
    if (part.parameter < 0) {
      w.put((1u << parameterBits) - 1, parameterBits);  // escape
      w.put(static_cast<uint64_t>(part.rawBits), 5);
      for (size_t i = 0; i < count; ++i) w.putSigned(sub.residual[at + i], part.rawBits);
    } else {
      w.put(static_cast<uint64_t>(part.parameter), parameterBits);
      for (size_t i = 0; i < count; ++i) {
        const uint64_t u = zigzag(sub.residual[at + i]);
        w.putUnary(u >> part.parameter);
        w.put(u, part.parameter);
      }
    }
    at += count;
  }
}

bool FlacWriter::encodeBlock() {
  const int n = static_cast<int>(pending_[0].size());
  // The channels as coded: independent, or a stereo pair with a side channel.
  std::vector<Subframe> subframes;
  unsigned channelCode = static_cast<unsigned>(channels_ - 1);
  if (channels_ == 2) {
    const std::vector<int64_t>& left = pending_[0];
    const std::vector<int64_t>& right = pending_[1];
    std::vector<int64_t> side(static_cast<size_t>(n)), mid(static_cast<size_t>(n));
    for (size_t i = 0; i < side.size(); ++i) {
      side[i] = left[i] - right[i];
      mid[i] = (left[i] + right[i]) >> 1;
    }
    Subframe l = plan(left, bits_), r = plan(right, bits_), s = plan(side, bits_ + 1), m = plan(mid, bits_);
    const uint64_t costs[] = {l.cost + r.cost, l.cost + s.cost, s.cost + r.cost, m.cost + s.cost};
    const int choice = static_cast<int>(std::min_element(std::begin(costs), std::end(costs)) - std::begin(costs));
    switch (choice) {
      case 0: subframes = {std::move(l), std::move(r)}; break;
      case 1: subframes = {std::move(l), std::move(s)}; channelCode = kLeftSide; break;
      case 2: subframes = {std::move(s), std::move(r)}; channelCode = kRightSide; break;
      default: subframes = {std::move(m), std::move(s)}; channelCode = kMidSide; break;
    }
  } else {
    for (const auto& channel : pending_) subframes.push_back(plan(channel, bits_));
  }

  BitWriter w;
  w.put(0xFFF8, 16);  // sync code, fixed block size
  unsigned blockCode = 0;
  if (n == 192) blockCode = 1;
  for (unsigned c = 2; c <= 5; ++c)
    if (n == (576 << (c - 2))) blockCode = c;
  for (unsigned c = 8; c <= 15; ++c)
    if (n == (256 << (c - 8))) blockCode = c;
  if (blockCode == 0) blockCode = n <= 256 ? 6 : 7;
  unsigned rateCode = 0;
  for (unsigned c = 1; c < kRateCodes.size(); ++c)
    if (kRateCodes[c] == sampleRate_) rateCode = c;
  if (rateCode == 0) {
    if (sampleRate_ % 1000 == 0 && sampleRate_ / 1000 <= 255) rateCode = 12;
    else if (sampleRate_ <= 65535) rateCode = 13;
    else if (sampleRate_ % 10 == 0 && sampleRate_ / 10 <= 65535) rateCode = 14;
  }
  unsigned bitsCode = 0;
  for (unsigned c = 1; c < kBitsCodes.size(); ++c)
    if (kBitsCodes[c] == bits_) bitsCode = c;
  w.put(blockCode << 4 | rateCode, 8);
  w.put(channelCode << 4 | bitsCode << 1, 8);
  // The frame number, coded like UTF-8.
  const uint64_t number = frameNumber_;
  if (number < 0x80) {
    w.put(number, 8);
  } else {
    int bytes = 2;
    while (bytes < 7 && number >= (uint64_t{1} << (5 * bytes + 1))) ++bytes;
    const unsigned lead = (0xFF00u >> bytes) & 0xFF;
    w.put(lead | (number >> (6 * (bytes - 1))), 8);
    for (int i = bytes - 2; i >= 0; --i) w.put(0x80 | ((number >> (6 * i)) & 0x3F), 8);
  }
  if (blockCode == 6) w.put(static_cast<uint64_t>(n - 1), 8);
  if (blockCode == 7) w.put(static_cast<uint64_t>(n - 1), 16);
  if (rateCode == 12) w.put(static_cast<uint64_t>(sampleRate_ / 1000), 8);
  if (rateCode == 13) w.put(static_cast<uint64_t>(sampleRate_), 16);
  if (rateCode == 14) w.put(static_cast<uint64_t>(sampleRate_ / 10), 16);
  uint8_t crc8 = 0;
  for (uint8_t byte : w.bytes) crc8 = updateCrc8(crc8, byte);
  w.put(crc8, 8);

  for (const Subframe& sub : subframes) encodeSubframe(sub, w);
  w.alignToByte();
  uint16_t crc16 = 0;
  for (uint8_t byte : w.bytes) crc16 = updateCrc16(crc16, byte);
  w.put(crc16, 16);

  out_.write(reinterpret_cast<const char*>(w.bytes.data()), static_cast<std::streamsize>(w.bytes.size()));
  if (!out_) return fail(streamFailure("writing failed"));
  const auto frameBytes = static_cast<uint32_t>(std::min<size_t>(w.bytes.size(), 0xFFFFFF));
  minFrameBytes_ = frameNumber_ == 0 ? frameBytes : std::min(minFrameBytes_, frameBytes);
  maxFrameBytes_ = std::max(maxFrameBytes_, frameBytes);
  ++frameNumber_;
  totalSamples_ += static_cast<uint64_t>(n);
  for (auto& channel : pending_) channel.clear();
  return true;
}

}  // namespace

std::unique_ptr<AudioWriter> createFlacWriter(std::ostream& out, const Format& format, int channels, int sampleRate,
                                              std::string* error) {
  if (format.encoding != Encoding::Int || format.bits < 4 || format.bits > 32) {
    *error = "FLAC holds 4- to 32-bit integer samples, not " + describe(format);
    return nullptr;
  }
  if (channels > flac::kMaxChannels) {
    *error = "FLAC holds at most 8 channels";
    return nullptr;
  }
  if (sampleRate > 0xFFFFF) {
    *error = "FLAC cannot hold a sample rate of " + std::to_string(sampleRate) + " Hz";
    return nullptr;
  }
  auto writer = std::make_unique<FlacWriter>(out, channels, format.bits, sampleRate);
  if (!writer->start(error)) return nullptr;
  return writer;
}

}  // namespace audio::detail
