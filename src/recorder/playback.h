#pragma once
#include <QString>

namespace hb {

class AudioDevices;

enum class PlayResult { Playing, NotASound, NoOutputDevice };

// Plays a RIFF/WAVE file with a non-empty "data" chunk once on the default output and
// returns at once; sounds started earlier keep playing. Any other content plays nothing.
PlayResult playSoundFile(AudioDevices* devices, const QString& path);
// Stops every sound playSoundFile started.
void stopSound(AudioDevices* devices);

}  // namespace hb
