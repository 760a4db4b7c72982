#include "document/record_commands.h"

#include <QDir>
#include <QFileInfo>

#include "document/composer.h"
#include "office/office.h"
#include "platform/background.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "record/inquiry_record.h"

namespace hb {
namespace {

const QString kTip = QStringLiteral("提 示：");
const QString kNoOffice = QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件.");

const QString kSaving = QStringLiteral("正在保存笔录……");
const QString kPrinting = QStringLiteral("正在打印……");

// The fixed pauses let an office that works asynchronously catch up; others need none.
void settle(AppContext& ctx, int ms) {
    if (ctx.pause && ctx.office->worksAsynchronously())
        runBusy(QStringLiteral("请稍候……"), [&] { ctx.pause->pause(ms); });
}

// BL as the officer sees it in the messages: with its trailing separator.
QString blShown(const AppContext& ctx) {
    return QDir::toNativeSeparators(ctx.paths.blDir() + QLatin1Char('/'));
}

bool recordReady(AppContext& ctx, const QString& noUnitText) {
    const InquiryRecord& r = *ctx.record;
    if (r.text(Field::workUnit).isEmpty()) {
        ctx.dialogs->message(noUnitText, kTip);
        return false;
    }
    if (r.text(Field::endHour).isEmpty() || r.text(Field::endMinute).isEmpty()) {
        ctx.dialogs->message(QStringLiteral(" 笔录结束时间没有添写！ "), kTip);
        return false;
    }
    const QString unsafe = unsafeStemMessage(r);
    if (!unsafe.isEmpty()) {
        ctx.dialogs->message(unsafe, kTip, Buttons::Ok, Icon::Warning);
        return false;
    }
    return true;
}

void reportTemplateFailure(AppContext& ctx, const Composition& c) {
    if (c.templateError.isEmpty()) return;
    ctx.dialogs->message(
        QStringLiteral("笔录模板没有保存：%1\n%2").arg(c.templatePath, c.templateError),
        QStringLiteral("保存失败："), Buttons::Ok, Icon::Warning);
}

void preview(AppContext& ctx, const QString& document) {
    const QString program = ctx.record->hidden(Hidden::officePath) + QStringLiteral("/soffice");
    ctx.record->setHidden(Hidden::officePath, program);
    if (!ctx.shell->startDetached(program, {QStringLiteral("--writer"), document}))
        ctx.dialogs->message(QStringLiteral("无法启动 LibreOffice Writer：%1").arg(program),
                             QStringLiteral("预览失败："), Buttons::Ok, Icon::Warning);
}

}  // namespace

void saveRecordCommand(AppContext& ctx) {
    InquiryRecord& r = *ctx.record;
    Dialogs& d = *ctx.dialogs;
    OfficeSuite& office = *ctx.office;
    if (!isOfficeInstalled(ctx)) {
        d.message(kNoOffice, QStringLiteral("无法保存笔录为Word文档："));
        return;
    }
    if (!recordReady(ctx, QStringLiteral(" 笔录没有录入完成，工作单位等资料都没有添写. "))) return;
    // An earlier save's success text must not stand over this one's outcome.
    r.setHidden(Hidden::statusMessage, QString());

    const Composition c = composeRecordDocument(ctx);
    settle(ctx, 888);
    const QString document =
        ctx.paths.blDir() + QLatin1Char('/') + r.fileStem() + QStringLiteral(".doc");
    // The old file stays until the new one is complete: no deletion first.
    const bool write =
        c.documentReady && (!QFileInfo::exists(document) ||
                            d.message(QStringLiteral(" 文件以经存在，是否覆盖老文件？ "), kTip,
                                      Buttons::YesNo) == Answer::Yes);
    struct Outcome {
        bool saved = false;
        QString failure;
    };
    const auto [saved, failure] = runBusy(kSaving, [&] {
        Outcome o;
        o.failure = c.documentReady ? QString() : c.documentError;
        if (write) {
            settle(ctx, 2222);
            o.saved = office.saveAs(document);
            if (!o.saved) o.failure = office.lastError();
        }
        settle(ctx, 888);
        office.close();
        settle(ctx, 888);
        office.quit();
        return o;
    });

    reportTemplateFailure(ctx, c);
    if (!failure.isEmpty()) {
        d.message(QStringLiteral("笔录WORD文件没有保存：%1\n%2").arg(document, failure),
                  QStringLiteral("保存失败："), Buttons::Ok, Icon::Warning);
        return;
    }
    if (d.message(QStringLiteral(" 是 否 对 此 笔 录 文 件 进 行 预 览？ "), kTip,
                  Buttons::YesNo) == Answer::Yes)
        preview(ctx, document);
    if (saved)
        r.setHidden(Hidden::statusMessage, QStringLiteral("笔录WORD文件以经保存在 <") +
                                               blShown(ctx) + QStringLiteral("目录中> "));
}

void printCurrentRecord(AppContext& ctx) {
    OfficeSuite& office = *ctx.office;
    if (!isOfficeInstalled(ctx)) {
        ctx.dialogs->message(kNoOffice, QStringLiteral("无法打印："));
        return;
    }
    if (!recordReady(ctx, QStringLiteral("笔录没有录入完成，工作单位等资料没有添写."))) return;

    const Composition c = composeRecordDocument(ctx);
    const QString failure = runBusy(kPrinting, [&] {
        QString why = c.documentError;
        settle(ctx, 1234);
        if (c.documentReady && !office.print()) why = office.lastError();
        settle(ctx, 1234);
        office.close();
        settle(ctx, 1234);
        office.quit();
        return why;
    });

    reportTemplateFailure(ctx, c);
    if (!c.documentReady || !failure.isEmpty()) {
        ctx.dialogs->message(QStringLiteral("笔录没有打印出来：\n%1").arg(failure),
                             QStringLiteral("无法打印："), Buttons::Ok, Icon::Warning);
        return;
    }
    ctx.record->setHidden(Hidden::statusMessage, QStringLiteral("打 印 成 功！"));
}

void printRecordCommand(AppContext& ctx) {
    Dialogs& d = *ctx.dialogs;
    if (d.message(QStringLiteral(" 是/否 打 印 当 前 笔 录 内 容 ？ \r\n"),
                  QStringLiteral("打印提示："), Buttons::YesNo) == Answer::Yes) {
        printCurrentRecord(ctx);
        return;
    }
    FileDialogSpec request;
    request.designName = QStringLiteral("通用对话框3");
    request.mode = FileDialogSpec::Mode::Open;
    request.filter = QStringLiteral("*.doc 选择要打印的笔录WORD文件|*.doc");
    request.defaultSuffix = QStringLiteral("ini");
    ctx.paths.offerIn(request);
    const QString path = d.chooseFile(request);
    if (path.isEmpty()) {
        d.message(QStringLiteral("没有选择正确的笔录文件！笔录WORD文件保存在 <") + blShown(ctx) +
                      QStringLiteral("> 目录中。"),
                  QStringLiteral("错误："));
        return;
    }
    ctx.record->setHidden(Hidden::templatePath, path);
    if (!isOfficeInstalled(ctx)) {
        d.message(kNoOffice, QStringLiteral("无法打印："));
        return;
    }
    if (!path.contains(QLatin1String("doc"))) {
        d.message(QStringLiteral("打印笔录文档选择的不匹配 (要选doc文档).   请重新再选。"), kTip);
        return;
    }
    QString failure;
    if (!printOfficeFile(ctx, path, &failure)) {
        d.message(QStringLiteral("%1 没有打印出来：\n%2").arg(path, failure),
                  QStringLiteral("无法打印："), Buttons::Ok, Icon::Warning);
        return;
    }
    ctx.record->setHidden(Hidden::statusMessage, QStringLiteral("打印笔录成功... "));
}

}  // namespace hb
