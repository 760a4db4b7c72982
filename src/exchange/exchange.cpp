#include "exchange/exchange.h"

#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "record/inquiry_record.h"
#include "exchange/ftp_client.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/wait_cursor.h"

namespace hb {
namespace {

const QString kHost = QStringLiteral("编辑框20");
const QString kName = QStringLiteral("编辑框23");
const QString kAccount = QStringLiteral("编辑框21");
const QString kPassword = QStringLiteral("编辑框22");
const QString kRemoteDirectory = QStringLiteral("wwwroot/");

void setStatus(AppContext& ctx, const QString& text) {
    ctx.record->setHidden(Hidden::statusMessage, text);
}

bool settingsComplete(AppContext& ctx, const FtpSettings& s) {
    if (!s.host.isEmpty() && !s.account.isEmpty() && !s.password.isEmpty() && !s.name.isEmpty())
        return true;
    ctx.dialogs->message(QStringLiteral("FTP服务器配置没有添写！"),
                         QStringLiteral("请完善FTP服务器配置才可以上传下载："));
    return false;
}

// The typed name becomes a file in BL and on the server: it must stay a plain name.
bool nameAcceptable(AppContext& ctx, const QString& name) {
    const QString reason = unsafeFileNameReason(name);
    if (reason.isEmpty()) return true;
    ctx.dialogs->message(QStringLiteral("文件名“%1”%2，不能用于上传或下载。").arg(name, reason),
                         QStringLiteral("提示："));
    return false;
}

bool connectAndEnter(AppContext& ctx, const FtpSettings& s) {
    if (!ctx.ftp || !ctx.ftp->connect(s.host, s.account, s.password)) {
        setStatus(ctx, QStringLiteral("服务器帐号密码不对.."));
        return false;
    }
    // Servers without the directory take the template in the login directory.
    ctx.ftp->setCurrentDirectory(kRemoteDirectory);
    return true;
}

QLineEdit* box(QWidget* parent, const QString& name, const QRect& r) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(r);
    return e;
}

void label(QWidget* parent, const char* name, const QRect& r, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setGeometry(r);
}

QString boxText(const QWidget* panel, const QString& name) {
    const auto* e = panel->findChild<QLineEdit*>(name);
    return e ? e->text() : QString();
}

}  // namespace

QGroupBox* createFtpPanel(QWidget* parent) {
    auto* g = new QGroupBox(QStringLiteral("FTP服务器配置"), parent);
    g->setObjectName(QStringLiteral("分组框7"));
    g->setGeometry(305, -8, 271, 65);
    label(g, "标签16", {9, 14, 70, 24}, "FTP_IP地址：");
    box(g, kHost, {79, 15, 79, 20});
    label(g, "标签19", {162, 13, 42, 24}, "文件名：");
    box(g, kName, {207, 15, 60, 20});
    label(g, "标签17", {9, 39, 56, 24}, "FTP帐号：");
    box(g, kAccount, {64, 40, 71, 20});
    label(g, "标签18", {141, 39, 56, 24}, "FTP密码：");
    box(g, kPassword, {197, 40, 71, 20});  // shown in plain text, as the officers know it
    g->hide();
    return g;
}

void toggleFtpPanel(QWidget* panel) {
    panel->move(1, 0);
    panel->setVisible(!panel->isVisible());
    if (panel->isVisible()) panel->raise();
}

FtpSettings ftpSettings(const QWidget* panel) {
    return {boxText(panel, kHost), boxText(panel, kAccount), boxText(panel, kPassword),
            boxText(panel, kName)};
}

void uploadTemplate(AppContext& ctx, const FtpSettings& s) {
    if (!settingsComplete(ctx, s) || !nameAcceptable(ctx, s.name)) return;
    FileDialogSpec browse;
    browse.mode = FileDialogSpec::Mode::BrowseFiles;
    browse.title = QStringLiteral(" ");
    const QString path = ctx.dialogs->chooseFile(browse);
    ctx.record->setHidden(Hidden::ftpLocalPath, path);
    if (path.isEmpty() || !path.contains(QLatin1String("ini"))) {
        ctx.dialogs->message(QStringLiteral("请选择笔录模板文件.ini上传"),
                             QStringLiteral("提示："));
        return;
    }
    WaitCursor wait;
    if (!connectAndEnter(ctx, s)) return;
    const bool sent = ctx.ftp->putFile(path, s.name + QStringLiteral(".ini"));
    setStatus(ctx, sent ? QStringLiteral("笔录模板文件.ini上传FTP服务器成功.")
                        : QStringLiteral("笔录上传失败."));
}

void downloadTemplate(AppContext& ctx, const FtpSettings& s) {
    if (!settingsComplete(ctx, s) || !nameAcceptable(ctx, s.name)) return;
    WaitCursor wait;
    if (!connectAndEnter(ctx, s)) return;
    const QString fileName = s.name + QStringLiteral(".ini");
    const bool fetched =
        ctx.ftp->getFile(fileName, ctx.paths.blDir() + QLatin1Char('/') + fileName);
    setStatus(ctx, fetched ? QStringLiteral("笔录模板.ini文件下载到 笔录软件的BL目录成功.")
                           : QStringLiteral("笔录下载失败."));
}

}  // namespace hb
