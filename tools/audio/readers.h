#pragma once
// The readers of each container, chosen by audio_file.cpp from the first
// bytes of a stream. Each checks its header against the stream's size and
// returns null and *error when it is broken. Internal to the library.
#include <memory>
#include <string>

#include "audio/audio_file.h"
#include "audio/byte_io.h"

namespace audio::detail {

std::unique_ptr<AudioReader> openWav(std::unique_ptr<ByteReader> in, std::string* error);
std::unique_ptr<AudioReader> openWave64(std::unique_ptr<ByteReader> in, std::string* error);
std::unique_ptr<AudioReader> openAiff(std::unique_ptr<ByteReader> in, std::string* error);
std::unique_ptr<AudioReader> openCaf(std::unique_ptr<ByteReader> in, std::string* error);
std::unique_ptr<AudioReader> openFlac(std::unique_ptr<ByteReader> in, std::string* error);

std::unique_ptr<AudioWriter> createPcmWriter(std::ostream& out, const Format& format, int channels, int sampleRate,
                                             std::string* error);
std::unique_ptr<AudioWriter> createFlacWriter(std::ostream& out, const Format& format, int channels, int sampleRate,
                                              std::string* error);

// The GUIDs of Wave64's chunks: a four-letter code and a fixed tail.
extern const uint8_t kWave64Riff[16], kWave64Wave[16], kWave64Fmt[16], kWave64Data[16];

// The largest channel count any of the containers can hold (16-bit fields).
constexpr int kMaxChannels = 65535;

}  // namespace audio::detail
