#include "audio/byte_io.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace audio::detail {

namespace {
constexpr size_t kBufferBytes = 1 << 16;
}

ByteReader::ByteReader(std::unique_ptr<std::istream> in) : in_(std::move(in)), buffer_(kBufferBytes) {
  if (!in_ || !*in_) return;
  in_->seekg(0, std::ios::end);
  const std::streamoff end = in_->tellg();
  in_->seekg(0, std::ios::beg);
  if (end >= 0 && *in_) size_ = static_cast<int64_t>(end);
}

bool ByteReader::seek(int64_t position) {
  if (position < 0 || position > size_) return false;
  if (position >= bufferStart_ && position <= bufferStart_ + static_cast<int64_t>(length_)) {
    offset_ = static_cast<size_t>(position - bufferStart_);
    return true;
  }
  in_->clear();
  in_->seekg(static_cast<std::streamoff>(position));
  bufferStart_ = position;
  offset_ = length_ = 0;
  return static_cast<bool>(*in_);
}

bool ByteReader::refill() {
  bufferStart_ += static_cast<int64_t>(length_);
  offset_ = length_ = 0;
  if (bufferStart_ >= size_) return false;
  in_->read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(buffer_.size()));
  length_ = static_cast<size_t>(std::max<std::streamsize>(0, in_->gcount()));
  return length_ > 0;
}

bool ByteReader::read(uint8_t* data, size_t count) {
  while (count > 0) {
    if (offset_ == length_) {
      if (count >= buffer_.size()) {
        // Large reads go straight to the caller's memory.
        bufferStart_ += static_cast<int64_t>(length_);
        offset_ = length_ = 0;
        in_->read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(count));
        const auto got = static_cast<size_t>(std::max<std::streamsize>(0, in_->gcount()));
        bufferStart_ += static_cast<int64_t>(got);
        return got == count;
      }
      if (!refill()) return false;
    }
    const size_t n = std::min(count, length_ - offset_);
    std::memcpy(data, buffer_.data() + offset_, n);
    offset_ += n;
    data += n;
    count -= n;
  }
  return true;
}

namespace {

uint64_t loadUnsigned(const uint8_t* p, int bytes, bool bigEndian) {
  uint64_t value = 0;
  if (bigEndian) {
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  } else {
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  }
  return value;
}

void storeUnsigned(uint64_t value, uint8_t* p, int bytes, bool bigEndian) {
  for (int i = 0; i < bytes; ++i) {
    const auto byte = static_cast<uint8_t>(value >> (8 * i));
    p[bigEndian ? bytes - 1 - i : i] = byte;
  }
}

// Sign-extends the low `bits` bits of `value`.
int64_t signExtend(uint64_t value, int bits) {
  return static_cast<int64_t>(value << (64 - bits)) >> (64 - bits);
}

}  // namespace

void decodePcm(const PcmLayout& layout, const uint8_t* stored, double* out, size_t count) {
  const int bytes = layout.containerBytes;
  if (layout.isFloat) {
    for (size_t i = 0; i < count; ++i, stored += bytes) {
      const uint64_t raw = loadUnsigned(stored, bytes, layout.bigEndian);
      out[i] = bytes == 4 ? static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(raw)))
                          : std::bit_cast<double>(raw);
    }
    return;
  }
  // Integers: the value of the audio bits over 2^(bits - 1). For high-aligned
  // audio that is the whole container over 2^(containerBits - 1), since the
  // bits below the audio are zero in a well-formed file.
  const int containerBits = bytes * 8;
  const int valueBits = layout.rightJustified ? layout.bits : containerBits;
  const double scale = 1.0 / std::ldexp(1.0, valueBits - 1);
  const int64_t offset = layout.isUnsigned ? int64_t{1} << (containerBits - 1) : 0;
  for (size_t i = 0; i < count; ++i, stored += bytes) {
    const uint64_t raw = loadUnsigned(stored, bytes, layout.bigEndian);
    const int64_t value = layout.isUnsigned ? static_cast<int64_t>(raw) - offset : signExtend(raw, valueBits);
    out[i] = static_cast<double>(value) * scale;
  }
}

int64_t quantize(double x, int bits) {
  const double full = std::ldexp(1.0, bits - 1);
  const double scaled = x * full;
  if (std::isnan(scaled)) return 0;
  if (scaled >= full - 1) return static_cast<int64_t>(full - 1);
  if (scaled <= -full) return static_cast<int64_t>(-full);
  const double rounded = std::floor(scaled);
  const double fraction = scaled - rounded;  // exact: |scaled| < 2^31
  const auto value = static_cast<int64_t>(rounded);
  return fraction > 0.5 || (fraction == 0.5 && (value & 1) != 0) ? value + 1 : value;
}

void encodePcm(const PcmLayout& layout, const double* in, uint8_t* stored, size_t count) {
  const int bytes = layout.containerBytes;
  if (layout.isFloat) {
    for (size_t i = 0; i < count; ++i, stored += bytes) {
      const uint64_t raw = bytes == 4 ? std::bit_cast<uint32_t>(static_cast<float>(in[i])) : std::bit_cast<uint64_t>(in[i]);
      storeUnsigned(raw, stored, bytes, layout.bigEndian);
    }
    return;
  }
  const int containerBits = bytes * 8;
  const int shift = layout.rightJustified ? 0 : containerBits - layout.bits;
  for (size_t i = 0; i < count; ++i, stored += bytes) {
    int64_t value = quantize(in[i], layout.bits) * (int64_t{1} << shift);
    if (layout.isUnsigned) value += int64_t{1} << (containerBits - 1);
    storeUnsigned(static_cast<uint64_t>(value), stored, bytes, layout.bigEndian);
  }
}

std::string streamFailure(const char* what) {
  std::string text = what;
  if (errno != 0) text.append(" (").append(std::strerror(errno)).append(")");
  return text;
}

}  // namespace audio::detail
