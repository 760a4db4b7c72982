#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>
#include <list>

#include "recorder/audio_devices.h"
#include "recorder/pulse_input.h"

namespace hb {
namespace {

QAudioFormat toQt(const AudioFormat& f) {
    QAudioFormat q;
    q.setChannelCount(f.channels);
    q.setSampleRate(f.samplesPerSecond);
    switch (f.sample) {
        case SampleFormat::Unsigned8:
            q.setSampleFormat(QAudioFormat::UInt8);
            break;
        case SampleFormat::Signed16:
            q.setSampleFormat(QAudioFormat::Int16);
            break;
        case SampleFormat::Signed32:
            q.setSampleFormat(QAudioFormat::Int32);
            break;
        case SampleFormat::Float32:
            q.setSampleFormat(QAudioFormat::Float);
            break;
    }
    return q;
}

}  // namespace

// One sound on the default output: the sink pulls the samples from a buffer it owns.
struct Player {
    QByteArray samples;
    QBuffer buffer;
    QAudioSink sink;
    Player(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& bytes)
        : samples(bytes), sink(device, format) {
        buffer.setBuffer(&samples);
        buffer.open(QIODevice::ReadOnly);
    }
};

struct DesktopAudioDevices::Players {
    std::list<std::unique_ptr<Player>> list;

    void finished(Player* p) {
        // Called from the sink's own signal: delete it once that signal has returned.
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->get() != p) continue;
            Player* done = it->release();
            list.erase(it);
            done->sink.disconnect();
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
    return openPulseInput(format, bufferBytes, std::move(sink), std::move(lost));
}

bool DesktopAudioDevices::play(const AudioFormat& format, const QByteArray& samples) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat qtFormat = toQt(format);
    if (device.isNull() || !device.isFormatSupported(qtFormat)) return false;
    auto player = std::make_unique<Player>(device, qtFormat, samples);
    Player* p = player.get();
    QObject::connect(&p->sink, &QAudioSink::stateChanged, &p->sink, [this, p](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) players_->finished(p);
    });
    p->sink.start(&p->buffer);
    if (p->sink.error() != QAudio::NoError) return false;
    players_->list.push_back(std::move(player));
    return true;
}

void DesktopAudioDevices::stopPlayback() {
    auto list = std::move(players_->list);
    players_->list.clear();
    for (auto& p : list) {
        p->sink.disconnect();
        p->sink.stop();
    }
}

int DesktopAudioDevices::playing() const {
    return static_cast<int>(players_->list.size());
}

}  // namespace hb
