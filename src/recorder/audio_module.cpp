// The module of the sound back-end: libpulse loads with it.
#include "recorder/audio_devices.h"

extern "C" __attribute__((visibility("default"))) hb::AudioDevices* hengbiCreateAudioDevices() {
    return new hb::DesktopAudioDevices;
}
