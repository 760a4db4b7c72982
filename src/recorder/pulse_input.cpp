#include "recorder/sound_system.h"

#include <QMutex>
#include <QObject>
#include <QTimer>
#include <atomic>

#include "recorder/pulse_connection.h"

namespace hb {
namespace {

// How long a pause or a continue may go unanswered before the recording is given up.
constexpr int kAnswerBoundMs = 3000;

// One recording's own connection: libpulse calls back on its loop thread; bytes and the
// news of a broken stream are handed to the GUI thread through queued calls on this object.
class PulseInput : public QObject, public AudioInput {
  public:
    PulseInput(CaptureSink sink, CaptureLost lost)
        : sink_(std::move(sink)), lost_(std::move(lost)) {}

    ~PulseInput() override {
        stopped_ = true;  // the owner may be half gone: nothing reaches the sink any more
        pulse::close(loop_, context_, stream_, closing_);
    }

    bool open(const AudioFormat& format, int fragmentBytes) {
        const pa_sample_spec sampleSpec = pulse::sampleSpec(format);
        if (!pa_sample_spec_valid(&sampleSpec)) return false;
        loop_ = pa_threaded_mainloop_new();
        if (!loop_ || pa_threaded_mainloop_start(loop_) < 0) return false;
        pa_threaded_mainloop_lock(loop_);
        const bool ok = connect(sampleSpec, fragmentBytes);
        if (ok) opened_ = true;
        pa_threaded_mainloop_unlock(loop_);
        return ok;
    }

    void suspend() override {
        cork(true);
        deliver();
    }
    void resume() override { cork(false); }
    void stop() override {
        if (stopped_) return;
        if (stream_) {
            pa_threaded_mainloop_lock(loop_);
            closing_ = true;
            pa_stream_disconnect(stream_);
            pa_threaded_mainloop_unlock(loop_);
        }
        deliver();
        stopped_ = true;
    }

  private:
    // With the loop locked.
    bool connect(const pa_sample_spec& sampleSpec, int fragmentBytes) {
        context_ = pulse::connectContext(loop_, &PulseInput::contextChanged, this);
        if (!context_) return false;
        pulse::Opening opening(loop_, context_);
        if (!opening.ready(context_)) return false;
        stream_ = pa_stream_new(context_, "询问笔录录音", &sampleSpec, nullptr);
        if (!stream_) return false;
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(fragmentBytes);
        pa_stream_set_state_callback(stream_, &PulseInput::streamChanged, this);
        pa_stream_set_read_callback(stream_, &PulseInput::readable, this);
        if (pa_stream_connect_record(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) != 0 ||
            !opening.ready(stream_))
            return false;
        // The server moves the stream elsewhere when its source goes (a monitor, say): that is
        // the end of this recording all the same.
        source_ = pa_stream_get_device_index(stream_);
        pa_context_set_subscribe_callback(context_, &PulseInput::sourceEvent, this);
        if (pa_operation* op =
                pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr))
            pa_operation_unref(op);
        return true;
    }

    // Waiting for the answer here would hold the window for as long as a hung server likes.
    void cork(bool on) {
        if (stopped_ || !stream_) return;
        pa_threaded_mainloop_lock(loop_);
        if (pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, &PulseInput::corked, this))
            pa_operation_unref(op);
        const int asked = ++corksAsked_;
        pa_threaded_mainloop_unlock(loop_);
        QTimer::singleShot(kAnswerBoundMs, this, [this, asked] {
            if (corksAnswered_ < asked) reportLost(CaptureFault::NotResponding);
        });
    }

    // GUI thread.
    void deliver() {
        QByteArray bytes;
        {
            QMutexLocker lock(&mutex_);
            bytes.swap(pending_);
            deliveryQueued_ = false;
        }
        if (!stopped_ && !bytes.isEmpty()) sink_(bytes);
    }

    void reportLost(CaptureFault fault) {
        if (stopped_) return;
        deliver();
        stopped_ = true;
        if (lost_) lost_(fault);
    }

    // Loop thread, from here on.
    void broke() {
        if (!opened_ || closing_ || broken_.exchange(true)) return;
        QMetaObject::invokeMethod(
            this, [this] { reportLost(CaptureFault::Gone); }, Qt::QueuedConnection);
    }

    static void contextChanged(pa_context* c, void* self) {
        auto* in = static_cast<PulseInput*>(self);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) in->broke();
        pa_threaded_mainloop_signal(in->loop_, 0);
    }
    static void streamChanged(pa_stream* s, void* self) {
        auto* in = static_cast<PulseInput*>(self);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s))) in->broke();
        pa_threaded_mainloop_signal(in->loop_, 0);
    }
    static void sourceEvent(pa_context*, pa_subscription_event_type_t type, uint32_t index,
                            void* self) {
        auto* in = static_cast<PulseInput*>(self);
        if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SOURCE &&
            (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE &&
            index == in->source_)
            in->broke();
    }
    static void corked(pa_stream*, int, void* self) {
        ++static_cast<PulseInput*>(self)->corksAnswered_;
    }
    static void readable(pa_stream* s, size_t, void* self) {
        auto* in = static_cast<PulseInput*>(self);
        bool queue = false;
        const void* data = nullptr;
        size_t size = 0;
        while (pa_stream_readable_size(s) > 0 && pa_stream_peek(s, &data, &size) == 0 && size) {
            {
                QMutexLocker lock(&in->mutex_);
                // A hole in the stream is silence of its length.
                if (data)
                    in->pending_.append(static_cast<const char*>(data),
                                        static_cast<qsizetype>(size));
                else
                    in->pending_.append(static_cast<qsizetype>(size), '\0');
                queue = !std::exchange(in->deliveryQueued_, true);
            }
            pa_stream_drop(s);
        }
        if (queue)
            QMetaObject::invokeMethod(
                in, [in] { in->deliver(); }, Qt::QueuedConnection);
    }

    CaptureSink sink_;
    CaptureLost lost_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    uint32_t source_ = PA_INVALID_INDEX;  // the source the recording began on
    QMutex mutex_;
    QByteArray pending_;           // captured, not yet handed to the sink
    bool deliveryQueued_ = false;  // under mutex_
    std::atomic<bool> opened_ = false;
    std::atomic<bool> closing_ = false;
    std::atomic<bool> broken_ = false;
    std::atomic<int> corksAnswered_ = 0;
    int corksAsked_ = 0;    // GUI thread
    bool stopped_ = false;  // GUI thread
};

}  // namespace

std::unique_ptr<AudioInput> openSoundInput(const AudioFormat& format, int bufferBytes,
                                           CaptureSink sink, CaptureLost lost) {
    auto input = std::make_unique<PulseInput>(std::move(sink), std::move(lost));
    // Fragments of a quarter buffer: a stop loses at most that much of the end.
    if (!input->open(format, qMax(format.blockAlign(), bufferBytes / 4))) return nullptr;
    return input;
}

}  // namespace hb
