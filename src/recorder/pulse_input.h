#pragma once
#include <memory>

#include "recorder/audio_devices.h"

namespace hb {

// The default source of the sound server, over a connection of its own; null when there is
// no server or no source that records the format.
std::unique_ptr<AudioInput> openPulseInput(const AudioFormat& format, int bufferBytes,
                                           CaptureSink sink, CaptureLost lost);

}  // namespace hb
