// The recorder panel on a fake sound card: its states, timer, save and play flows, and
// its place in the main window.
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/files.h"
#include "record/inquiry_record.h"
#include "recorder/fake_audio.h"
#include "recorder/recorder.h"
#include "recorder/recorder_panel.h"
#include "recorder/wav.h"
#include "support/file_size_limit.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

const QString kNoName = QStringLiteral("没有输入WAV音频文件名称，请重新保存。");
const QString kBadSound = QStringLiteral("音频文件不正确，请选择正确音频文件播放...");

struct Panel {
    MemoryRecord record;
    FakeDialogs dialogs;
    FakeAudioDevices audio;
    AppContext ctx;
    std::unique_ptr<RecorderPanel> panel;

    Panel() {
        ctx.record = &record;
        ctx.dialogs = &dialogs;
        ctx.audio = &audio;
        panel = std::make_unique<RecorderPanel>(ctx, nullptr);
    }
    QPushButton* button(const char* name) const {
        return panel->findChild<QPushButton*>(QString::fromUtf8(name));
    }
    QString label() const { return panel->findChild<QLabel*>(QStringLiteral("标签14"))->text(); }
    QSlider* slider() const { return panel->findChild<QSlider*>(QStringLiteral("滑块条1")); }
    void click(const char* name) const {
        QPushButton* b = button(name);
        QVERIFY(b->isEnabled() && !b->isHidden());
        b->click();
    }
    // Buttons as E/D, with "-" for hidden, then the timer and the recorder.
    QString state() const {
        QStringList parts;
        for (const char* name : {"按钮录音", "按钮暂停", "按钮继续", "按钮4"}) {
            QPushButton* b = button(name);
            parts << QLatin1String(b->isEnabled() ? "E" : "D") +
                         QLatin1String(b->isHidden() ? "-" : "");
        }
        parts << (panel->timer()->isActive() ? u"running"_qs : u"stopped"_qs);
        const Recorder* r = panel->recorder();
        parts << (r && r->isCapturing() ? u"capturing"_qs : u"idle"_qs);
        return parts.join(u' ');
    }
    // R record, P pause, C continue, S save (confirmed), X save (dialog cancelled), L the
    // sound server goes.
    void run(const QString& events, const QString& file) {
        for (const QChar e : events) {
            switch (e.toLatin1()) {
                case 'R':
                    click("按钮录音");
                    break;
                case 'P':
                    click("按钮暂停");
                    break;
                case 'C':
                    click("按钮继续");
                    break;
                case 'S':
                    dialogs.files.enqueue(file);
                    click("按钮4");
                    break;
                case 'X':
                    click("按钮4");
                    break;
                case 'L':
                    audio.loseInput();
                    break;
            }
        }
    }
};

void writeWav(const QString& path, int dataBytes) {
    AudioFormat f;
    QVERIFY(writeFileBytes(path, wavHeader(f, dataBytes) + QByteArray(dataBytes, '\x10')));
}

}  // namespace

class TestRecorderPanel : public QObject {
    Q_OBJECT
    QTemporaryDir temp_;

