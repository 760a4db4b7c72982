#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <utility>

#include "library/library.h"
#include "office/office.h"
#include "platform/background.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "record/inquiry_record.h"

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

// Forms filled in for an authority, named by their content: each is converted once, and a
// form the officer has not touched since is recognised as such.
QString filledDir(const AppContext& ctx) {
    return QDir(ctx.paths.systemDir).filePath(QStringLiteral(".wenshu"));
}

bool writtenBefore(const AppContext& ctx, const InspectionForm& form, const QByteArray& bytes) {
    if (bytes == inspectionFormBytes(form)) return true;
    const QDir filled(filledDir(ctx));
    for (const QString& name :
         filled.entryList({inspectionFormStem(form) + QStringLiteral("-*.doc")}))
        if (readFileBytes(filled.filePath(name)) == bytes) return true;
    return false;
}

// The office converts the filled source into the form; the reason when it did not.
QString convertFilled(AppContext& ctx, const InspectionForm& form, const QByteArray& source,
                      const QString& target) {
    QTemporaryDir work;
    const QString fodt = work.filePath(inspectionFormStem(form) + QStringLiteral(".fodt"));
    if (!QDir().mkpath(filledDir(ctx)))
        return QStringLiteral("无法创建目录 %1").arg(filledDir(ctx));
    QString failure;
    if (!work.isValid() || !writeFileBytes(fodt, source, &failure))
        return QStringLiteral("无法写入 %1 %2").arg(fodt, failure);
    OfficeSuite& office = *ctx.office;
    office.create();
    office.attach();
    if (!office.open(fodt) || !office.saveAs(target)) failure = office.lastError();
    office.close();
    office.quit();
    if (failure.isEmpty() && QFileInfo(target).size() <= 0)
        failure = QStringLiteral("没有生成 %1").arg(target);
    return failure;
}

}  // namespace

FormAuthority formAuthority(const AppContext& ctx) {
    const IniIndex settings = IniIndex::load(ctx.paths.settingsFile());
    return {settings.value(QStringLiteral("wenshu"), QStringLiteral("jiguan")),
            settings.value(QStringLiteral("wenshu"), QStringLiteral("wenhao"))};
}

QByteArray fillFormSource(const QByteArray& source, const FormAuthority& authority) {
    QString text = QString::fromUtf8(source);
    const std::pair<QLatin1String, QString> blanks[] = {
        {QLatin1String("Jiguan"), authority.name},
        {QLatin1String("Wenhao"), authority.numberPrefix},
    };
    for (const auto& [style, value] : blanks) {
        if (value.isEmpty()) continue;
        const QRegularExpression span(
            QStringLiteral("<text:span text:style-name=\"%1\">[^<]*</text:span>").arg(style));
        QString out;
        qsizetype at = 0;
        for (const QRegularExpressionMatch& m : span.globalMatch(text)) {
            out += QStringView(text).mid(at, m.capturedStart() - at);
            out += value.toHtmlEscaped();
            at = m.capturedEnd();
        }
        out += QStringView(text).mid(at);
        text = out;
    }
    return text.toUtf8();
}

QByteArray formBytes(AppContext& ctx, const InspectionForm& form, QString* error) {
    const FormAuthority authority = formAuthority(ctx);
    const QByteArray source = inspectionFormSource(form);
    if (authority.isEmpty() || source.isEmpty()) return inspectionFormBytes(form);
    const QByteArray filled = fillFormSource(source, authority);
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(filled, QCryptographicHash::Sha1).toHex().left(16));
    const QString path =
        QDir(filledDir(ctx)).filePath(inspectionFormStem(form) + QLatin1Char('-') + key + ".doc");
    if (QFileInfo(path).size() <= 0) {
        const QString why = runBusy(QStringLiteral("正在填写监察文书的发文机关..."),
                                    [&] { return convertFilled(ctx, form, filled, path); });
        if (!why.isEmpty()) {
            *error = QStringLiteral("无法填写发文机关：%1").arg(why);
            return {};
        }
    }
    return readFileBytes(path);
}

bool writeForm(AppContext& ctx, const InspectionForm& form, const QByteArray& bytes,
               QString* backup, QString* error) {
    backup->clear();
    const QString path = formPath(ctx, form);
    if (!QDir().mkpath(ctx.paths.systemDir)) {
        *error = QStringLiteral("无法创建目录 %1").arg(ctx.paths.systemDir);
        return false;
    }
    if (QFileInfo::exists(path)) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly)) {
            // Unreadable means unknown content: never overwrite what may be the officer's.
            *error = unreadableReason(path);
            return false;
        }
        const QByteArray before = existing.readAll();
        existing.close();
        if (before != bytes && !writtenBefore(ctx, form, before)) {
            const QString copy = datedCopyPath(path, ctx.clock->now());
            if (!QFile::rename(path, copy)) {
                *error = QStringLiteral("原文件无法另存为 %1").arg(copy);
                return false;
            }
            *backup = copy;
        }
    }
    return writeFileBytes(path, bytes, error);
}

namespace {

// The office check, then the form written out before any office program shows it, so that
// a failed write shows nothing. The form's path, or empty when the command ends here.
QString prepareForm(AppContext& ctx, const InspectionForm& form, const QString& notInstalled) {
    if (!isOfficeInstalled(ctx)) {
        ctx.dialogs->message(notInstalled, kCannotOpen);
        return {};
    }
    const QString path = formPath(ctx, form);
    QString backup, error;
    const QByteArray bytes = formBytes(ctx, form, &error);
    if (bytes.isEmpty() || !writeForm(ctx, form, bytes, &backup, &error)) {
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
    const auto [printed, printError] = runBusy(QStringLiteral("正在打印……"), [&office] {
        office.setVisible(false);
        const bool done = office.print();
        const QString error = done ? QString() : office.lastError();
        office.close();
        office.quit();
        office.releaseDocuments();
        office.releaseApplication();
        return std::pair(done, error);
    });
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
