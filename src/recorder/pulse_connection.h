#pragma once
// What capture and playback share about their own connections to the sound server.
#include <pulse/pulseaudio.h>

#include <atomic>

#include "recorder/audio_devices.h"

namespace hb::pulse {

// How long connecting to the server and opening a stream may take.
constexpr pa_usec_t kOpenTimeout = 5 * PA_USEC_PER_SEC;

// With the loop locked: a connection to the default server whose state changes reach changed,
// which must signal the loop. Null when it cannot even be asked for.
inline pa_context* connectContext(pa_threaded_mainloop* loop, pa_context_notify_cb_t changed,
                                  void* owner) {
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "hengbi");
    if (!context) return nullptr;
    pa_context_set_state_callback(context, changed, owner);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        pa_context_unref(context);
        return nullptr;
    }
    return context;
}

// The opening of a connection and its stream, with the loop locked, bounded by kOpenTimeout
// as a whole: a server that accepts and then says nothing does not hold the caller.
class Opening {
  public:
    Opening(pa_threaded_mainloop* loop, pa_context* context)
        : loop_(loop),
          timeout_(pa_context_rttime_new(context, pa_rtclock_now() + kOpenTimeout,
                                         &Opening::timedOut, this)) {}
    ~Opening() {
        if (timeout_) pa_threaded_mainloop_get_api(loop_)->time_free(timeout_);
    }
    Opening(const Opening&) = delete;
    Opening& operator=(const Opening&) = delete;

    bool ready(pa_context* context) {
        return waitFor([context] {
            const pa_context_state_t state = pa_context_get_state(context);
            return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
        });
    }
    bool ready(pa_stream* stream) {
        return waitFor([stream] {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
        });
    }

  private:
    // Waits on the loop until step says 1 (done) or -1 (failed); false when it fails or the
    // time is up.
    template <class Step>
    bool waitFor(Step step) {
        for (;;) {
            const int now = step();
            if (now != 0) return now > 0;
            if (timedOut_) return false;
            pa_threaded_mainloop_wait(loop_);
        }
    }
    static void timedOut(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
        auto* opening = static_cast<Opening*>(self);
        opening->timedOut_ = true;
        pa_threaded_mainloop_signal(opening->loop_, 0);
    }

    pa_threaded_mainloop* loop_;
    pa_time_event* timeout_;
    std::atomic<bool> timedOut_ = false;
};

// Invalid (pa_sample_spec_valid) for a format the server has no name for.
inline pa_sample_spec sampleSpec(const AudioFormat& f) {
    pa_sample_format_t sample = PA_SAMPLE_INVALID;
    switch (f.sample) {
        case SampleFormat::Unsigned8:
            sample = PA_SAMPLE_U8;
            break;
        case SampleFormat::Signed16:
            sample = PA_SAMPLE_S16LE;
            break;
        case SampleFormat::Signed32:
            sample = PA_SAMPLE_S32LE;
            break;
        case SampleFormat::Float32:
            sample = PA_SAMPLE_FLOAT32LE;
            break;
    }
    return {sample, static_cast<uint32_t>(f.samplesPerSecond), static_cast<uint8_t>(f.channels)};
}

// Ends the stream, the connection and the loop; no callback runs afterwards. closing is
// raised first, under the loop's lock, so that callbacks can tell an end from a break.
inline void close(pa_threaded_mainloop* loop, pa_context* context, pa_stream* stream,
                  std::atomic<bool>& closing) {
    if (!loop) return;
    pa_threaded_mainloop_lock(loop);
    closing = true;
    if (stream) {
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

}  // namespace hb::pulse
