#include <QTimer>
#include <list>

#include "recorder/audio_devices.h"
#include "recorder/sound_system.h"

namespace hb {

struct DesktopAudioDevices::Players {
    std::list<std::unique_ptr<PlayingSound>> list;

    void finished(PlayingSound* p) {
        // Called from the sound's own queued call: delete it once that call has returned.
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->get() != p) continue;
            PlayingSound* done = it->release();
            list.erase(it);
            QTimer::singleShot(0, [done] { delete done; });
            return;
        }
    }
};

DesktopAudioDevices::DesktopAudioDevices() : players_(std::make_unique<Players>()) {}

DesktopAudioDevices::~DesktopAudioDevices() {
    stopPlayback();
}

std::unique_ptr<AudioInput> DesktopAudioDevices::openInput(const AudioFormat& format,
                                                           int bufferBytes, CaptureSink sink,
                                                           CaptureLost lost) {
    return openSoundInput(format, bufferBytes, std::move(sink), std::move(lost));
}

bool DesktopAudioDevices::play(const AudioFormat& format, const QByteArray& samples) {
    auto slot = std::make_shared<PlayingSound*>(nullptr);
    std::unique_ptr<PlayingSound> sound = playSound(format, samples, [this, slot] {
        if (*slot) players_->finished(*slot);
    });
    if (!sound) return false;
    *slot = sound.get();
    players_->list.push_back(std::move(sound));
    return true;
}

void DesktopAudioDevices::stopPlayback() {
    players_->list.clear();
}

int DesktopAudioDevices::playing() const {
    return static_cast<int>(players_->list.size());
}

}  // namespace hb
