#pragma once
// What the FLAC decoder and encoder share: the frame checksums and the codes
// of a frame header. Internal to the library.
#include <array>
#include <cstdint>

namespace audio::detail::flac {

// CRC-8 (polynomial x^8 + x^2 + x + 1) of a frame header and CRC-16
// (x^16 + x^15 + x^2 + 1) of a whole frame, both starting at 0.
struct CrcTables {
  std::array<uint8_t, 256> crc8{};
  std::array<uint16_t, 256> crc16{};
  constexpr CrcTables() {
    for (int i = 0; i < 256; ++i) {
      unsigned c8 = static_cast<unsigned>(i);
      unsigned c16 = static_cast<unsigned>(i) << 8;
      for (int bit = 0; bit < 8; ++bit) {
        c8 = (c8 & 0x80) ? (c8 << 1) ^ 0x07 : c8 << 1;
        c16 = (c16 & 0x8000) ? (c16 << 1) ^ 0x8005 : c16 << 1;
      }
      crc8[i] = static_cast<uint8_t>(c8);
      crc16[i] = static_cast<uint16_t>(c16);
    }
  }
};
inline constexpr CrcTables kCrc;

inline uint8_t updateCrc8(uint8_t crc, uint8_t byte) { return kCrc.crc8[crc ^ byte]; }
inline uint16_t updateCrc16(uint16_t crc, uint8_t byte) {
  return static_cast<uint16_t>(crc << 8) ^ kCrc.crc16[(crc >> 8) ^ byte];
}

// Sample rates of the frame header's codes 1 to 11.
inline constexpr std::array<int, 12> kRateCodes = {0,     88200, 176400, 192000, 8000,  16000,
                                                   22050, 24000, 32000,  44100,  48000, 96000};
// Bits per sample of the frame header's codes 1 to 7 (0: reserved).
inline constexpr std::array<int, 8> kBitsCodes = {0, 8, 12, 0, 16, 20, 24, 32};

enum ChannelCode { kLeftSide = 8, kRightSide = 9, kMidSide = 10 };

inline constexpr int kMaxBlockSize = 65535;
inline constexpr int kMaxChannels = 8;

}  // namespace audio::detail::flac
