// One hour of recording at 8000 Hz mono 16 bit, fed as fast as possible: what the
// recorder holds, and the peak memory while the WAV file is written.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>

#include "recorder/recorder.h"
#include "recorder/wav.h"

using namespace hb;

namespace {

// An input that hands back whatever the benchmark feeds it.
class FeedingDevices : public AudioDevices {
  public:
    struct Input : AudioInput {
        void suspend() override {}
        void resume() override {}
        void stop() override {}
    };
    std::unique_ptr<AudioInput> openInput(const AudioFormat&, int, CaptureSink s,
                                          CaptureLost) override {
        sink = std::move(s);
        return std::make_unique<Input>();
    }
    bool play(const AudioFormat&, const QByteArray&) override { return false; }
    void stopPlayback() override {}
    CaptureSink sink;
};

// kB of a line of /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    return -1;
}

// Lets VmHWM measure from now on (Linux: 5 resets the peak to the current size).
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

double mb(double kb) {
    return kb / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? atoi(argv[1]) : 3600;
    QTemporaryDir dir;
    FeedingDevices devices;
    Recorder recorder(devices);
    recorder.setFormat(1, 8000, 16);
    const long rssStart = statusKb("VmRSS");
    recorder.start();

    // The sound server hands back about 50 ms at a time.
    const QByteArray piece(800, '\x11');
    const qint64 total = qint64(seconds) * 16000;
    QElapsedTimer clock;
    clock.start();
    for (qint64 fed = 0; fed < total; fed += piece.size()) devices.sink(piece);
    recorder.stop();
    const qint64 feedMs = clock.elapsed();
    const long rssHeld = statusKb("VmRSS");

    resetPeak();
    const long rssBeforeSave = statusKb("VmRSS");
    clock.restart();
    const QString path = dir.filePath(QStringLiteral("hour.wav"));
    const bool saved = recorder.saveTo(path, true);
    const qint64 saveMs = clock.elapsed();
    const long peakSave = statusKb("VmHWM");

    // For comparison: joining every block into one buffer first, then writing it.
    resetPeak();
    const long rssBeforeJoin = statusKb("VmRSS");
    {
        QByteArray joined;
        joined.reserve(recorder.recordedBytes());
        for (const QByteArray& b : recorder.blocks()) joined += b;
        QSaveFile f(dir.filePath(QStringLiteral("joined.wav")));
        f.open(QIODevice::WriteOnly);
        f.write(wavHeader(recorder.recordedFormat(), joined.size()));
        f.write(joined);
        f.commit();
    }
    const long peakJoin = statusKb("VmHWM");

    std::printf("recording simulated:       %d s at 8000 Hz mono 16 bit\n", seconds);
    std::printf("fed in:                    %lld ms\n", static_cast<long long>(feedMs));
    std::printf("bytes held:                %lld (%.1f MB) in %zu blocks\n",
                static_cast<long long>(recorder.recordedBytes()),
                recorder.recordedBytes() / 1048576.0, recorder.blocks().size());
    std::printf("RSS before / holding:      %.1f MB / %.1f MB\n", mb(rssStart), mb(rssHeld));
    std::printf("save:                      %s, %lld ms, file %lld bytes\n",
                saved ? "ok" : "FAILED", static_cast<long long>(saveMs),
                static_cast<long long>(QFileInfo(path).size()));
    std::printf("peak RSS while saving:     %.1f MB (+%.1f MB over holding)\n", mb(peakSave),
                mb(peakSave - rssBeforeSave));
    std::printf("joining first would peak:  %.1f MB (+%.1f MB)\n", mb(peakJoin),
                mb(peakJoin - rssBeforeJoin));
    return saved ? 0 : 1;
}
