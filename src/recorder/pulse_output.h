#pragma once
#include <QByteArray>
#include <functional>
#include <memory>

#include "recorder/audio_devices.h"

namespace hb {

// A sound being played; deleting it silences it at once.
class PlayingSound {
  public:
    virtual ~PlayingSound() = default;
};

// Plays the samples once on the default sink of the sound server, over a connection of its
// own, so that a server started or restarted after the program is found. finished runs once,
// on the calling thread, when the sound has played out or its stream broke; its owner deletes
// the sound later, not from inside the call. Null when there is no server or it refuses the
// format.
std::unique_ptr<PlayingSound> playPulseSound(const AudioFormat& format, const QByteArray& samples,
                                             std::function<void()> finished);

}  // namespace hb
