#pragma once
// What capture and playback share about their own connections to the sound server.
#include <pulse/pulseaudio.h>

#include <atomic>

#include "recorder/audio_devices.h"

namespace hb::pulse {

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
