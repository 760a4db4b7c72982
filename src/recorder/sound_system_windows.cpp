// The wave functions of Windows (winmm): the default input and output, PCM as the recorder
// asks for it. Finished buffers are collected by a timer on the thread that opened them, so
// that bytes reach the sink there and nothing is done inside the driver's own callbacks.
#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <list>
#include <vector>

#include "recorder/sound_system.h"

namespace hb {
namespace {

constexpr int kPollMs = 40;
constexpr int kBuffers = 4;
// A device that fills no buffer for this long while capturing has gone (pulled out, or its
// driver ended); the wave functions themselves do not always say so.
constexpr int kStallMs = 3000;

WAVEFORMATEX waveFormat(const AudioFormat& f) {
    WAVEFORMATEX w{};
    w.wFormatTag = f.sample == SampleFormat::Float32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    w.nChannels = WORD(f.channels);
    w.nSamplesPerSec = DWORD(f.samplesPerSecond);
    w.wBitsPerSample = WORD(f.bitsPerSample);
    w.nBlockAlign = WORD(f.blockAlign());
    w.nAvgBytesPerSec = DWORD(f.bytesPerSecond());
    return w;
}

class WaveInput : public QObject, public AudioInput {
  public:
    WaveInput(CaptureSink sink, CaptureLost lost) : sink_(std::move(sink)), lost_(std::move(lost)) {
        connect(&poll_, &QTimer::timeout, this, [this] { collect(); });
    }

    ~WaveInput() override {
        stopped_ = true;  // the owner may be half gone: nothing reaches the sink any more
        if (!device_) return;
        waveInReset(device_);
        for (Buffer& b : buffers_)
            if (b.header.dwFlags & WHDR_PREPARED)
                waveInUnprepareHeader(device_, &b.header, sizeof b.header);
        waveInClose(device_);
    }

