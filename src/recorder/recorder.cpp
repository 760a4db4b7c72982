#include "recorder/recorder.h"

#include <QFileInfo>

#include "platform/files.h"
#include "recorder/wav.h"

namespace hb {

Recorder::Recorder(AudioDevices& devices) : devices_(devices) {}

Recorder::~Recorder() = default;

bool Recorder::setFormat(int channels, int samplesPerSecond, int bitsPerSample) {
    const bool ok = (channels == 1 || channels == 2) &&
                    (samplesPerSecond == 8000 || samplesPerSecond == 11025 ||
                     samplesPerSecond == 22050 || samplesPerSecond == 44100) &&
                    (bitsPerSample == 8 || bitsPerSample == 16);
    if (!ok) return false;
    format_.channels = channels;
    format_.samplesPerSecond = samplesPerSecond;
    format_.bitsPerSample = bitsPerSample;
    format_.sample = bitsPerSample == 8 ? SampleFormat::Unsigned8 : SampleFormat::Signed16;
    return true;
}

bool Recorder::start() {
    // Open the new stream before letting go of the old one: a refusal changes nothing.
    std::unique_ptr<AudioInput> input = devices_.openInput(
        format_, kBufferBytes, [this](QByteArrayView bytes) { append(bytes); },
        [this](CaptureFault fault) { inputLost(fault); });
    if (!input) return false;
    input_.reset();
    input_ = std::move(input);
    blocks_.clear();
    blocks_.shrink_to_fit();
    buffer_.clear();
    recordedBytes_ = 0;
    recorded_ = format_;
    state_ = State::Capturing;
    return true;
}

void Recorder::pause() {
    if (state_ != State::Capturing) return;
    input_->suspend();
    state_ = State::Paused;
    handBack();
}

void Recorder::resume() {
    if (state_ != State::Paused) return;
    state_ = State::Capturing;
    input_->resume();
}

void Recorder::stop() {
    if (state_ != State::Capturing && state_ != State::Paused) return;
    input_->stop();
    state_ = State::Stopped;
    handBack();
    buffer_.clear();  // a partial frame cannot be saved
}

bool Recorder::saveTo(const QString& path, bool overwrite, QString* error) {
    if (!overwrite && QFileInfo::exists(path)) {
        if (error) *error = QStringLiteral("文件已存在");
        return false;
    }
    stop();
    input_.reset();
    state_ = State::Closed;
    if (recordedBytes_ > kWavMaxDataBytes) {
        if (error) *error = QStringLiteral("录音超过 WAV 文件能容纳的长度");
        return false;
    }
    // Block by block: the recording is never copied into one second buffer.
    StreamedFile file(path);
    bool ok = file.open() && file.write(wavHeader(recorded_, recordedBytes_));
    for (auto block = blocks_.begin(); ok && block != blocks_.end(); ++block)
        ok = file.write(*block);
    ok = ok && file.commit();
    if (!ok && error) *error = file.error();
    return ok;
}

void Recorder::inputLost(CaptureFault fault) {
    if (state_ != State::Capturing && state_ != State::Paused) return;
    // The input stays until the next start or save: it is the one calling.
    state_ = State::Stopped;
    handBack();
    buffer_.clear();
    if (onDeviceLost_) onDeviceLost_(fault);
}

void Recorder::append(QByteArrayView bytes) {
    // After the reset nothing is queued: a late hand-back has nowhere to go.
    if (state_ != State::Capturing && state_ != State::Paused) return;
    const int whole = kBufferBytes - kBufferBytes % recorded_.blockAlign();
    while (!bytes.isEmpty()) {
        if (buffer_.capacity() < whole) buffer_.reserve(whole);
        const qsizetype room = whole - buffer_.size();
        const qsizetype take = qMin(room, bytes.size());
        buffer_.append(bytes.first(take));
        bytes = bytes.sliced(take);
        if (buffer_.size() == whole) handBack();
    }
}

void Recorder::handBack() {
    const qsizetype frames = buffer_.size() / recorded_.blockAlign();
    if (frames == 0) return;
    const qsizetype bytes = frames * recorded_.blockAlign();
    // The bytes of a frame cut in two stay for the next buffer.
    QByteArray rest = buffer_.mid(bytes);
    buffer_.truncate(bytes);
    recordedBytes_ += bytes;
    blocks_.push_back(std::move(buffer_));
    buffer_ = std::move(rest);
}

}  // namespace hb
