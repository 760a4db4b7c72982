#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "record/inquiry_record.h"
#include "document/office.h"
#include "library/library.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"

namespace hb {
namespace {

const QString kCannotOpen = QStringLiteral("无 法 打 开 文 档：");

// ws3.doc → ws3-20261209-101500.doc, with a counter when that name is taken.
QString datedCopyPath(const QString& path, const QDateTime& when) {
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName() + QLatin1Char('-') +
                                             when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString suffix = QLatin1Char('.') + info.suffix();
    QString candidate = stem + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + QStringLiteral("-%1").arg(n) + suffix;
    return candidate;
}

void reportWriteFailure(AppContext& ctx, const QString& path, const QString& error) {
    ctx.dialogs->message(QStringLiteral("监察文书无法写入：\n%1\n%2").arg(path, error),
                         kCannotOpen);
}

void reportBackup(AppContext& ctx, const QString& backup) {
    if (backup.isEmpty()) return;
    const QString note = QStringLiteral("原有的已修改文书已另存为 %1").arg(backup);
    ctx.record->setHidden(Hidden::statusMessage, note);
    ctx.record->setStatusText(note);
}

QString formPath(const AppContext& ctx, const InspectionForm& form) {
    return QDir(ctx.paths.systemDir).filePath(QString::fromUtf8(form.fileName));
}

}  // namespace

bool writeBlankForm(AppContext& ctx, const InspectionForm& form, QString* backup, QString* error) {
    backup->clear();
    const QString path = formPath(ctx, form);
    const QByteArray blank = inspectionFormBytes(form);
    if (!QDir().mkpath(ctx.paths.systemDir)) {
        *error = QStringLiteral("无法创建目录 %1").arg(ctx.paths.systemDir);
        return false;
    }
    if (QFileInfo::exists(path)) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly)) {
            // Unreadable means unknown content: never overwrite what may be the officer's.
            *error = existing.errorString();
            return false;
        }
        const bool changed = existing.readAll() != blank;
        existing.close();
        if (changed) {
            const QString copy = datedCopyPath(path, ctx.clock->now());
            if (!QFile::rename(path, copy)) {
                *error = QStringLiteral("原文件无法另存为 %1").arg(copy);
                return false;
            }
            *backup = copy;
        }
    }
    return writeFileBytes(path, blank, error);
}

namespace {

// The office check, then the blank form written out before any office program starts, so
// that a failed write starts nothing. The form's path, or empty when the command ends here.
QString prepareForm(AppContext& ctx, const InspectionForm& form, const QString& notInstalled) {
    if (!isOfficeInstalled(ctx)) {
        ctx.dialogs->message(notInstalled, kCannotOpen);
        return {};
    }
    const QString path = formPath(ctx, form);
    QString backup, error;
    if (!writeBlankForm(ctx, form, &backup, &error)) {
        reportWriteFailure(ctx, path, error);
        return {};
    }
    reportBackup(ctx, backup);
    return path;
}

}  // namespace

void openInspectionDocument(AppContext& ctx, const InspectionForm& form) {
    const QString path =
        prepareForm(ctx, form, QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件."));
    if (path.isEmpty()) return;

    OfficeSuite& office = *ctx.office;
    office.create();
    office.attach();
    if (!office.open(path)) {
        ctx.dialogs->message(
            QStringLiteral("无法打开监察文书 %1\n%2").arg(path, office.lastError()), kCannotOpen);
        office.quit();
        office.releaseDocuments();
        office.releaseApplication();
        return;
    }
    const Answer answer = ctx.dialogs->message(QStringLiteral("是否直接打印此监察文书？"),
                                               QStringLiteral("提 示："), Buttons::OkCancel);
    if (answer != Answer::Ok) {
        office.setVisible(true);
        return;
    }
    office.setVisible(false);
    const bool printed = office.print();
    const QString printError = printed ? QString() : office.lastError();
    office.close();
    office.quit();
    office.releaseDocuments();
    office.releaseApplication();
    if (printed)
        ctx.record->setStatusText(QStringLiteral("打印监察文书成功..."));
    else
        ctx.dialogs->message(QStringLiteral("监察文书没有打印成功：%1\n%2").arg(path, printError),
                             QStringLiteral("无 法 打 印："));
}

void openCollectionWorkbook(AppContext& ctx, const InspectionForm& form) {
    // The same check as for the word processor: the suite counts as a whole.
    const QString path =
        prepareForm(ctx, form, QStringLiteral("电 脑 没 有 安 装 OFFICE 办 公 软 件."));
    if (path.isEmpty()) return;

    OfficeSuite& office = *ctx.office;
    office.spreadsheetCreate();
    office.spreadsheetAttach();
    if (!office.spreadsheetOpen(path)) {
        ctx.dialogs->message(QStringLiteral("无法打开采集表 %1\n%2").arg(path, office.lastError()),
                             kCannotOpen);
        return;
    }
    office.spreadsheetShow();
}

void openForm(AppContext& ctx, const InspectionForm& form) {
    if (form.program == InspectionForm::Program::Spreadsheet)
        openCollectionWorkbook(ctx, form);
    else
        openInspectionDocument(ctx, form);
}

}  // namespace hb