    bool open(const AudioFormat& format, int bufferBytes) {
        WAVEFORMATEX w = waveFormat(format);
        if (waveInOpen(&device_, WAVE_MAPPER, &w, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            device_ = nullptr;
            return false;
        }
        // Whole frames, a few buffers in flight so that none is lost while one is handed over.
        const int frame = format.blockAlign();
        const int size = qMax(frame, bufferBytes / kBuffers / frame * frame);
        buffers_.resize(kBuffers);
        for (Buffer& b : buffers_) {
            b.bytes.resize(size_t(size));
            b.header.lpData = b.bytes.data();
            b.header.dwBufferLength = DWORD(size);
            if (waveInPrepareHeader(device_, &b.header, sizeof b.header) != MMSYSERR_NOERROR ||
                waveInAddBuffer(device_, &b.header, sizeof b.header) != MMSYSERR_NOERROR)
                return false;
        }
        if (waveInStart(device_) != MMSYSERR_NOERROR) return false;
        stallBound_ = qMax(kStallMs, 3 * size * 1000 / format.bytesPerSecond());
        sinceFilled_.start();
        poll_.start(kPollMs);
        return true;
    }

    void suspend() override {
        if (stopped_ || broken_) return;
        suspended_ = true;
        waveInStop(device_);  // hands back the buffer being filled, as far as it got
        collect(false);
    }
    void resume() override {
        if (stopped_ || broken_) return;
        suspended_ = false;
        sinceFilled_.start();
        requeue();
        if (!broken_ && waveInStart(device_) != MMSYSERR_NOERROR) breakOff();
    }
    void stop() override {
        if (stopped_) return;
        if (!broken_) {
            waveInReset(device_);
            collect(false);
        }
        stopped_ = true;
        poll_.stop();
    }

  private:
    struct Buffer {
        std::vector<char> bytes;
        WAVEHDR header{};
        bool done = false;  // handed to the sink, waiting to go back to the device
    };

    // The finished buffers, in the order they were queued, which is the order of capture.
    void collect(bool requeueThem = true) {
        if (stopped_ || broken_) return;
        for (;;) {
            Buffer& b = buffers_[next_];
            if (b.done || !(b.header.dwFlags & WHDR_DONE)) break;
            b.done = true;
            next_ = (next_ + 1) % buffers_.size();
            sinceFilled_.start();
            if (b.header.dwBytesRecorded > 0)
                sink_(QByteArrayView(b.header.lpData, qsizetype(b.header.dwBytesRecorded)));
            if (stopped_) return;
        }
        if (requeueThem) requeue();
        if (!broken_ && !suspended_ && sinceFilled_.elapsed() > stallBound_) breakOff();
    }

    void requeue() {
        for (Buffer& b : buffers_) {
            if (!b.done) continue;
            b.done = false;
            b.header.dwBytesRecorded = 0;
            b.header.dwFlags &= ~WHDR_DONE;
            if (waveInAddBuffer(device_, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
                breakOff();
                return;
            }
        }
    }

    // The device went away: what was captured reaches the sink; the owner hears once.
    void breakOff() {
        waveInReset(device_);
        for (size_t i = 0; i < buffers_.size(); ++i) {
            Buffer& b = buffers_[(next_ + i) % buffers_.size()];
            if (!b.done && (b.header.dwFlags & WHDR_DONE) && b.header.dwBytesRecorded > 0)
                sink_(QByteArrayView(b.header.lpData, qsizetype(b.header.dwBytesRecorded)));
            b.done = true;
            if (stopped_) return;
        }
        broken_ = true;
        poll_.stop();
        QTimer::singleShot(0, this, [this] {
            if (!stopped_ && lost_) lost_(CaptureFault::Gone);
        });
    }

    CaptureSink sink_;
    CaptureLost lost_;
    HWAVEIN device_ = nullptr;
    std::vector<Buffer> buffers_;
    size_t next_ = 0;
    QTimer poll_;
    QElapsedTimer sinceFilled_;
    int stallBound_ = kStallMs;
    bool suspended_ = false;
    bool stopped_ = false;
    bool broken_ = false;
};

// One sound, from its own copy of the samples; deleting it silences it at once.
class WaveSound : public QObject, public PlayingSound {
  public:
    WaveSound(const QByteArray& samples, std::function<void()> finished)
        : samples_(samples), finished_(std::move(finished)) {
        connect(&poll_, &QTimer::timeout, this, [this] {
            // A device gone mid-sound may never hand the buffer back.
            if (!(header_.dwFlags & WHDR_DONE) && playing_.elapsed() < bound_) return;
            poll_.stop();
            finished_();
        });
    }
    ~WaveSound() override {
        if (!device_) return;
        waveOutReset(device_);
        if (header_.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(device_, &header_, sizeof header_);
        waveOutClose(device_);
    }
    bool start(const AudioFormat& format) {
        WAVEFORMATEX w = waveFormat(format);
        if (waveOutOpen(&device_, WAVE_MAPPER, &w, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            device_ = nullptr;
            return false;
        }
        header_.lpData = samples_.data();
        header_.dwBufferLength = DWORD(samples_.size());
        if (waveOutPrepareHeader(device_, &header_, sizeof header_) != MMSYSERR_NOERROR ||
            waveOutWrite(device_, &header_, sizeof header_) != MMSYSERR_NOERROR)
            return false;
        bound_ = samples_.size() * 1000 / format.bytesPerSecond() + kStallMs;
        playing_.start();
        poll_.start(kPollMs);
        return true;
    }

  private:
    QByteArray samples_;
    std::function<void()> finished_;
    HWAVEOUT device_ = nullptr;
    WAVEHDR header_{};
    QTimer poll_;
    QElapsedTimer playing_;
    qint64 bound_ = 0;
};

}  // namespace

std::unique_ptr<AudioInput> openSoundInput(const AudioFormat& format, int bufferBytes,
                                           CaptureSink sink, CaptureLost lost) {
    auto input = std::make_unique<WaveInput>(std::move(sink), std::move(lost));
    if (!input->open(format, bufferBytes)) return nullptr;
    return input;
}

std::unique_ptr<PlayingSound> playSound(const AudioFormat& format, const QByteArray& samples,
                                        std::function<void()> finished) {
    auto sound = std::make_unique<WaveSound>(samples, std::move(finished));
    if (samples.isEmpty() || !sound->start(format)) return nullptr;
    return sound;
}

}  // namespace hb
