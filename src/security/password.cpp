#include "security/password.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "platform/modules.h"
#include "security/registry.h"

namespace hb {
namespace {

const QString kFlag = QStringLiteral("XFQT");
const QString kPassword = QStringLiteral("MIMA");
const QString kPrompt = QStringLiteral("提 示：");

QLineEdit* passwordBox(QWidget* parent, const QString& name, const QRect& r) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(r);
    e->setEchoMode(QLineEdit::Password);
    // The style's own mask is a dot; the officers know "*".
    e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return e;
}

QPushButton* button(QWidget* parent, const QString& name, const QRect& r, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

QString storeFailure(AppContext& ctx, const char* what) {
    const QString why = ctx.registry->lastError();
    return QString::fromUtf8(what) + (why.isEmpty() ? QString() : QLatin1Char('\n') + why);
}

// The hash lives in a module: libsodium is not needed for the window to appear.
template <typename Function>
Function hashing(const char* symbol) {
    return moduleFunction<Function>(QStringLiteral("hengbi-password"), symbol);
}

bool isHash(const QString& stored) {
    return stored.startsWith(QLatin1String("$argon2"));
}

}  // namespace

bool isLockOn(AppContext& ctx) {
    return ctx.registry->read(kLockKey, kFlag).startsWith(QLatin1Char('1'));
}

QString lockStoreDamage(AppContext& ctx) {
    const QString damage = ctx.registry->damage(kLockKey);
    if (!damage.isEmpty() || !isLockOn(ctx)) return damage;
    // What crypto_pwhash_str writes; a cut or garbled one would refuse every password.
    static const QRegularExpression hash(
        QStringLiteral("^\\$argon2id?\\$v=[0-9]+\\$m=[0-9]+,t=[0-9]+,p=[0-9]+\\$[A-Za-z0-9+/"
                       "]{22}\\$[A-Za-z0-9+/]{43}$"));
    const QString stored = normaliseStoredPassword(ctx.registry->read(kLockKey, kPassword));
    if (!isHash(stored) || hash.match(stored).hasMatch()) return {};
    return ctx.registry->storeFile(kLockKey) + QStringLiteral("：保存的密码已损坏");
}

QString normaliseStoredPassword(QString stored) {
    const qsizetype cr = stored.indexOf(QLatin1Char('\r'));
    if (cr >= 0) stored.remove(cr, 1);
    const qsizetype lf = stored.indexOf(QLatin1Char('\n'));
    if (lf >= 0) stored.remove(lf, 1);
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(0x3000); };
    qsizetype b = 0;
    qsizetype e = stored.size();
    while (b < e && blank(stored[b])) ++b;
    while (e > b && blank(stored[e - 1])) --e;
    return stored.mid(b, e - b);
}

QString hashPassword(const QString& typed) {
    const auto hash = hashing<QByteArray (*)(const QByteArray&)>("hengbiHashPassword");
    return hash ? QString::fromLatin1(hash(toGb18030(typed))) : QString();
}

bool passwordMatches(const QString& stored, const QString& typed) {
    const QString normalised = normaliseStoredPassword(stored);
    // The earlier Windows edition kept the password as typed; the next "加 密" hashes it.
    if (!isHash(normalised)) return typed == normalised;
    const auto matches =
        hashing<bool (*)(const QByteArray&, const QByteArray&)>("hengbiPasswordMatches");
    return matches && matches(normalised.toLatin1(), toGb18030(typed));
}

bool runStartupGate(AppContext& ctx, QWidget* mainWindow) {
    const QString damage = lockStoreDamage(ctx);
    if (!damage.isEmpty()) {
        ctx.dialogs->message(QStringLiteral("密码设置已损坏，软件保持锁定，不能打开。\n%1\n\n"
                                            "请计算机管理员删除它：删除后启动不再需要密码，"
                                            "需要时再用“安全设置”→“加密”重新设置密码。")
                                 .arg(damage),
                             kPrompt, Buttons::Ok, Icon::Critical);
        return false;
    }
    if (!isLockOn(ctx)) {
        mainWindow->show();
        return true;
    }
    LoginWindow login(ctx, mainWindow);
    return login.exec() == QDialog::Accepted;
}

