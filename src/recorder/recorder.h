#pragma once
// The sound recorder of the main window: captures the default input into blocks of whole
// frames, kept in memory from one start to the next, and writes them as a WAV file.
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "recorder/audio_devices.h"

namespace hb {

class Recorder {
  public:
    // What one capture buffer holds; a block is at most this long.
    static constexpr int kBufferBytes = 4096;

    explicit Recorder(AudioDevices& devices);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Channels 1 or 2; 8000, 11025, 22050 or 44100 samples per second; 8 or 16 bits.
    // Anything else is refused and the format stays as it was.
    bool setFormat(int channels, int samplesPerSecond, int bitsPerSample);
    AudioFormat format() const { return format_; }

    // False, changing nothing, when the default input cannot capture the format. Otherwise
    // the earlier recording is discarded and capture starts.
    bool start();
    void pause();
    void resume();
    // Keeps what was captured up to now; does nothing when nothing is open.
    void stop();
    // Stops and closes the device, then writes the header and every block through a save
    // file: an existing file is replaced only by a complete one. With overwrite false an
    // existing file is left alone. On failure *error (when given) says why.
    bool saveTo(const QString& path, bool overwrite, QString* error = nullptr);

    // Called when the device gives out during a recording: the recorder has stopped as by
    // stop(), keeping what was captured.
    void setOnDeviceLost(std::function<void(CaptureFault)> onLost) {
        onDeviceLost_ = std::move(onLost);
    }

    bool isCapturing() const { return state_ == State::Capturing; }
    // The recording: blocks of whole frames in capture order, and their format.
    const std::vector<QByteArray>& blocks() const { return blocks_; }
    AudioFormat recordedFormat() const { return recorded_; }
    qint64 recordedBytes() const { return recordedBytes_; }

  private:
    enum class State { Closed, Capturing, Paused, Stopped };

    void append(QByteArrayView bytes);
    void handBack();
    void inputLost(CaptureFault fault);

    AudioDevices& devices_;
    AudioFormat format_;
    AudioFormat recorded_;
    std::unique_ptr<AudioInput> input_;
    // Stopped works as the stop flag: what the device hands back while it is being reset
    // is kept, anything arriving later is dropped.
    State state_ = State::Closed;
    std::vector<QByteArray> blocks_;
    QByteArray buffer_;  // the capture buffer being filled
    qint64 recordedBytes_ = 0;
    std::function<void(CaptureFault)> onDeviceLost_;
};

}  // namespace hb
