#include "recorder/sound_system.h"

#include <QObject>
#include <atomic>

#include "recorder/pulse_connection.h"

namespace hb {
namespace {

// libpulse calls back on the loop thread; the end of the sound reaches the owner through a
// queued call on this object.
class PulseSound : public QObject, public PlayingSound {
  public:
    PulseSound(const QByteArray& samples, std::function<void()> finished)
        : samples_(samples), finished_(std::move(finished)) {}

    ~PulseSound() override { pulse::close(loop_, context_, stream_, closing_); }

    bool open(const pa_sample_spec& sampleFormat) {
        // The server takes whole frames only.
        samples_.truncate(samples_.size() -
                          samples_.size() % qsizetype(pa_frame_size(&sampleFormat)));
        loop_ = pa_threaded_mainloop_new();
        if (!loop_ || pa_threaded_mainloop_start(loop_) < 0) return false;
        pa_threaded_mainloop_lock(loop_);
        const bool ok = connect(sampleFormat);
        opened_ = ok;
        pa_threaded_mainloop_unlock(loop_);
        return ok;
    }

  private:
    // With the loop locked.
    bool connect(const pa_sample_spec& sampleFormat) {
        context_ = pulse::connectContext(loop_, &PulseSound::changed, this);
        if (!context_) return false;
        pulse::Opening opening(loop_, context_);
        if (!opening.ready(context_)) return false;
        stream_ = pa_stream_new(context_, "录音播放", &sampleFormat, nullptr);
        if (!stream_) return false;
        pa_stream_set_state_callback(stream_, &PulseSound::streamChanged, this);
        pa_stream_set_write_callback(stream_, &PulseSound::writable, this);
        return pa_stream_connect_playback(stream_, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr,
                                          nullptr) == 0 &&
               opening.ready(stream_);
    }

    // Loop thread, from here on.
    void ended() {
        if (closing_ || ended_.exchange(true)) return;
        QMetaObject::invokeMethod(
            this, [this] { finished_(); }, Qt::QueuedConnection);
    }

    static void changed(pa_context* c, void* self) {
        auto* sound = static_cast<PulseSound*>(self);
        if (sound->opened_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) sound->ended();
        pa_threaded_mainloop_signal(sound->loop_, 0);
    }
    static void streamChanged(pa_stream* s, void* self) {
        auto* sound = static_cast<PulseSound*>(self);
        if (sound->opened_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(s))) sound->ended();
        pa_threaded_mainloop_signal(sound->loop_, 0);
    }
    static void writable(pa_stream* s, size_t wanted, void* self) {
        auto* sound = static_cast<PulseSound*>(self);
        const qsizetype left = sound->samples_.size() - sound->written_;
        const qsizetype n = qMin(left, qsizetype(wanted));
        if (n > 0 && pa_stream_write(s, sound->samples_.constData() + sound->written_, size_t(n),
                                     nullptr, 0, PA_SEEK_RELATIVE) == 0)
            sound->written_ += n;
        if (sound->written_ < sound->samples_.size() || sound->draining_) return;
        // All is with the server: the sound has ended once it has played out.
        sound->draining_ = true;
        pa_stream_set_write_callback(s, nullptr, nullptr);
        if (pa_operation* op = pa_stream_drain(s, &PulseSound::drained, self))
            pa_operation_unref(op);
    }
    static void drained(pa_stream*, int, void* self) { static_cast<PulseSound*>(self)->ended(); }

    QByteArray samples_;
    std::function<void()> finished_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    qsizetype written_ = 0;  // loop thread
    bool draining_ = false;  // loop thread
    std::atomic<bool> opened_ = false;
    std::atomic<bool> closing_ = false;
    std::atomic<bool> ended_ = false;
};

}  // namespace

std::unique_ptr<PlayingSound> playSound(const AudioFormat& format, const QByteArray& samples,
                                        std::function<void()> finished) {
    const pa_sample_spec sampleFormat = pulse::sampleSpec(format);
    if (!pa_sample_spec_valid(&sampleFormat)) return nullptr;
    auto sound = std::make_unique<PulseSound>(samples, std::move(finished));
    if (!sound->open(sampleFormat)) return nullptr;
    return sound;
}

}  // namespace hb
