// The module of the sound back-end: libpulse (winmm on Windows) loads with it.
#include "recorder/audio_devices.h"

extern "C" __attribute__((visibility("default"))) hb::AudioDevices* hengbiCreateAudioDevices() {
    return new hb::DesktopAudioDevices;
}
