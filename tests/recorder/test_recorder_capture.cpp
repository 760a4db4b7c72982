// Real capture and playback through a private PulseAudio server: a pipe source fed with a
// 440 Hz tone is the default input, a null sink the default output.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cmath>

#include "platform/context.h"
#include "record/inquiry_record.h"
#include "recorder/audio_devices.h"
#include "recorder/playback.h"
#include "recorder/recorder.h"
#include "recorder/recorder_panel.h"
#include "support/fakes.h"
#include "support/require.h"
#include "support/ui.h"

using namespace hb;
using namespace hb::test;

namespace {

constexpr int kRate = 8000;
constexpr double kTone = 440.0;

// Writes the tone into the pipe at the pace of real time, a little ahead.
class ToneFeeder {
  public:
    explicit ToneFeeder(const QString& fifo) {
        fd_ = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd_ < 0) return;
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { feed(); });
        timer_.start(20);
        feed();
    }
    ~ToneFeeder() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

  private:
    void feed() {
        const qint64 due = (clock_.elapsed() + 200) * kRate / 1000;
        while (pending_.size() < 2 * (due - written_)) {
            const double t = static_cast<double>(written_ + pending_.size() / 2) / kRate;
            const qint16 v = static_cast<qint16>(12000 * std::sin(2 * M_PI * kTone * t));
            pending_.append(reinterpret_cast<const char*>(&v), 2);
        }
        while (!pending_.isEmpty()) {
            const ssize_t n = ::write(fd_, pending_.constData(), pending_.size() & ~1);
            if (n <= 0) break;  // the pipe is full: the server reads it at its pace
            pending_.remove(0, n & ~1);
            written_ += n / 2;
        }
    }

    int fd_ = -1;
    QElapsedTimer clock_;
    QTimer timer_;
    QByteArray pending_;
    qint64 written_ = 0;  // samples
};

// The recorder panel on the real sound server, with the officer's record and dialogs.
struct Desk {
    MemoryRecord record;
    FakeDialogs dialogs;
    DesktopAudioDevices devices;
    AppContext ctx;
    RecorderPanel panel{ctx, nullptr};

    Desk() {
        ctx.record = &record;
        ctx.dialogs = &dialogs;
        ctx.audio = &devices;
        panel.show();
    }
    void click(const char* name) {
        test::click(panel.findChild<QPushButton*>(QString::fromUtf8(name)));
    }
};

}  // namespace

class TestRecorderCapture : public QObject {
    Q_OBJECT
    QTemporaryDir temp_;
    QProcess server_;
    QString pulseaudio_, pactl_, sox_, soxi_;

