#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>

#include "library/library.h"
#include "office/office.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "record/inquiry_record.h"
#include "resources/resources.h"

namespace hb {
namespace {

const QRect kShownPlace(1, 64, 1017, 506);

template <class W>
W* make(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    w->hide();
    return w;
}

}  // namespace

ReadingPanel::ReadingPanel(QWidget* client, AppContext& ctx, QObject* parent)
    : QObject(parent), ctx_(ctx) {
    box_ = make<QPlainTextEdit>(client, QStringLiteral("超级编辑框1"), {376, 520, 440, 320});
    box_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The Song face directly when 宋体 itself is missing: blanks align the tables of the texts.
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), songFace()});
    font.setPointSize(9);
    box_->setFont(font);
    print_ = make<QPushButton>(client, QStringLiteral("按钮6"), {713, 545, 138, 20});
    print_->setText(QStringLiteral("打  印"));
    close_ = make<QPushButton>(client, QStringLiteral("按钮3"), {856, 544, 138, 20});
    close_->setText(QStringLiteral("关  闭"));
    close_->setToolTip(QStringLiteral("关闭文件界面."));
    connect(print_, &QPushButton::clicked, this, [this] { print(); });
    connect(close_, &QPushButton::clicked, this, [this] { close(); });
}

void ReadingPanel::showLegalText(const LegalText& text) {
    const QString path = QDir(ctx_.paths.systemDir).filePath(QString::fromUtf8(text.fileName));
    QString error;
    // The panel must show the file that the print button prints: after a failed write the
    // old file at that path would be stale, so nothing changes.
    if (!QDir().mkpath(ctx_.paths.systemDir) ||
        !writeFileBytes(path, legalTextBytes(text), &error)) {
        ctx_.dialogs->message(QStringLiteral("法律法规文本无法写入：\n%1\n%2").arg(path, error),
                              QStringLiteral("提 示："));
        return;
    }
    showFile(path);
}

void ReadingPanel::showFile(const QString& path) {
    ctx_.record->setHidden(Hidden::textFilePath, path);
    box_->setGeometry(kShownPlace);
    box_->setPlainText(readFileText(path));
    box_->show();
    // The pages may have been raised since; the buttons lie over the box's lower edge.
    box_->raise();
    close_->show();
    close_->raise();
    print_->show();
    print_->raise();
}

void ReadingPanel::close() {
    box_->hide();
    close_->hide();
    print_->hide();
}

void ReadingPanel::print() {
    if (!isOfficeInstalled(ctx_)) {
        ctx_.dialogs->message(QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件."),
                              QStringLiteral("无 法 打 印："));
        return;
    }
    const QString path = ctx_.record->hidden(Hidden::textFilePath);
    QString error;
    const bool printed = printOfficeFile(ctx_, path, &error);
    if (printed)
        ctx_.record->setStatusText(QStringLiteral("打印成功..."));
    else
        ctx_.dialogs->message(QStringLiteral("没有打印成功：%1\n%2").arg(path, error),
                              QStringLiteral("无 法 打 印："));
}

}  // namespace hb
