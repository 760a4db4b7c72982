#pragma once
// The start-up password lock: flag XFQT and password MIMA under HKEY_LOCAL_MACHINE\SOFTWARE\QMX.
#include <QDialog>

class QLineEdit;

namespace hb {

struct AppContext;

inline const QString kLockKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\QMX");

bool isLockOn(AppContext& ctx);
// Why the lock's store cannot be trusted, naming its file; empty when it is sound or missing.
QString lockStoreDamage(AppContext& ctx);
// The stored text with its first CR and first LF removed and blanks (ASCII and full-width)
// trimmed at both ends.
QString normaliseStoredPassword(QString stored);
// The stored text is an Argon2id string of the password's GB18030 bytes (its GBK bytes for a
// GBK password), or the password itself as the earlier edition stored it; an empty one accepts
// only the empty entry.
bool passwordMatches(const QString& stored, const QString& typed);
QString hashPassword(const QString& typed);

// Asks for the password until it is right. False when the window was closed instead, or when
// the store is damaged: then nobody is let in, and the officer is told how to reset it.
bool runStartupGate(AppContext& ctx, QWidget* mainWindow);
// Menu items "加密" and "解密".
void setLockCommand(AppContext& ctx);
void clearLockCommand(AppContext& ctx);

class LoginWindow : public QDialog {
    Q_OBJECT
  public:
    LoginWindow(AppContext& ctx, QWidget* mainWindow);
    void confirm();  // "确认密码"

  private:
    AppContext& ctx_;
    QWidget* mainWindow_;
    QLineEdit* entry_;
    QLineEdit* stored_;
};

class SetPasswordWindow : public QDialog {
    Q_OBJECT
  public:
    explicit SetPasswordWindow(AppContext& ctx);
    void confirm();  // "加 密"

  private:
    AppContext& ctx_;
    QLineEdit* first_;
    QLineEdit* second_;
};

}  // namespace hb
