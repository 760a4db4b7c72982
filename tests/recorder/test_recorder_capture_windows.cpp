// Real capture and playback through the wave functions. Under Wine the fixture's private
// PulseAudio server is the sound card: a 440 Hz tone as input, a null sink as output.
#include <windows.h>

#include <mmsystem.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "platform/context.h"
#include "platform/files.h"
#include "record/inquiry_record.h"
#include "recorder/audio_devices.h"
#include "recorder/playback.h"
#include "recorder/recorder.h"
#include "recorder/recorder_panel.h"
#include "support/fakes.h"
#include "support/ui.h"

using namespace hb;

class TestRecorderCaptureWindows : public QObject {
    Q_OBJECT
    QTemporaryDir temp_;

  private slots:
    // About two seconds of the tone with a pause between, saved, and heard at 440 Hz.
    void recordsTheToneAndPlaysIt() {
        if (waveInGetNumDevs() == 0) QSKIP("no sound device (the fixture's server is missing)");
        DesktopAudioDevices devices;
        Recorder recorder(devices);
        QVERIFY(recorder.setFormat(1, 8000, 16));
        QVERIFY(recorder.start());
        QTest::qWait(1000);
        recorder.pause();
        QTest::qWait(400);
        recorder.resume();
        QTest::qWait(1000);
        recorder.stop();
        const QString file = temp_.filePath(QStringLiteral("tone.wav"));
        QString error;
        QVERIFY2(recorder.saveTo(file, true, &error), qPrintable(error));
        const QByteArray data = readFileBytes(file).mid(44);
        const auto* samples = reinterpret_cast<const qint16*>(data.constData());
        const qsizetype count = data.size() / 2;
        const double seconds = count / 8000.0;
        QVERIFY2(seconds > 1.2 && seconds < 3.5, qPrintable(QString::number(seconds)));
        qsizetype crossings = 0;
        for (qsizetype i = 1; i < count; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        const double frequency = crossings / 2.0 / seconds;
        QVERIFY2(qAbs(frequency - 440) < 15, qPrintable(QString::number(frequency)));

        // Two sounds overlap until the stop; a sound that plays out ends by itself.
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QCOMPARE(devices.playing(), 2);
        stopSound(&devices);
        QCOMPARE(devices.playing(), 0);
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(devices.playing(), 0, 8000);
    }

    // Without a sound card the officer hears why nothing records.
    void noInputDevice() {
        if (waveInGetNumDevs() > 0) QSKIP("a sound device is present");
        MemoryRecord record;
        test::FakeDialogs dialogs;
        DesktopAudioDevices devices;
        AppContext ctx;
        ctx.record = &record;
        ctx.dialogs = &dialogs;
        ctx.audio = &devices;
        RecorderPanel panel(ctx, nullptr);
        panel.show();
        test::click(panel.findChild<QPushButton*>(QStringLiteral("按钮录音")));
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY(dialogs.lastText().contains(u"没有可用的录音设备"_qs));
        QVERIFY(!panel.recorder()->isCapturing());
    }
};

QTEST_MAIN(TestRecorderCaptureWindows)
#include "test_recorder_capture_windows.moc"
