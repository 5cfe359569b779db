#pragma once
// Byte-level helpers of the audio library: a buffered reader that knows the
// size of its stream, byte order, and the conversion of stored samples to
// and from doubles. Internal to the library.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace audio::detail {

inline uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p) { return le16(p) | static_cast<uint32_t>(le16(p + 2)) << 16; }
inline uint64_t le64(const uint8_t* p) { return le32(p) | static_cast<uint64_t>(le32(p + 4)) << 32; }
inline uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t be32(const uint8_t* p) { return static_cast<uint32_t>(be16(p)) << 16 | be16(p + 2); }
inline uint64_t be64(const uint8_t* p) { return static_cast<uint64_t>(be32(p)) << 32 | be32(p + 4); }

// Appends integers in either byte order to a byte vector.
struct ByteSink {
  std::vector<uint8_t> bytes;
  void raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  void le(uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void be(uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
};

// Reads a seekable stream through a buffer, and knows its size, so that a
// header field can be checked against the bytes that are really there.
class ByteReader {
 public:
  explicit ByteReader(std::unique_ptr<std::istream> in);
  // False when the stream could not be measured (not open, or not seekable).
  bool ok() const { return size_ >= 0; }
  int64_t size() const { return size_; }
  int64_t position() const { return bufferStart_ + static_cast<int64_t>(offset_); }
  int64_t remaining() const { return size_ - position(); }
  // Moves to `position` (0 to size()); false outside.
  bool seek(int64_t position);
  // Reads exactly `count` bytes; false (and an undefined position) when fewer are there.
  bool read(uint8_t* data, size_t count);
  // The next byte, or -1 at the end.
  int get() {
    if (offset_ == length_ && !refill()) return -1;
    return buffer_[offset_++];
  }

 private:
  bool refill();

  std::unique_ptr<std::istream> in_;
  int64_t size_ = -1;
  int64_t bufferStart_ = 0;  // stream position of buffer_[0]
  std::vector<uint8_t> buffer_;
  size_t offset_ = 0, length_ = 0;
};

// How samples are stored in an uncompressed file.
struct PcmLayout {
  int containerBytes = 4;  // 1 to 4 for integers, 4 or 8 for floats
  int bits = 32;           // bits that carry audio, at most containerBytes * 8
  bool isFloat = false;
  bool bigEndian = false;
  bool isUnsigned = false;      // offset binary (8-bit WAV)
  bool rightJustified = false;  // audio in the low `bits` of the container (else the high ones)
};

// `count` stored samples to doubles: integers divided by 2^(bits - 1).
void decodePcm(const PcmLayout& layout, const uint8_t* stored, double* out, size_t count);
// `count` doubles to stored samples (integers as quantize() makes them).
void encodePcm(const PcmLayout& layout, const double* in, uint8_t* stored, size_t count);

// The integer of `bits` bits nearest to x * 2^(bits - 1), ties to even,
// clipped to [-2^(bits-1), 2^(bits-1) - 1]; NaN gives 0. The same on every
// platform (no dependence on the floating-point environment).
int64_t quantize(double x, int bits);

// "writing failed", with the system's reason when it gave one.
std::string streamFailure(const char* what);

}  // namespace audio::detail
