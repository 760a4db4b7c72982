#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cctype>

#include "exchange/ftp_client.h"
#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {

bool CommandFtpClient::hasControl(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

bool CommandFtpClient::loginHasControl(const QString& host, const QString& account,
                                       const QString& password) {
    return hasControl(host.toUtf8()) || hasControl(toGbk(account)) || hasControl(toGbk(password));
}

// By hand: a regular expression's per-thread state crashes MinGW threads as they end.
bool CommandFtpClient::splitHost(const QString& text, int defaultPort, QByteArray* host,
                                 int* port) {
    const QString t = text.trimmed();
    *port = defaultPort;
    QString name, rest;
    const bool bracketed = t.startsWith(QLatin1Char('['));
    bool form = true;
    if (bracketed) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        form = close > 0;
        name = t.mid(1, close - 1);
        rest = t.mid(close + 1);
    } else {
        const qsizetype colon = t.indexOf(QLatin1Char(':'));
        name = colon < 0 ? t : t.left(colon);
        rest = colon < 0 ? QString() : t.mid(colon);
        form = !name.contains(QLatin1Char('[')) && !name.contains(QLatin1Char(']'));
    }
    if (form && !rest.isEmpty()) {
        form = rest.startsWith(QLatin1Char(':')) && rest.size() >= 2 && rest.size() <= 6;
        for (qsizetype i = 1; form && i < rest.size(); ++i)
            form = rest[i] >= QLatin1Char('0') && rest[i] <= QLatin1Char('9');
        if (form) *port = rest.mid(1).toInt();
    }
    if (!form) {
        // A bare IPv6 address has no port.
        if (t.count(QLatin1Char(':')) < 2) return false;
        *host = '[' + t.toUtf8() + ']';
        return true;
    }
    *host = bracketed ? '[' + name.toUtf8() + ']' : name.toUtf8();
    return !name.isEmpty() && *port > 0 && *port < 65536;
}

bool CommandFtpClient::lists(const QByteArray& replies, const QByteArray& feature) {
    for (const QByteArray& line : replies.split('\n'))
        if (line.trimmed().compare(feature, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString CommandFtpClient::lastLine(const QByteArray& replies) {
    QByteArray last;
    for (const QByteArray& line : replies.split('\n'))
        if (line.size() > 3 && std::isdigit(uchar(line[0]))) last = line.trimmed();
    return fromGbk(last);
}

bool CommandFtpClient::fail(const QString& why) {
    error_ = why;
    return false;
}

bool CommandFtpClient::remoteName(const QString& text, QByteArray* bytes) {
    *bytes = utf8_ ? text.toUtf8() : toGb18030(text);
    const QString back = utf8_ ? QString::fromUtf8(*bytes) : fromGbk(*bytes);
    // Never a stand-in such as "?": two names would become one on the server.
    if (back != text || bytes->isEmpty() || hasControl(*bytes))
        return fail(QStringLiteral("名称“%1”含有不能按原样发送给服务器的字符").arg(text));
    return true;
}

CommandFtpClient::Placed CommandFtpClient::place(const QByteArray& from, const QByteArray& to,
                                                 const QString& shown) {
    if (commands({"RNFR " + from, "RNTO " + to})) return Placed::Done;
    const QString refusal = error_;
    if (cancelled_) return Placed::Failed;
    if (!commands({"SIZE " + to})) {
        // "550": nothing of that name to lose, so an account that may store but not rename
        // stores it directly. Any other answer leaves it unknown: nothing is risked.
        const bool absent = lastReply().startsWith(QLatin1String("550"));
        fail(refusal);
        return absent && !cancelled_ ? Placed::NewName : Placed::Failed;
    }
    // Servers that will not rename over an existing file (IIS): move the old one aside,
    // put the new one in its place, then drop the old one; anything but a file stays.
    const QByteArray aside = from + ".old";
    if (!commands({"RNFR " + to, "RNTO " + aside})) {
        fail(QStringLiteral("服务器上已有“%1”，这个帐号不能在服务器上改名，无法安全地替换它，"
                            "服务器上的文件没有改变。%2")
                 .arg(shown, refusal));
        return Placed::Failed;
    }
    if (commands({"RNFR " + from, "RNTO " + to})) {
        commands({"DELE " + aside}, nullptr, true);
        return Placed::Done;
    }
    commands({"RNFR " + aside, "RNTO " + to}, nullptr, true);
    fail(refusal);
    return Placed::Failed;
}

bool CommandFtpClient::putFile(const QString& localPath, const QString& remoteName) {
    if (!connected()) return fail(QStringLiteral("not connected"));
    QByteArray name;
    if (!this->remoteName(remoteName, &name)) return false;
    QFile file(localPath);
    const QString unreadable = unreadableReason(localPath);
    if (!unreadable.isEmpty() || !QFileInfo(localPath).isFile() || !file.open(QIODevice::ReadOnly))
        return fail(localPath + QStringLiteral("：") +
                    (unreadable.isEmpty() ? QStringLiteral("文件不存在") : unreadable));
    // Under a name of its own until complete: a colleague never fetches half a template.
    const QByteArray partial =
        '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".part";
    bool done = false;
    if (store(file, partial)) {
        switch (place(partial, name, remoteName)) {
            case Placed::Done:
                return true;
            case Placed::NewName:
                done = store(file, name);
                if (!done) commands({"DELE " + name}, nullptr, true);
                break;
            case Placed::Failed:
                break;
        }
    }
    const QString why = done ? QString() : error_;
    commands({"DELE " + partial}, nullptr, true);  // where the server still answers
    error_ = why;
    return done;
}

}  // namespace hb
