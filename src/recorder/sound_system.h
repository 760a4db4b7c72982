#pragma once
// The system's sound functions behind DesktopAudioDevices: libpulse on Linux, the wave
// functions on Windows.
#include <QByteArray>
#include <functional>
#include <memory>

#include "recorder/audio_devices.h"

namespace hb {

// The default input, recording the format; null when there is none that records it. On
// Linux a connection of its own to the sound server, so that a server started or restarted
// after the program is found.
std::unique_ptr<AudioInput> openSoundInput(const AudioFormat& format, int bufferBytes,
                                           CaptureSink sink, CaptureLost lost);

// A sound being played; deleting it silences it at once.
class PlayingSound {
  public:
    virtual ~PlayingSound() = default;
};

// Plays the samples once on the default output (on Linux over a connection of its own).
// finished runs once, on the calling thread, when the sound has played out or its device
// went away; its owner deletes the sound later, not from inside the call. Null when there is
// no output or it refuses the format.
std::unique_ptr<PlayingSound> playSound(const AudioFormat& format, const QByteArray& samples,
                                        std::function<void()> finished);

}  // namespace hb