    QString run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        p.waitForFinished(10000);
        if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromLocal8Bit(p.readAll());
    }
    QString pactl(const QStringList& args, int* exitCode = nullptr) {
        return run(pactl_, args, exitCode);
    }
    QString sink(const char* name) { return temp_.filePath(QString::fromUtf8(name)); }
    int sinkInputs() {
        QTest::qWait(300);
        return pactl(
                   {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .size();
    }

    // A server whose default input is a pipe source fed from fifo, its output a null sink.
    void startServer(const QString& fifo) {
        const QString socket = sink("run") + QStringLiteral("/native");
        server_.setProcessChannelMode(QProcess::MergedChannels);
        // As root too: a per-user server with its own socket, no pid file, never idle-exiting.
        server_.start(
            pulseaudio_,
            {QStringLiteral("--daemonize=no"), QStringLiteral("--system=false"),
             QStringLiteral("-n"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("--use-pid-file=false"), QStringLiteral("--log-target=stderr"),
             QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") + socket,
             QStringLiteral("--load=module-null-sink sink_name=hb_silent")});
        QVERIFY2(server_.waitForStarted(5000), "pulseaudio did not start");
        int code = -1;
        for (int i = 0; i < 100 && code != 0; ++i) {
            QTest::qWait(100);
            pactl({QStringLiteral("info")}, &code);
        }
        QVERIFY2(code == 0, qPrintable(QString::fromLocal8Bit(server_.readAll())));
        const QString loaded =
            pactl({QStringLiteral("load-module"), QStringLiteral("module-pipe-source"),
                   QStringLiteral("source_name=hb_tone"), QStringLiteral("file=") + fifo,
                   QStringLiteral("format=s16le"), QStringLiteral("rate=8000"),
                   QStringLiteral("channels=1")},
                  &code);
        QVERIFY2(code == 0, qPrintable(loaded));
        pactl({QStringLiteral("set-default-source"), QStringLiteral("hb_tone")}, &code);
        QCOMPARE(code, 0);
        pactl({QStringLiteral("set-default-sink"), QStringLiteral("hb_silent")}, &code);
        QCOMPARE(code, 0);
    }
    void stopServer() {
        if (server_.state() == QProcess::NotRunning) return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(2000);
        }
    }

    double seconds(const QString& wav) {
        return run(soxi_, {QStringLiteral("-D"), wav}).trimmed().toDouble();
    }
    // "stat -freq" lists frequency and power: the strongest one.
    double strongestFrequency(const QString& wav) {
        const QString stat =
            run(sox_, {wav, QStringLiteral("-n"), QStringLiteral("stat"), QStringLiteral("-freq")});
        double best = 0, bestPower = -1;
        static const QRegularExpression line(QStringLiteral("^\\s*([0-9.]+)\\s+([0-9.e+-]+)\\s*$"));
        for (const QString& l : stat.split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = line.match(l);
            if (m.hasMatch() && m.captured(2).toDouble() > bestPower) {
                best = m.captured(1).toDouble();
                bestPower = m.captured(2).toDouble();
            }
        }
        return best;
    }

  private slots:
    void initTestCase() {
        pulseaudio_ = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        pactl_ = QStandardPaths::findExecutable(QStringLiteral("pactl"));
        sox_ = QStandardPaths::findExecutable(QStringLiteral("sox"));
        soxi_ = QStandardPaths::findExecutable(QStringLiteral("soxi"));
        HB_REQUIRE(
            !pulseaudio_.isEmpty() && !pactl_.isEmpty() && !sox_.isEmpty() && !soxi_.isEmpty(),
            "needs pulseaudio, pactl and sox/soxi (Debian pulseaudio, pulseaudio-utils, sox)");
        // Everything of the server and its clients stays inside the temporary folder.
        const QString run = sink("run");
        QDir().mkpath(run);
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", QFile::encodeName(temp_.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(sink("config")));
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(run + QStringLiteral("/native")));
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        signal(SIGPIPE, SIG_IGN);  // the tone goes on into a pipe whose server has ended
        startServer(sink("tone.fifo"));
    }

    void cleanupTestCase() { stopServer(); }

    // About two seconds of the tone, with a pause in the middle, saved and measured by sox.
    void recordsTheTone() {
        ToneFeeder tone(sink("tone.fifo"));
        QVERIFY2(tone.ok(), "cannot open the pipe source's fifo");
        DesktopAudioDevices devices;
        Recorder recorder(devices);
        QVERIFY(recorder.setFormat(1, 8000, 16));
        QVERIFY2(recorder.start(), "the default input refused 8000 Hz mono 16 bit");
        QTest::qWait(1000);
        recorder.pause();
        QTest::qWait(400);
        recorder.resume();
        QTest::qWait(1000);
        recorder.stop();
        const QString file = sink("tone.wav");
        QString error;
        QVERIFY2(recorder.saveTo(file, true, &error), qPrintable(error));

        QCOMPARE(run(soxi_, {QStringLiteral("-r"), file}).trimmed(), QStringLiteral("8000"));
        QCOMPARE(run(soxi_, {QStringLiteral("-c"), file}).trimmed(), QStringLiteral("1"));
        QCOMPARE(run(soxi_, {QStringLiteral("-b"), file}).trimmed(), QStringLiteral("16"));
        const double length = seconds(file);
        QVERIFY2(length > 1.2 && length < 3.5, qPrintable(QString::number(length)));
        QCOMPARE(QFileInfo(file).size(), 44 + qRound(length * kRate) * 2);
        const double best = strongestFrequency(file);
        qInfo("recorded %.2f s, strongest frequency %.1f Hz", length, best);
        QVERIFY2(std::abs(best - kTone) < 10, qPrintable(QString::number(best)));
    }

    // Two sounds overlap on the default output until StopSound ends both.
    void playsAndStops() {
        const QString file = sink("tone.wav");
        if (!QFileInfo::exists(file)) QSKIP("needs the recording of recordsTheTone");
        DesktopAudioDevices devices;
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QCOMPARE(devices.playing(), 2);
        QCOMPARE(sinkInputs(), 2);
        stopSound(&devices);
        QCOMPARE(devices.playing(), 0);
        QCOMPARE(sinkInputs(), 0);
        QCOMPARE(playSoundFile(&devices, sink("run")), PlayResult::NotASound);
        QCOMPARE(devices.playing(), 0);
    }

    // A hung server: the window does not wait for it, and the officer is told within seconds;
    // what was captured can still be saved.
    void serverHangsAtPause() {
        Desk desk;
        MemoryRecord& record = desk.record;
        FakeDialogs& dialogs = desk.dialogs;
        ToneFeeder tone(sink("tone.fifo"));
        desk.click("按钮录音");
        QTest::qWait(1000);
        ::kill(pid_t(server_.processId()), SIGSTOP);
        const auto wake = qScopeGuard([this] { ::kill(pid_t(server_.processId()), SIGCONT); });
        QElapsedTimer clock;
        clock.start();
        desk.click("按钮暂停");
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 1, 6000);
        QVERIFY(dialogs.lastText().startsWith(u"录音设备没有响应"_qs));
        const QString file = sink("hung.wav");
        dialogs.files.enqueue(file);
        desk.click("按钮4");
        QCOMPARE(record.statusText(), u"笔录.录音保存成功..."_qs);
        QVERIFY(seconds(file) > 0.5);
    }

    // The server ends in the middle of a recording: the officer is told, what was captured
    // is saved, and the next recording uses the server started afterwards; so does the
    // removal of the source.
    void serverGoneMidRecording() {
        Desk desk;
        MemoryRecord& record = desk.record;
        FakeDialogs& dialogs = desk.dialogs;
        RecorderPanel& panel = desk.panel;
        const auto click = [&desk](const char* name) { desk.click(name); };
        QElapsedTimer clock;
        clock.start();
        double untilGone = 0;
        {
            ToneFeeder tone(sink("tone.fifo"));
            click("按钮录音");
            QTest::qWait(1500);
            stopServer();
            untilGone = clock.elapsed() / 1000.0;  // a busy machine takes a while to end it
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 1, 10000);
        }
        QVERIFY(dialogs.lastText().startsWith(u"录音设备已断开"_qs));
        QVERIFY(!panel.timer()->isActive());
        const QString first = sink("before the end.wav");
        dialogs.files.enqueue(first);
        click("按钮4");
        QCOMPARE(record.statusText(), u"笔录.录音保存成功..."_qs);
        const double length = seconds(first);
        // The server may also hand over at once what waited in the pipe: 64 KiB, 4.1 s.
        const double pipeHolds = 65536.0 / (2 * kRate);
        QVERIFY2(length > 1.0 && length < untilGone + pipeHolds + 0.5,
                 qPrintable(QStringLiteral("%1 of %2 s").arg(length).arg(untilGone)));
        QVERIFY(std::abs(strongestFrequency(first) - kTone) < 10);

        // A new server, whose source is then removed: the server would move the recording
        // to the null sink's monitor.
        startServer(sink("tone2.fifo"));
        ToneFeeder tone(sink("tone2.fifo"));
        click("按钮录音");
        QCOMPARE(dialogs.shown.size(), 1);  // no "没有可用的录音设备"
        QVERIFY(panel.recorder()->isCapturing());
        QTest::qWait(800);
        pactl({QStringLiteral("unload-module"), QStringLiteral("module-pipe-source")});
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.shown.size(), 2, 10000);
        QVERIFY(dialogs.lastText().startsWith(u"录音设备已断开"_qs));
        const QString second = sink("new server.wav");
        dialogs.files.enqueue(second);
        click("按钮4");
        QCOMPARE(record.statusText(), u"笔录.录音保存成功..."_qs);
        QVERIFY(seconds(second) > 0.4);
        QVERIFY(std::abs(strongestFrequency(second) - kTone) < 10);
    }

    // A sound cut off by the server's end ends; the next one finds the server started since.
    void playsAfterServerRestart() {
        const QString file = sink("tone.wav");
        if (!QFileInfo::exists(file)) QSKIP("needs the recording of recordsTheTone");
        if (server_.state() == QProcess::NotRunning) startServer(sink("tone4.fifo"));
        DesktopAudioDevices devices;
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        stopServer();
        QTRY_COMPARE(devices.playing(), 0);
        startServer(sink("tone3.fifo"));
        QCOMPARE(playSoundFile(&devices, file), PlayResult::Playing);
        QCOMPARE(sinkInputs(), 1);
    }
};

QTEST_MAIN(TestRecorderCapture)
#include "test_recorder_capture.moc"
