#include "recorder/playback.h"

#include "platform/files.h"
#include "recorder/audio_devices.h"
#include "recorder/wav.h"

namespace hb {

PlayResult playSoundFile(AudioDevices* devices, const QString& path) {
    const std::optional<WavSound> sound = readWavSound(readFileBytes(path));
    if (!sound) return PlayResult::NotASound;
    if (!devices || !devices->play(sound->format, sound->samples))
        return PlayResult::NoOutputDevice;
    return PlayResult::Playing;
}

void stopSound(AudioDevices* devices) {
    if (devices) devices->stopPlayback();
}

}  // namespace hb
