#include "recorder/recorder_panel.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "platform/context.h"
#include "platform/dialogs.h"
#include "record/inquiry_record.h"
#include "recorder/playback.h"
#include "recorder/recorder.h"

namespace hb {
namespace {

template <class W>
W* make(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromUtf8(name));
    w->setGeometry(geometry);
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QRect& r, const char* caption) {
    auto* b = make<QPushButton>(parent, name, r);
    b->setText(QString::fromUtf8(caption));
    return b;
}

constexpr int kSliderEnd = 888;

}  // namespace

RecorderPanel::RecorderPanel(AppContext& ctx, QWidget* parent) : QGroupBox(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("分组框5"));
    setGeometry(1, -1, 271, 66);
    slider_ = make<QSlider>(this, "滑块条1", {8, 9, 188, 26});
    slider_->setOrientation(Qt::Horizontal);
    slider_->setRange(1, kSliderEnd);
    slider_->setValue(1);
    slider_->setPageStep(5);
    slider_->setSingleStep(1);
    slider_->setTickPosition(QSlider::TicksBelow);
    elapsed_ = make<QLabel>(this, "标签14", {198, 10, 66, 22});
    record_ = button(this, "按钮录音", {17, 39, 48, 24}, "录音");
    pause_ = button(this, "按钮暂停", {66, 39, 48, 24}, "暂停");
    pause_->setEnabled(false);
    resume_ = button(this, "按钮继续", {66, 39, 48, 24}, "继续");
    resume_->hide();
    save_ = button(this, "按钮4", {115, 39, 57, 24}, "停止保存");
    save_->setEnabled(false);
    play_ = button(this, "按钮播放", {174, 39, 46, 24}, "播放");
    stopPlay_ = button(this, "暂停", {221, 39, 46, 24}, "停止");
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("时钟1"));
    timer_->setInterval(1000);

    connect(record_, &QPushButton::clicked, this, &RecorderPanel::record);
    connect(pause_, &QPushButton::clicked, this, &RecorderPanel::pause);
    connect(resume_, &QPushButton::clicked, this, &RecorderPanel::resume);
    connect(save_, &QPushButton::clicked, this, &RecorderPanel::stopAndSave);
    connect(play_, &QPushButton::clicked, this, &RecorderPanel::play);
    connect(stopPlay_, &QPushButton::clicked, this, &RecorderPanel::stopPlayback);
    connect(timer_, &QTimer::timeout, this, &RecorderPanel::tick);
}

RecorderPanel::~RecorderPanel() = default;

void RecorderPanel::status(const char* text) {
    ctx_.record->setStatusText(QString::fromUtf8(text));
}

void RecorderPanel::record() {
    // A panel that went on as if recording would later save nothing, or an older
    // recording under the new name: without a device it stays as it was.
    if (ctx_.audio && !recorder_) {
        recorder_ = std::make_unique<Recorder>(*ctx_.audio);
        recorder_->setOnDeviceLost([this](CaptureFault fault) { deviceLost(fault); });
    }
    if (!recorder_ || !recorder_->setFormat(1, 8000, 16) || !recorder_->start()) {
        ctx_.dialogs->message(
            QStringLiteral("没有可用的录音设备，无法录音。请检查麦克风或声音设置。"),
            QStringLiteral("提示："));
        return;
    }
    record_->setEnabled(false);
    pause_->setEnabled(true);
    resume_->setEnabled(true);
    save_->setEnabled(true);
    status("笔录.录音开始...");
    hours_ = minutes_ = seconds_ = 0;
    elapsed_->setText(QStringLiteral("0:0:0"));
    timer_->start(1000);
}

void RecorderPanel::pause() {
    pause_->hide();
    resume_->show();
    if (recorder_) recorder_->pause();
    status("笔录.暂停录音...");
    timer_->stop();
}

void RecorderPanel::resume() {
    pause_->show();
    resume_->hide();
    if (recorder_) recorder_->resume();
    timer_->start(1000);
    status("笔录.继续录音...");
}

// No recording runs: 录音 starts a new one; the clock stands.
void RecorderPanel::showStopped() {
    timer_->stop();
    pause_->setEnabled(false);
    resume_->setEnabled(false);
    record_->setEnabled(true);
}

void RecorderPanel::stopAndSave() {
    if (recorder_) recorder_->stop();
    showStopped();
    status("录音停止！请选择保存录音笔录的文件名称...");

    FileDialogSpec dialog;
    dialog.designName = QStringLiteral("通用对话框1");
    dialog.mode = FileDialogSpec::Mode::Save;
    dialog.filter = QStringLiteral("WAV录音文件|*.wav");
    dialog.defaultSuffix = QStringLiteral("WAV");
    dialog.suggestedName = lastSavePath_;
    const QString path = ctx_.dialogs->chooseFile(dialog);
    if (path.isEmpty()) {
        ctx_.dialogs->message(QStringLiteral("没有输入WAV音频文件名称，请重新保存。"),
                              QStringLiteral("提示："));
        return;
    }
    lastSavePath_ = path;
    QString error;
    if (!recorder_ || !recorder_->saveTo(path, true, &error)) {
        // The recording is still held: 按钮4 stays so that it can be saved elsewhere.
        ctx_.dialogs->message(QStringLiteral("录音文件保存失败：\n%1\n%2").arg(path, error),
                              QStringLiteral("提示："));
        return;
    }
    save_->setEnabled(false);
    status("笔录.录音保存成功...");
}

// As after a cancelled save dialog: 按钮4 saves what was captured, 录音 starts anew.
void RecorderPanel::deviceLost(CaptureFault fault) {
    showStopped();
    save_->setEnabled(true);
    const QString what = fault == CaptureFault::NotResponding ? QStringLiteral("录音设备没有响应")
                                                              : QStringLiteral("录音设备已断开");
    ctx_.record->setStatusText(what + QStringLiteral("，录音停止..."));
    ctx_.dialogs->message(
        what + QStringLiteral("，录音已停止。\n已录下的声音都还在，请点击“停止保存”保存。"),
        QStringLiteral("提示："));
}

void RecorderPanel::tick() {
    if (++seconds_ == 60) {
        seconds_ = 0;
        if (++minutes_ == 60) {
            minutes_ = 0;
            ++hours_;
        }
    }
    elapsed_->setText(QStringLiteral("%1:%2:%3").arg(hours_).arg(minutes_).arg(seconds_));
    slider_->setValue(qMin(slider_->value() + 1, kSliderEnd));
}

void RecorderPanel::play() {
    FileDialogSpec dialog;
    dialog.mode = FileDialogSpec::Mode::BrowseFiles;
    dialog.title = QStringLiteral(" ");
    ctx_.record->setHidden(Hidden::audioFilePath, ctx_.dialogs->chooseFile(dialog));
    const QString path = ctx_.record->hidden(Hidden::audioFilePath);
    // Any letter case: the save dialog itself adds ".WAV".
    if (path.isEmpty() || !path.contains(QLatin1String("wav"), Qt::CaseInsensitive)) {
        ctx_.dialogs->message(QStringLiteral("音频文件不正确，请选择正确音频文件播放..."),
                              QStringLiteral("提 示："));
        return;
    }
    status("笔录.录音播放中...");
    if (playSoundFile(ctx_.audio, path) == PlayResult::NoOutputDevice)
        ctx_.dialogs->message(
            QStringLiteral("没有可用的放音设备，无法播放。请检查扬声器或声音设置。"),
            QStringLiteral("提 示："));
}

void RecorderPanel::stopPlayback() {
    stopSound(ctx_.audio);
}

}  // namespace hb