  private slots:
    // Columns: 按钮录音 按钮暂停 按钮继续 按钮4, timer, recorder.
    void states_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("status");
        QTest::newRow("program start") << ""
                                       << "E D E- D stopped idle"
                                       << "";
        QTest::newRow("record") << "R"
                                << "D E E- E running capturing"
                                << "笔录.录音开始...";
        QTest::newRow("pause") << "RP"
                               << "D E- E E stopped idle"
                               << "笔录.暂停录音...";
        QTest::newRow("continue") << "RPC"
                                  << "D E E- E running capturing"
                                  << "笔录.继续录音...";
        QTest::newRow("save") << "RS"
                              << "E D D- D stopped idle"
                              << "笔录.录音保存成功...";
        QTest::newRow("save while paused") << "RPS"
                                           << "E D- D D stopped idle"
                                           << "笔录.录音保存成功...";
        QTest::newRow("cancel") << "RX"
                                << "E D D- E stopped idle"
                                << "录音停止！请选择保存录音笔录的文件名称...";
        QTest::newRow("cancel, save") << "RXS"
                                      << "E D D- D stopped idle"
                                      << "笔录.录音保存成功...";
        QTest::newRow("cancel twice") << "RXX"
                                      << "E D D- E stopped idle"
                                      << "录音停止！请选择保存录音笔录的文件名称...";
        QTest::newRow("record again unsaved") << "RXR"
                                              << "D E E- E running capturing"
                                              << "笔录.录音开始...";
        QTest::newRow("record after save") << "RSR"
                                           << "D E E- E running capturing"
                                           << "笔录.录音开始...";
        // Stopped while paused: 按钮继续 stays the visible one of the pair.
        QTest::newRow("paused, saved, record") << "RPSR"
                                               << "D E- E E running capturing"
                                               << "笔录.录音开始...";
        QTest::newRow("then continue") << "RPSRC"
                                       << "D E E- E running capturing"
                                       << "笔录.继续录音...";
        QTest::newRow("paused, cancelled, record") << "RPXR"
                                                   << "D E- E E running capturing"
                                                   << "笔录.录音开始...";
        // A device that gives out leaves the panel as after a cancelled save.
        QTest::newRow("device lost") << "RL"
                                     << "E D D- E stopped idle"
                                     << "录音设备已断开，录音停止...";
        QTest::newRow("device lost while paused") << "RPL"
                                                  << "E D- D E stopped idle"
                                                  << "录音设备已断开，录音停止...";
        QTest::newRow("device lost, saved") << "RLS"
                                            << "E D D- D stopped idle"
                                            << "笔录.录音保存成功...";
        QTest::newRow("device lost, record") << "RLR"
                                             << "D E E- E running capturing"
                                             << "笔录.录音开始...";
    }
    void states() {
        QFETCH(QString, events);
        QFETCH(QString, state);
        QFETCH(QString, status);
        Panel p;
        p.run(events, temp_.filePath(QStringLiteral("states.wav")));
        QCOMPARE(p.state(), state);
        QCOMPARE(p.record.statusText(), status);
    }

    // Continue while already recording only restarts the timer: capture goes on.
    void continueWhileRecordingKeepsCapture() {
        Panel p;
        p.run(QStringLiteral("RPSR"), temp_.filePath(QStringLiteral("first.wav")));
        p.audio.captureAndHandBack(QByteArray(100, 'a'));
        p.click("按钮继续");
        p.audio.captureAndHandBack(QByteArray(60, 'b'));
        p.run(QStringLiteral("S"), temp_.filePath(QStringLiteral("second.wav")));
        QCOMPARE(readFileBytes(temp_.filePath(QStringLiteral("second.wav"))).mid(44),
                 QByteArray(100, 'a') + QByteArray(60, 'b'));
    }

    // Everything captured before the device went is saved; the officer is told at once.
    void deviceLostKeepsCapture() {
        Panel p;
        p.click("按钮录音");
        p.audio.captureAndHandBack(QByteArray(100, 'a'));
        p.audio.capture(QByteArray(30, 'b'));
        p.audio.loseInput();
        QCOMPARE(p.dialogs.shown.size(), 1);
        QVERIFY(p.dialogs.lastText().startsWith(u"录音设备已断开"_qs));
        p.audio.captureAndHandBack(QByteArray(10, 'c'));  // nothing arrives any more
        p.run(QStringLiteral("S"), temp_.filePath(QStringLiteral("lost.wav")));
        QCOMPARE(readFileBytes(temp_.filePath(QStringLiteral("lost.wav"))).mid(44),
                 QByteArray(100, 'a') + QByteArray(30, 'b'));
    }

    void elapsedTime_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("slider");
        QTest::newRow("none") << 0 << "0:0:0" << 1;
        QTest::newRow("1 s") << 1 << "0:0:1" << 2;
        QTest::newRow("59 s") << 59 << "0:0:59" << 60;
        QTest::newRow("65 s") << 65 << "0:1:5" << 66;
        QTest::newRow("14:47") << 887 << "0:14:47" << 888;
        QTest::newRow("14:48") << 888 << "0:14:48" << 888;
        QTest::newRow("59:59") << 3599 << "0:59:59" << 888;
        QTest::newRow("1 h") << 3600 << "1:0:0" << 888;
        QTest::newRow("25 h 1 s") << 90001 << "25:0:1" << 888;
    }
    void elapsedTime() {
        QFETCH(int, ticks);
        QFETCH(QString, label);
        QFETCH(int, slider);
        Panel p;
        QCOMPARE(p.slider()->value(), 1);
        p.click("按钮录音");
        QCOMPARE(p.panel->timer()->interval(), 1000);
        for (int i = 0; i < ticks; ++i) p.panel->tick();
        QCOMPARE(p.label(), label);
        QCOMPARE(p.slider()->value(), slider);
    }

    // A new recording restarts the time, never the slider; pause and stop leave both.
    void secondRecordingAndSlider() {
        Panel p;
        p.click("按钮录音");
        for (int i = 0; i < 70; ++i) p.panel->tick();
        p.click("按钮暂停");
        QCOMPARE(p.label(), u"0:1:10"_qs);
        p.click("按钮继续");
        p.panel->tick();
        p.run(QStringLiteral("S"), temp_.filePath(QStringLiteral("a.wav")));
        QCOMPARE(p.label(), u"0:1:11"_qs);
        QCOMPARE(p.slider()->value(), 72);
        p.click("按钮录音");
        QCOMPARE(p.label(), u"0:0:0"_qs);
        p.slider()->setValue(500);  // dragged by hand
        p.panel->tick();
        QCOMPARE(p.label(), u"0:0:1"_qs);
        QCOMPARE(p.slider()->value(), 501);
    }

    // Without an input the panel says so and stays as it was.
    void noInputDevice_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("noDevicesAtAll");
        QTest::addColumn<QString>("state");
        QTest::newRow("idle") << "" << false << "E D E- D stopped idle";
        QTest::newRow("idle, no sound system") << "" << true << "E D E- D stopped idle";
        QTest::newRow("after a save") << "RS" << false << "E D D- D stopped idle";
        QTest::newRow("unsaved") << "RX" << false << "E D D- E stopped idle";
    }
    void noInputDevice() {
        QFETCH(QString, before);
        QFETCH(bool, noDevicesAtAll);
        QFETCH(QString, state);
        Panel p;
        const QString saved = temp_.filePath(QStringLiteral("before.wav"));
        p.run(before, saved);
        p.audio.inputAvailable = false;
        if (noDevicesAtAll) p.ctx.audio = nullptr;
        const QString statusBefore = p.record.statusText();
        const int messages = p.dialogs.shown.size();
        p.click("按钮录音");
        QCOMPARE(p.dialogs.shown.size(), messages + 1);
        QVERIFY(p.dialogs.lastText().contains(u"没有可用的录音设备"_qs));
        QCOMPARE(p.state(), state);
        QCOMPARE(p.record.statusText(), statusBefore);
    }

    void saveDialog() {
        Panel p;
        p.click("按钮录音");
        p.audio.captureAndHandBack(QByteArray(800, 'x'));
        p.click("按钮4");  // cancelled
        QCOMPARE(p.dialogs.shown.size(), 1);
        QCOMPARE(p.dialogs.shown[0].text, kNoName);
        QCOMPARE(p.dialogs.shown[0].caption, u"提示："_qs);
        QCOMPARE(p.dialogs.shown[0].buttons, Buttons::Ok);
        const QString file = temp_.filePath(QStringLiteral("interview.WAV"));
        p.run(QStringLiteral("S"), file);
        QCOMPARE(p.dialogs.fileDialogs.size(), 2);
        const FileDialogSpec& request = p.dialogs.fileDialogs[0];
        QCOMPARE(request.designName, u"通用对话框1"_qs);
        QCOMPARE(request.mode, FileDialogSpec::Mode::Save);
        QCOMPARE(request.filter, u"WAV录音文件|*.wav"_qs);
        QCOMPARE(request.defaultSuffix, u"WAV"_qs);
        QCOMPARE(request.suggestedName, QString());
        // The same audio after the cancel.
        QCOMPARE(readFileBytes(file).size(), 44 + 800);
        QCOMPARE(p.dialogs.shown.size(), 1);
        // The dialog offers the last path again.
        p.run(QStringLiteral("RX"), file);
        QCOMPARE(p.dialogs.fileDialogs.last().suggestedName, file);
    }

    // A failed write says so, names the path, keeps the old file and leaves the recording
    // to be saved again.
    void failedWrite() {
        if (!FileSizeLimit::works) QSKIP("no way to fill the disk here");
        Panel p;
        p.click("按钮录音");
        p.audio.captureAndHandBack(QByteArray(400, 'y'));
        const QString bad = temp_.filePath(QStringLiteral("earlier.wav"));
        writeWav(bad, 200);
        const QByteArray earlier = readFileBytes(bad);
        {
            FileSizeLimit full(300);
            p.run(QStringLiteral("S"), bad);
        }
        QCOMPARE(readFileBytes(bad), earlier);
        QCOMPARE(p.dialogs.shown.size(), 1);
        QVERIFY(p.dialogs.lastText().contains(bad));
        QVERIFY(p.dialogs.lastText().contains(u"文件超过了系统允许的大小"_qs));
        QCOMPARE(p.dialogs.shown[0].caption, u"提示："_qs);
        QVERIFY(p.record.statusText() != u"笔录.录音保存成功..."_qs);
        QCOMPARE(p.state(), u"E D D- E stopped idle"_qs);
        const QString good = temp_.filePath(QStringLiteral("take.wav"));
        p.run(QStringLiteral("S"), good);
        QCOMPARE(p.record.statusText(), u"笔录.录音保存成功..."_qs);
        QCOMPARE(readFileBytes(good).size(), 44 + 400);
    }

    // The path test is "wav" in lower case anywhere in the path; the content decides the rest.
    void play_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("played");
        QTest::newRow("wav file") << "take.wav" << false << 1;
        QTest::newRow("saved with .WAV") << "TAKE.WAV" << false << 1;
        QTest::newRow("in a folder called wav") << "wav/TAKE.WAV" << false << 1;
        QTest::newRow("the folder itself") << "wav" << false << 0;
        QTest::newRow("not a sound") << "notes.wav" << false << 0;
        QTest::newRow("empty data chunk") << "empty.wav" << false << 0;
        QTest::newRow("cancelled") << "" << true << 0;
    }
    void play() {
        QFETCH(QString, chosen);
        QFETCH(bool, refused);
        QFETCH(int, played);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("wav"));
        writeWav(dir.filePath(QStringLiteral("take.wav")), 1600);
        writeWav(dir.filePath(QStringLiteral("TAKE.WAV")), 1600);
        writeWav(dir.filePath(QStringLiteral("wav/TAKE.WAV")), 1600);
        writeWav(dir.filePath(QStringLiteral("empty.wav")), 0);
        QVERIFY(writeFileBytes(dir.filePath(QStringLiteral("notes.wav")), "RIFF but not a sound"));
        Panel p;
        const QString path = chosen.isEmpty() ? QString() : dir.filePath(chosen);
        p.dialogs.files.enqueue(path);
        p.click("按钮播放");
        QCOMPARE(p.dialogs.fileDialogs.size(), 1);
        QCOMPARE(p.dialogs.fileDialogs[0].mode, FileDialogSpec::Mode::BrowseFiles);
        QCOMPARE(p.dialogs.fileDialogs[0].title, u" "_qs);
        QCOMPARE(p.record.hidden(Hidden::audioFilePath), path);
        QCOMPARE(p.audio.played.size(), played);
        if (refused) {
            QCOMPARE(p.dialogs.shown.size(), 1);
            QCOMPARE(p.dialogs.lastText(), kBadSound);
            QCOMPARE(p.dialogs.shown[0].caption, u"提 示："_qs);
        } else {
            QCOMPARE(p.dialogs.shown.size(), 0);
            QCOMPARE(p.record.statusText(), u"笔录.录音播放中..."_qs);
        }
        if (played) QCOMPARE(p.audio.played[0].size(), 1600);
    }

    // Sounds overlap until 暂停 stops them all; with no output device the officer is told.
    void playbackDevices() {
        const QString file = temp_.filePath(QStringLiteral("overlap.wav"));
        writeWav(file, 800);
        Panel p;
        p.click("按钮录音");  // playback is independent of a recording
        for (int i = 0; i < 2; ++i) {
            p.dialogs.files.enqueue(file);
            p.click("按钮播放");
        }
        QCOMPARE(p.audio.playing, 2);
        p.click("暂停");
        QCOMPARE(p.audio.playing, 0);
        QVERIFY(p.panel->recorder()->isCapturing());
        p.audio.outputAvailable = false;
        p.dialogs.files.enqueue(file);
        p.click("按钮播放");
        QCOMPARE(p.dialogs.shown.size(), 1);
        QVERIFY(p.dialogs.lastText().contains(u"没有可用的放音设备"_qs));
    }

    // The panel in the main window: design, tooltips and the two menu items.
    void inMainWindow_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("按钮录音") << "按钮录音"
                                  << "录音" << QRect(17, 39, 48, 24) << true << false
                                  << "开始进行录音...";
        QTest::newRow("按钮暂停") << "按钮暂停"
                                  << "暂停" << QRect(66, 39, 48, 24) << false << false
                                  << "暂时停止录音...";
        QTest::newRow("按钮继续") << "按钮继续"
                                  << "继续" << QRect(66, 39, 48, 24) << true << true
                                  << "继续进行录音...";
        QTest::newRow("按钮4") << "按钮4"
                               << "停止保存" << QRect(115, 39, 57, 24) << false << false << "";
        QTest::newRow("按钮播放") << "按钮播放"
                                  << "播放" << QRect(174, 39, 46, 24) << true << false
                                  << "播放音频文件...";
        QTest::newRow("暂停") << "暂停"
                              << "停止" << QRect(221, 39, 46, 24) << true << false
                              << "停止播放音频文件...";
    }
    void inMainWindow() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, place);
        QFETCH(bool, enabled);
        QFETCH(bool, hidden);
        QFETCH(QString, tooltip);
        TestApp app;
        QVERIFY(app.start());
        auto* group = app.find<RecorderPanel>(QStringLiteral("分组框5"));
        QVERIFY(group);
        QCOMPARE(group->parentWidget(), app.window->client());
        QCOMPARE(group->geometry(), QRect(1, -1, 271, 66));
        QCOMPARE(group->title(), QString());
        QVERIFY(group->isHidden());
        auto* b = group->findChild<QPushButton*>(name);
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->geometry(), place);
        QCOMPARE(b->isEnabled(), enabled);
        QCOMPARE(b->isHidden(), hidden);
        QCOMPARE(b->toolTip(), tooltip);
        auto* slider = group->findChild<QSlider*>(QStringLiteral("滑块条1"));
        QCOMPARE(slider->geometry(), QRect(8, 9, 188, 26));
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 888);
        QCOMPARE(slider->pageStep(), 5);
        QCOMPARE(slider->tickPosition(), QSlider::TicksBelow);
        auto* label = group->findChild<QLabel*>(QStringLiteral("标签14"));
        QCOMPARE(label->geometry(), QRect(198, 10, 66, 22));
        QCOMPARE(label->text(), QString());
        QVERIFY(!group->timer()->isActive());
    }

    // Hiding the panel stops neither the recording nor its time.
    void menuShowsAndHides() {
        FakeAudioDevices audio;  // outlives the window that records from it
        TestApp app;
        app.ctx.audio = &audio;
        QVERIFY(app.start());
        app.window->show();
        auto* group = app.find<RecorderPanel>(QStringLiteral("分组框5"));
        app.trigger(QStringLiteral("打开笔录录音"));
        QVERIFY(group->isVisible());
        group->findChild<QPushButton*>(QStringLiteral("按钮录音"))->click();
        QCOMPARE(app.window->statusText(), u"笔录.录音开始..."_qs);
        app.trigger(QStringLiteral("关闭笔录录音"));
        QVERIFY(!group->isVisible());
        QVERIFY(group->timer()->isActive());
        QVERIFY(group->recorder()->isCapturing());
        group->tick();
        app.trigger(QStringLiteral("打开笔录录音"));
        QVERIFY(group->isVisible());
        QCOMPARE(group->findChild<QLabel*>(QStringLiteral("标签14"))->text(), u"0:0:1"_qs);
    }
};

QTEST_MAIN(TestRecorderPanel)
#include "test_recorder_panel.moc"