void setLockCommand(AppContext& ctx) {
    if (isLockOn(ctx)) {
        ctx.dialogs->message(QStringLiteral(" 软件以经加过密码了！"), kPrompt);
        return;
    }
    SetPasswordWindow window(ctx);
    window.exec();
}

void clearLockCommand(AppContext& ctx) {
    if (!ctx.registry->write(kLockKey, kFlag, QStringLiteral("0"))) {
        ctx.dialogs->message(storeFailure(ctx, "无法保存设置：密码锁没有解除。"), kPrompt);
        return;
    }
    ctx.dialogs->message(QStringLiteral("软件解密成功，下次运行软件无需密码！"), kPrompt);
}

LoginWindow::LoginWindow(AppContext& ctx, QWidget* mainWindow)
    : ctx_(ctx), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("LoginWindow"));
    setWindowTitle(QStringLiteral("输 入 密 码："));
    setFixedSize(276, 72);
    auto* prompt = new QLabel(QStringLiteral("请输入登陆密码："), this);
    prompt->setObjectName(QStringLiteral("标签1"));
    prompt->setGeometry(7, 2, 97, 24);
    entry_ = passwordBox(this, QStringLiteral("编辑框1"), {21, 37, 144, 20});
    stored_ = new QLineEdit(this);
    stored_->setObjectName(QStringLiteral("编辑框2"));
    stored_->setGeometry(546, 102, 80, 20);
    QPushButton* ok =
        button(this, QStringLiteral("按钮1"), {175, 30, 88, 32}, QStringLiteral("确认密码"));
    connect(ok, &QPushButton::clicked, this, &LoginWindow::confirm);
    connect(entry_, &QLineEdit::returnPressed, this, &LoginWindow::confirm);
}

void LoginWindow::confirm() {
    stored_->setText(ctx_.registry->read(kLockKey, kPassword));
    if (passwordMatches(stored_->text(), entry_->text())) {
        mainWindow_->show();
        accept();
        return;
    }
    entry_->clear();
    ctx_.dialogs->message(QStringLiteral("密码输入错误！ 重新输入..."),
                          QStringLiteral("请 注 意："));
}

SetPasswordWindow::SetPasswordWindow(AppContext& ctx) : ctx_(ctx) {
    setObjectName(QStringLiteral("SetPasswordWindow"));
    setWindowTitle(QStringLiteral("请输入2次正确密码："));
    setFixedSize(262, 92);
    first_ = passwordBox(this, QStringLiteral("编辑框1"), {16, 13, 129, 20});
    second_ = passwordBox(this, QStringLiteral("编辑框2"), {16, 38, 129, 20});
    QPushButton* ok =
        button(this, QStringLiteral("按钮1"), {154, 16, 88, 38}, QStringLiteral("加 密"));
    ok->setDefault(true);  // Enter in either box
    connect(ok, &QPushButton::clicked, this, &SetPasswordWindow::confirm);
}

void SetPasswordWindow::confirm() {
    const QString typed = first_->text();
    if (typed.isEmpty() || typed != second_->text()) {
        ctx_.dialogs->message(QStringLiteral(" 没有输入密码 或 2遍密码输入不相符！"),
                              QStringLiteral("请 检 查："));
        return;
    }
    // The password goes first: a flag without its password would lock the officer out.
    const QString hash = hashPassword(typed);
    if (hash.isEmpty() || !ctx_.registry->write(kLockKey, kPassword, hash) ||
        !ctx_.registry->write(kLockKey, kFlag, QStringLiteral("1"))) {
        ctx_.dialogs->message(storeFailure(ctx_, "无法保存密码设置：密码锁没有开启。"), kPrompt);
        return;
    }
    ctx_.dialogs->message(QStringLiteral(" 加密成功！ 软件下次打开时必需输入密码。"), kPrompt);
    accept();
}

}  // namespace hb
