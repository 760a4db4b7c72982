#include "exchange/exchange.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <functional>

#include "exchange/ftp_client.h"
#include "platform/background.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "record/inquiry_record.h"

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

bool hasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

// Nothing reaches the server that could end its command line early (a pasted line break
// would start a command of its own), and the typed name stays a plain name in BL and there.
bool settingsAcceptable(AppContext& ctx, const FtpSettings& s) {
    const std::pair<const char*, const QString*> boxes[] = {
        {"FTP_IP地址", &s.host}, {"FTP帐号", &s.account}, {"FTP密码", &s.password}};
    for (const auto& [label, text] : boxes) {
        if (!hasControlCharacter(*text)) continue;
        ctx.dialogs->message(QStringLiteral("“%1”中含有回车、换行等控制字符，请重新添写。")
                                 .arg(QString::fromUtf8(label)),
                             QStringLiteral("提示："));
        return false;
    }
    const QString reason = unsafeFileNameReason(s.name);
    if (reason.isEmpty()) return true;
    ctx.dialogs->message(QStringLiteral("文件名“%1”%2，不能用于上传或下载。").arg(s.name, reason),
                         QStringLiteral("提示："));
    return false;
}

enum class Outcome { Done, LoginRefused, Failed, Cancelled };

// Login, the remote directory and the transfer, off the GUI thread; the officer may stop it.
Outcome transfer(AppContext& ctx, const FtpSettings& s, const QString& busyText,
                 const std::function<bool(FtpClient&)>& step) {
    FtpClient* ftp = ctx.ftp;
    if (!ftp) return Outcome::LoginRefused;
    bool cancelled = false;
    BusyCancel stop;
    stop.cancel = [&] {
        cancelled = true;
        ftp->cancel();
    };
    stop.confirmClose = [&ctx] {
        return ctx.dialogs->message(QStringLiteral("正在与FTP服务器传送笔录模板。\n"
                                                   "中止传送并关闭窗口吗？"),
                                    QStringLiteral("提 示："), Buttons::YesNo) == Answer::Yes;
    };
    const Outcome outcome = runBusy(
        busyText,
        [&] {
            if (!ftp->connect(s.host, s.account, s.password)) return Outcome::LoginRefused;
            // Servers without the directory take the template in the login directory.
            ftp->setCurrentDirectory(kRemoteDirectory);
            return step(*ftp) ? Outcome::Done : Outcome::Failed;
        },
        stop);
    return cancelled && outcome != Outcome::Done ? Outcome::Cancelled : outcome;
}

// The status line as the officers know it; the reason of a failure in a message box.
void report(AppContext& ctx, Outcome outcome, const char* done, const char* failed,
            const char* cancelled) {
    setStatus(ctx, QString::fromUtf8(outcome == Outcome::Done           ? done
                                     : outcome == Outcome::LoginRefused ? "服务器帐号密码不对.."
                                     : outcome == Outcome::Cancelled ? cancelled
                                                                     : failed));
    if (outcome != Outcome::Failed) return;
    const QString why = ctx.ftp->lastError();
    ctx.dialogs->message(QString::fromUtf8(failed) + (why.isEmpty() ? QString() : "\n" + why),
                         QStringLiteral("提示："), Buttons::Ok, Icon::Warning);
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
    if (!settingsComplete(ctx, s) || !settingsAcceptable(ctx, s)) return;
    FileDialogSpec browse;
    browse.mode = FileDialogSpec::Mode::BrowseFiles;
    browse.title = QStringLiteral(" ");
    ctx.paths.offerIn(browse);
    const QString path = ctx.dialogs->chooseFile(browse);
    ctx.record->setHidden(Hidden::ftpLocalPath, path);
    if (path.isEmpty() || !path.contains(QLatin1String("ini"))) {
        ctx.dialogs->message(QStringLiteral("请选择笔录模板文件.ini上传"),
                             QStringLiteral("提示："));
        return;
    }
    const QString remote = s.name + QStringLiteral(".ini");
    const Outcome outcome = transfer(ctx, s, QStringLiteral("正在上传笔录模板到FTP服务器..."),
                                     [&](FtpClient& ftp) { return ftp.putFile(path, remote); });
    report(ctx, outcome, "笔录模板文件.ini上传FTP服务器成功.", "笔录上传失败.", "笔录上传已取消.");
}

void downloadTemplate(AppContext& ctx, const FtpSettings& s) {
    if (!settingsComplete(ctx, s) || !settingsAcceptable(ctx, s)) return;
    const QString fileName = s.name + QStringLiteral(".ini");
    const QString local = ctx.paths.blDir() + QLatin1Char('/') + fileName;
    const Outcome outcome = transfer(ctx, s, QStringLiteral("正在从FTP服务器下载笔录模板..."),
                                     [&](FtpClient& ftp) { return ftp.getFile(fileName, local); });
    report(ctx, outcome, "笔录模板.ini文件下载到 笔录软件的BL目录成功.", "笔录下载失败.",
           "笔录下载已取消.");
}

}  // namespace hb
