#pragma once
// The WAV files of the recorder: a 44-byte header and the samples, nothing else.
#include <QByteArray>
#include <optional>

#include "recorder/audio_devices.h"

namespace hb {

inline constexpr int kWavHeaderBytes = 44;
// The header's sizes are 32-bit: the most sample bytes a file can carry.
inline constexpr qint64 kWavMaxDataBytes = 0xFFFFFFFFLL - 36;

// PCM header for dataBytes of samples (at most kWavMaxDataBytes).
QByteArray wavHeader(const AudioFormat& format, qint64 dataBytes);

struct WavSound {
    AudioFormat format;
    QByteArray samples;
};

// A RIFF/WAVE file's playable samples: PCM or IEEE float with a non-empty "data" chunk.
// Nothing for any other content.
std::optional<WavSound> readWavSound(const QByteArray& file);

}  // namespace hb
