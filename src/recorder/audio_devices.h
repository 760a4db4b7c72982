#pragma once
// The sound input and output of the desktop: the recorder and playback reach the sound
// server only through AudioDevices, so that tests can feed and watch them.
#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <memory>

namespace hb {

enum class SampleFormat { Unsigned8, Signed16, Signed32, Float32 };

struct AudioFormat {
    int channels = 1;
    int samplesPerSecond = 8000;
    int bitsPerSample = 16;
    SampleFormat sample = SampleFormat::Signed16;

    int blockAlign() const { return channels * bitsPerSample / 8; }
    int bytesPerSecond() const { return blockAlign() * samplesPerSecond; }
};

// An open capture stream on the default input. Captured bytes reach the sink in capture
// order, on the thread that opened the stream; so does the news that the stream broke.
class AudioInput {
  public:
    virtual ~AudioInput() = default;
    // Hand what has been captured to the sink first, then stop capturing. Neither waits for
    // the server: one that does not answer in time ends the stream as NotResponding.
    virtual void suspend() = 0;
    virtual void resume() = 0;
    // Hands what has been captured to the sink; nothing reaches it afterwards.
    virtual void stop() = 0;
};

using CaptureSink = std::function<void(QByteArrayView bytes)>;
enum class CaptureFault {
    Gone,          // sound server gone, device removed
    NotResponding  // the server took too long to answer a pause or a continue
};
// The stream broke: what was captured before has reached the sink, nothing follows. Called
// at most once; its owner deletes the input later, not from inside the call.
using CaptureLost = std::function<void(CaptureFault)>;

class AudioDevices {
  public:
    virtual ~AudioDevices() = default;
    // Opens the default input and starts capturing; null when it cannot capture the format.
    virtual std::unique_ptr<AudioInput> openInput(const AudioFormat& format, int bufferBytes,
                                                  CaptureSink sink, CaptureLost lost) = 0;
    // Starts playing the samples on the default output and returns at once; earlier sounds
    // keep playing. False when no output device can play them.
    virtual bool play(const AudioFormat& format, const QByteArray& samples) = 0;
    // Stops every sound that play() started.
    virtual void stopPlayback() = 0;
};

// The desktop's sound server (PulseAudio, or PipeWire's PulseAudio service), through libpulse
// with a new connection per recording and per sound, so that a server started or restarted
// after the program is found. Create it on the GUI thread, after the application object.
class DesktopAudioDevices : public AudioDevices {
  public:
    DesktopAudioDevices();
    ~DesktopAudioDevices() override;
    std::unique_ptr<AudioInput> openInput(const AudioFormat& format, int bufferBytes,
                                          CaptureSink sink, CaptureLost lost) override;
    bool play(const AudioFormat& format, const QByteArray& samples) override;
    void stopPlayback() override;
    // Sounds still playing.
    int playing() const;

  private:
    struct Players;
    std::unique_ptr<Players> players_;
};

}  // namespace hb
