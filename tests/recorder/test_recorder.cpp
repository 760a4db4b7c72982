// The recorder on a fake input: what reaches the WAV file, byte for byte.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "platform/files.h"
#include "recorder/fake_audio.h"
#include "recorder/recorder.h"
#include "support/file_size_limit.h"

using namespace hb;
using hb::test::FakeAudioDevices;
using hb::test::FileSizeLimit;

namespace {

quint32 u32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 u16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// Distinct bytes, so that order and loss show.
QByteArray pattern(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>((i * 7 + seed * 31) & 0xFF);
    return b;
}

QByteArray joined(const std::vector<QByteArray>& blocks) {
    QByteArray all;
    for (const QByteArray& b : blocks) all += b;
    return all;
}

}  // namespace

class TestRecorder : public QObject {
    Q_OBJECT
    QTemporaryDir temp_;
    QString path(const char* name) { return temp_.filePath(QString::fromUtf8(name)); }

  private slots:
    void setFormat_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("fixed") << 1 << 8000 << 16 << true;
        QTest::newRow("stereo 44100 8") << 2 << 44100 << 8 << true;
        QTest::newRow("11025") << 1 << 11025 << 16 << true;
        QTest::newRow("22050") << 2 << 22050 << 16 << true;
        QTest::newRow("3 channels") << 3 << 8000 << 16 << false;
        QTest::newRow("0 channels") << 0 << 8000 << 16 << false;
        QTest::newRow("16000") << 1 << 16000 << 16 << false;
        QTest::newRow("48000") << 1 << 48000 << 16 << false;
        QTest::newRow("24 bits") << 1 << 8000 << 24 << false;
        QTest::newRow("32 bits") << 1 << 8000 << 32 << false;
    }
    void setFormat() {
        QFETCH(int, channels);
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(bool, accepted);
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.setFormat(2, 22050, 8));
        QCOMPARE(r.setFormat(channels, rate, bits), accepted);
        const AudioFormat f = r.format();
        const AudioFormat expected =
            accepted ? AudioFormat{channels, rate, bits} : AudioFormat{2, 22050, 8};
        QCOMPARE(f.channels, expected.channels);
        QCOMPARE(f.samplesPerSecond, expected.samplesPerSecond);
        QCOMPARE(f.bitsPerSample, expected.bitsPerSample);
        QCOMPARE(f.sample, f.bitsPerSample == 8 ? SampleFormat::Unsigned8 : SampleFormat::Signed16);
    }

    // Header fields, sizes and samples in capture order, across buffers, a pause and
    // hand-backs that cut frames in two.
    void wavFile_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QList<int>>("handBacks");  // bytes per hand-back; 0 = pause/resume
        QTest::newRow("fixed format") << 1 << 8000 << 16 << QList<int>{4096, 4096, 1000};
        QTest::newRow("fixed, odd pieces") << 1 << 8000 << 16 << QList<int>{3, 4095, 7, 0, 1, 9000};
        QTest::newRow("stereo 44100 8 bit") << 2 << 44100 << 8 << QList<int>{5000, 0, 333};
        QTest::newRow("stereo 11025 16 bit") << 2 << 11025 << 16 << QList<int>{6, 4097, 0, 3, 8191};
        QTest::newRow("nothing captured") << 1 << 8000 << 16 << QList<int>{};
        QTest::newRow("less than a frame") << 2 << 22050 << 16 << QList<int>{3};
    }
    void wavFile() {
        QFETCH(int, channels);
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(QList<int>, handBacks);
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.setFormat(channels, rate, bits));
        QVERIFY(r.start());
        QCOMPARE(devices.bufferSizes, QList<int>{4096});
        QByteArray captured;
        int seed = 0;
        for (int n : handBacks) {
            if (n == 0) {
                r.pause();
                devices.capture("lost while paused");
                r.resume();
                continue;
            }
            const QByteArray piece = pattern(n, ++seed);
            captured += piece;
            devices.captureAndHandBack(piece);
        }
        const int align = channels * bits / 8;
        captured.truncate(captured.size() - captured.size() % align);

        for (const QByteArray& block : r.blocks()) {
            QVERIFY(block.size() <= 4096);
            QCOMPARE(block.size() % align, 0);
        }
        const QString file = path("take.wav");
        QVERIFY(r.saveTo(file, true));
        QVERIFY(!devices.input);  // closed by the save
        const QByteArray wav = readFileBytes(file);
        QCOMPARE(wav.size(), 44 + captured.size());
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(u32(wav, 4), quint32(wav.size() - 8));
        QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(u32(wav, 16), 16u);
        QCOMPARE(u16(wav, 20), 1);
        QCOMPARE(u16(wav, 22), channels);
        QCOMPARE(u32(wav, 24), quint32(rate));
        QCOMPARE(u32(wav, 28), quint32(rate * align));
        QCOMPARE(u16(wav, 32), align);
        QCOMPARE(u16(wav, 34), bits);
        QCOMPARE(wav.mid(36, 4), QByteArray("data"));
        QCOMPARE(u32(wav, 40), quint32(wav.size() - 44));
        QCOMPARE(wav.mid(44), captured);
    }

    void saveWithoutAnyRecording() {
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.saveTo(path("empty.wav"), true));
        const QByteArray wav = readFileBytes(path("empty.wav"));
        QCOMPARE(wav.size(), 44);
        QCOMPARE(u32(wav, 40), 0u);
        QCOMPARE(u32(wav, 24), 8000u);
    }

    // A refused start leaves the earlier recording and its device as they were.
    void refusedStartChangesNothing() {
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.start());
        devices.captureAndHandBack(pattern(100, 1));
        devices.inputAvailable = false;
        QVERIFY(r.setFormat(2, 44100, 16));
        QVERIFY(!r.start());
        QVERIFY(devices.input);
        QVERIFY(r.isCapturing());
        devices.captureAndHandBack(pattern(50, 2));
        r.stop();
        QCOMPARE(joined(r.blocks()), pattern(100, 1) + pattern(50, 2));
        QCOMPARE(r.recordedFormat().channels, 1);
    }

    // Start discards the earlier recording; saving keeps it until then.
    void recordingLivesUntilNextStart() {
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.start());
        devices.captureAndHandBack(pattern(10, 1));
        QVERIFY(r.saveTo(path("one.wav"), true));
        QVERIFY(r.saveTo(path("again.wav"), true));
        QCOMPARE(readFileBytes(path("again.wav")), readFileBytes(path("one.wav")));
        QVERIFY(r.start());
        QCOMPARE(r.recordedBytes(), 0);
        devices.captureAndHandBack(pattern(20, 2));
        QVERIFY(r.saveTo(path("two.wav"), true));
        QCOMPARE(readFileBytes(path("two.wav")).mid(44), pattern(20, 2));
    }

    // What the device hands back while it is being stopped is kept; nothing after it.
    void stopKeepsTheLastBuffer() {
        FakeAudioDevices devices;
        Recorder r(devices);
        r.stop();  // nothing open: nothing happens
        QVERIFY(r.start());
        devices.capture(pattern(300, 1));  // not yet handed back
        r.stop();
        QVERIFY(devices.input->stopped);
        CaptureSink late = devices.input->sink;
        late(pattern(40, 2));
        r.stop();
        QCOMPARE(joined(r.blocks()), pattern(300, 1));
    }

    void saveRefusals_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("exists, no overwrite") << "old.wav" << false << false;
        QTest::newRow("missing folder") << "no/such/folder/x.wav" << true << false;
        QTest::newRow("a folder") << "folder.wav" << true << false;
        QTest::newRow("disk full") << "old.wav" << true << true;
    }
    void saveRefusals() {
        QFETCH(QString, target);
        QFETCH(bool, overwrite);
        QFETCH(bool, diskFull);
        if (diskFull && !FileSizeLimit::works) QSKIP("no way to fill the disk here");
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("folder.wav"));
        const QString old = dir.filePath(QStringLiteral("old.wav"));
        QVERIFY(writeFileBytes(old, "earlier file"));
        FakeAudioDevices devices;
        Recorder r(devices);
        QVERIFY(r.start());
        devices.captureAndHandBack(pattern(64, 1));
        QString error;
        {
            std::optional<FileSizeLimit> full;
            if (diskFull) full.emplace(100);
            QVERIFY(!r.saveTo(dir.filePath(target), overwrite, &error));
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFileBytes(old), QByteArray("earlier file"));
        // The recording is still there for another try.
        QVERIFY(r.saveTo(old, true));
        QCOMPARE(readFileBytes(old).mid(44), pattern(64, 1));
    }
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "test_recorder.moc"
