#include "extras/extras.h"

#include <QDir>

#include "extras/http_client.h"
#include "extras/links.h"
#include "office/office.h"
#include "office/office_components.h"
#include "platform/background.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/shell.h"
#include "record/inquiry_record.h"

namespace hb {
namespace {

const QString kNotice = QStringLiteral("提 示：");

void startFirstInstalled(AppContext& ctx, const QStringList& candidates) {
    const QString program = ctx.shell->findProgram(candidates);
    if (!program.isEmpty()) ctx.shell->startDetached(program, {});
}

void startOffice(AppContext& ctx, bool spreadsheet, const QString& refusal) {
    if (!isOfficeInstalled(ctx)) {
        ctx.dialogs->message(refusal, QStringLiteral("无 法 打 印："));
        return;
    }
    const ToolCommand c = officeProgram(ctx.record->hidden(Hidden::officePath), spreadsheet);
    ctx.shell->startDetached(c.program, c.arguments);
}

}  // namespace

void openLink(AppContext& ctx, const QString& caption) {
    const QString address = linkAddress(caption);
    if (!address.isEmpty()) ctx.shell->openWebAddress(address);
}

void startCalculator(AppContext& ctx) {
    startFirstInstalled(ctx, kCalculators);
}
void startTextEditor(AppContext& ctx) {
    startFirstInstalled(ctx, kTextEditors);
}

void startWordProcessor(AppContext& ctx) {
    startOffice(ctx, false, QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件."));
}

void startSpreadsheet(AppContext& ctx) {
    if (isOfficeInstalled(ctx) && !hasSpreadsheet(ctx.record->hidden(Hidden::officePath))) {
        ctx.dialogs->message(missingSpreadsheetReason(), kNotice);
        return;
    }
    startOffice(ctx, true, QStringLiteral("电 脑 没 有 安 装 ExceL 办 公 软 件."));
}

void showAuthorInformation(AppContext& ctx) {
    ctx.dialogs->message(authorInformation(), QStringLiteral("作者信息："));
}

void checkForUpdate(AppContext& ctx) {
    QByteArray answer;
    HttpClient* http = ctx.http;
    const QString address = updateFileAddress();
    const bool fetched = http && runBusy(QStringLiteral("正在检查软件更新..."),
                                         [&] { return http->get(address, &answer); });
    // No answer is not "no new version": say so, and keep the copy of the last check.
    if (!fetched) {
        ctx.dialogs->message(QStringLiteral("无法获取软件更新信息，请检查网络连接或稍后再试。"),
                             kNotice);
        return;
    }
    QDir().mkpath(ctx.paths.systemDir);
    writeFileBytes(ctx.paths.systemDir + QStringLiteral("/soft.ini"), answer);
    // The answer just written decides, also when the system folder refused it.
    const QString flag = IniFile(answer).value(QStringLiteral("set"), QStringLiteral("gengxin"));
    if (flag == QLatin1String("1"))
        ctx.dialogs->message(QStringLiteral("软件有新版本！ 请到 ") + siteAddress() +
                                 QStringLiteral(" 下载新版本使用。。。"),
                             kNotice);
    else
        ctx.dialogs->message(QStringLiteral("软件暂时没有新版本用于更新！"), kNotice);
}

}  // namespace hb
