#include <QAudioDevice>
#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>
#include <list>

#include "recorder/audio_devices.h"

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

class QtAudioInput : public AudioInput {
  public:
    QtAudioInput(const QAudioDevice& device, const QAudioFormat& format, CaptureSink sink)
        : source_(device, format), sink_(std::move(sink)) {}

    bool start(int bufferBytes) {
        source_.setBufferSize(bufferBytes);
        io_ = source_.start();
        if (!io_ || source_.error() != QAudio::NoError) return false;
        QObject::connect(io_, &QIODevice::readyRead, &source_, [this] { drain(); });
        return true;
    }
    void suspend() override {
        drain();
        source_.suspend();
        drain();
    }
    void resume() override { source_.resume(); }
    void stop() override {
        drain();
        source_.stop();
        io_ = nullptr;
    }

  private:
    void drain() {
        if (!io_) return;
        const QByteArray bytes = io_->readAll();
        if (!bytes.isEmpty()) sink_(bytes);
    }

    QAudioSource source_;
    CaptureSink sink_;
    QIODevice* io_ = nullptr;
};

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

struct QtAudioDevices::Players {
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

QtAudioDevices::QtAudioDevices() : players_(std::make_unique<Players>()) {}

QtAudioDevices::~QtAudioDevices() {
    stopPlayback();
}

std::unique_ptr<AudioInput> QtAudioDevices::openInput(const AudioFormat& format, int bufferBytes,
                                                      CaptureSink sink) {
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    const QAudioFormat qtFormat = toQt(format);
    if (device.isNull() || !device.isFormatSupported(qtFormat)) return nullptr;
    auto input = std::make_unique<QtAudioInput>(device, qtFormat, std::move(sink));
    if (!input->start(bufferBytes)) return nullptr;
    return input;
}

bool QtAudioDevices::play(const AudioFormat& format, const QByteArray& samples) {
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

void QtAudioDevices::stopPlayback() {
    auto list = std::move(players_->list);
    players_->list.clear();
    for (auto& p : list) {
        p->sink.disconnect();
        p->sink.stop();
    }
}

int QtAudioDevices::playing() const {
    return static_cast<int>(players_->list.size());
}

}  // namespace hb
