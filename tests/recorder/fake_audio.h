#pragma once
// A sound card for tests: the test says what the input captures and watches what plays.
#include <QList>

#include "recorder/audio_devices.h"

namespace hb::test {

class FakeAudioDevices : public AudioDevices {
  public:
    // The open input; null when the recorder closed it.
    struct Input : AudioInput {
        FakeAudioDevices* owner = nullptr;
        CaptureSink sink;
        CaptureLost lost;
        bool capturing = true;
        bool stopped = false;
        QByteArray held;  // captured, not yet handed back
        ~Input() override {
            if (owner->input == this) owner->input = nullptr;
        }
        void suspend() override {
            handBack();
            capturing = false;
        }
        void resume() override { capturing = true; }
        void stop() override {
            handBack();
            capturing = false;
            stopped = true;
        }
        void handBack() {
            if (!held.isEmpty()) sink(std::exchange(held, {}));
        }
    };

    std::unique_ptr<AudioInput> openInput(const AudioFormat& format, int bufferBytes,
                                          CaptureSink sink, CaptureLost lost) override {
        if (!inputAvailable) return nullptr;
        auto in = std::make_unique<Input>();
        in->owner = this;
        in->sink = std::move(sink);
        in->lost = std::move(lost);
        input = in.get();
        opened << format;
        bufferSizes << bufferBytes;
        return in;
    }
    bool play(const AudioFormat& format, const QByteArray& samples) override {
        if (!outputAvailable) return false;
        played << samples;
        playedFormats << format;
        ++playing;
        return true;
    }
    void stopPlayback() override {
        playing = 0;
        ++stops;
    }

    // The input captures bytes; they reach the recorder at the next hand-back.
    void capture(const QByteArray& bytes) {
        if (input && input->capturing) input->held += bytes;
    }
    // The input hands back what it has, as the sound server does every buffer.
    void handBack() {
        if (input) input->handBack();
    }
    void captureAndHandBack(const QByteArray& bytes) {
        capture(bytes);
        handBack();
    }
    // The sound server goes: what was captured is handed back, then the stream breaks.
    void loseInput() {
        if (!input || input->stopped) return;
        handBack();
        input->capturing = false;
        input->stopped = true;
        input->lost(CaptureFault::Gone);
    }

    bool inputAvailable = true;
    bool outputAvailable = true;
    Input* input = nullptr;
    QList<AudioFormat> opened;
    QList<int> bufferSizes;
    QList<QByteArray> played;
    QList<AudioFormat> playedFormats;
    int playing = 0;
    int stops = 0;
};

}  // namespace hb::test
