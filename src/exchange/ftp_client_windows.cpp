#include <winsock2.h>

#include <windows.h>
#include <wininet.h>
#include <ws2tcpip.h>

#include <QElapsedTimer>
#include <QFile>
#include <mutex>

#include "exchange/ftp_client.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/system_error_windows.h"

namespace hb {
namespace {

constexpr DWORD kChunk = 16 * 1024;

// The server's text for the calling thread's last FTP exchange, as the bytes it sent.
QByteArray lastResponse() {
    // Some implementations measure what they copied with strlen: a buffer, zero-filled.
    QByteArray text(4097, '\0');
    DWORD error = 0, size = 4096;
    if (!InternetGetLastResponseInfoA(&error, text.data(), &size)) return {};
    text.truncate(qstrnlen(text.constData(), qMin<qsizetype>(size, 4096)));
    return text;
}

// Up to the end of the reply that the first line begins: "nnn-" ... "nnn ".
bool readReply(SOCKET s, QByteArray* text) {
    char chunk[512];
    for (;;) {
        const QList<QByteArray> lines = text->split('\n');
        const QByteArray first = lines.first();
        for (const QByteArray& line : lines)
            if (line.endsWith('\r') && line.size() > 4 && line.left(3) == first.left(3) &&
                line[3] == ' ')
                return true;
        const int n = recv(s, chunk, sizeof chunk, 0);
        if (n <= 0 || text->size() > 65536) return false;
        text->append(chunk, n);
    }
}

// The server's features, over a short connection of their own: the Internet functions do
// not show every line of a reply everywhere (Wine keeps only the last).
QByteArray askFeatures(const QByteArray& host, int port, int timeoutMs) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
    QByteArray features;
    addrinfo hints{}, *found = nullptr;
    hints.ai_socktype = SOCK_STREAM;
    if (getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found) == 0) {
        for (addrinfo* a = found; a && features.isEmpty(); a = a->ai_next) {
            const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET) continue;
            const DWORD bound = DWORD(timeoutMs);
            setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound),
                       sizeof bound);
            setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&bound),
                       sizeof bound);
            QByteArray greeting, reply;
            if (connect(s, a->ai_addr, int(a->ai_addrlen)) == 0 && readReply(s, &greeting) &&
                send(s, "FEAT\r\n", 6, 0) == 6 && readReply(s, &reply)) {
                features = reply;
                send(s, "QUIT\r\n", 6, 0);
            }
            closesocket(s);
        }
        freeaddrinfo(found);
    }
    WSACleanup();
    return features;
}

}  // namespace

// The login's handles, for the client's life. They are taken and given back under the lock:
// cancel() closes the connection from another thread, which ends a call waiting on it, and
// nobody closes it twice.
struct InternetFtpClient::Session {
    std::mutex lock;
    HINTERNET internet = nullptr;
    HINTERNET connection = nullptr;
    bool loggedIn = false;  // the owner's: a cancelled login still counts until the next one

    HINTERNET current() {
        std::lock_guard guard(lock);
        return connection;
    }
    // Closing the root ends a login under way too.
    void closeHandles() {
        std::lock_guard guard(lock);
        if (connection) InternetCloseHandle(connection);
        if (internet) InternetCloseHandle(internet);
        connection = internet = nullptr;
    }
    void close() {
        closeHandles();
        loggedIn = false;
    }
};

InternetFtpClient::InternetFtpClient(int port)
    : port_(port), session_(std::make_unique<Session>()) {}

InternetFtpClient::~InternetFtpClient() {
    session_->close();
}

void InternetFtpClient::cancel() {
    cancelled_ = true;
    session_->closeHandles();
}

bool InternetFtpClient::connected() const {
    return session_->loggedIn;
}

bool InternetFtpClient::failCall(const QString& what) {
    const DWORD code = GetLastError();
    const QByteArray response = lastResponse();
    lastReply_ = lastLine(response);
    if (cancelled_) return fail(QStringLiteral("已取消"));
    if (code == ERROR_INTERNET_TIMEOUT)
        return fail(QStringLiteral("服务器在 %1 秒内没有完成（网络太慢或服务器没有响应）")
                        .arg(timeLimitMs_ / 1000.0));
    QString why = what + QStringLiteral("：") + systemErrorText(code, L"wininet.dll");
    if (!lastReply_.isEmpty() && lastReply_[0] >= QLatin1Char('4'))
        why += QStringLiteral("（服务器回答：%1）").arg(lastReply_);
    return fail(why);
}

void InternetFtpClient::drop() {
    session_->close();
    lastReply_.clear();
}

bool InternetFtpClient::connect(const QString& host, const QString& account,
                                const QString& password) {
    drop();
    cancelled_ = false;
    utf8_ = false;
    if (loginHasControl(host, account, password))
        return fail(QStringLiteral("control character in the login"));
    QByteArray name;
    int port = port_;
    if (!splitHost(host, port_, &name, &port) || name.contains('/'))
        return fail(QStringLiteral("invalid server address: ") + host);
    if (name.startsWith('[')) name = name.mid(1, name.size() - 2);

    Session* s = session_.get();
    // Direct, whatever the system's proxy says: the exchange server is on the office network.
    const HINTERNET internet =
        InternetOpenW(L"hengbi", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!internet) return failCall(QStringLiteral("无法使用网络"));
    // A dead server or a stalled transfer must end soon; the whole is bounded below as well.
    DWORD connectMs = 10000, replyMs = DWORD(qMin(timeLimitMs_, 20000));
    InternetSetOptionW(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    for (const DWORD option :
         {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
          INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT})
        InternetSetOptionW(internet, option, &replyMs, sizeof replyMs);
    {
        std::lock_guard guard(s->lock);
        s->internet = internet;
    }
    if (cancelled_) {
        drop();
        return fail(QStringLiteral("已取消"));
    }

    // The Windows edition sends account and password as GBK bytes; the ANSI functions pass
    // bytes on as they are. Active mode, as there.
    const HINTERNET connection = InternetConnectA(
        internet, name.constData(), INTERNET_PORT(port), toGbk(account).constData(),
        toGbk(password).constData(), INTERNET_SERVICE_FTP, 0, 0);
    if (!connection) {
        failCall(QStringLiteral("无法登录 ") + host);
        drop();
        return false;
    }
    {
        std::lock_guard guard(s->lock);
        if (s->internet) s->connection = connection;
    }
    s->loggedIn = true;
    if (cancelled_) {
        drop();
        return fail(QStringLiteral("已取消"));
    }
    error_.clear();
    const QByteArray features = askFeatures(name, port, qMin(timeLimitMs_, 10000));
    if (lists(features, "UTF8")) {
        // Some servers switch only when asked, others refuse the question: UTF-8 either way.
        commands({"OPTS UTF8 ON"});
        utf8_ = true;
    }
    return true;
}

bool InternetFtpClient::commands(const QList<QByteArray>& lines, QByteArray* replies,
                                 bool cleanup) {
    if (replies) replies->clear();
    if (!connected()) return fail(QStringLiteral("not connected"));
    if (cancelled_ && !cleanup) return fail(QStringLiteral("已取消"));
    for (const QByteArray& line : lines) {
        const HINTERNET connection = session_->current();
        if (!connection) return fail(QStringLiteral("已取消"));
        if (!FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, line.constData(), 0, nullptr))
            return failCall(QString::fromLatin1(line.left(4)));
        const QByteArray response = lastResponse();
        lastReply_ = lastLine(response);
        if (replies) *replies += response;
    }
    return true;
}

bool InternetFtpClient::setCurrentDirectory(const QString& path) {
    if (!connected()) return fail(QStringLiteral("not connected"));
    QByteArray raw;
    if (!remoteName(path, &raw)) return false;
    while (raw.size() > 1 && raw.endsWith('/')) raw.chop(1);
    const HINTERNET connection = session_->current();
    if (!connection) return fail(QStringLiteral("已取消"));
    return FtpSetCurrentDirectoryA(connection, raw.constData()) ||
           failCall(QStringLiteral("无法进入目录 ") + path);
}

bool InternetFtpClient::mayGoOn(const QElapsedTimer& clock) {
    if (cancelled_) return fail(QStringLiteral("已取消"));
    if (clock.elapsed() <= timeLimitMs_) return true;
    SetLastError(ERROR_INTERNET_TIMEOUT);
    return failCall({});
}

qint64 InternetFtpClient::remoteSize(const QByteArray& name) {
    if (!commands({"SIZE " + name}) || !lastReply_.startsWith(QLatin1String("213 "))) return -1;
    bool ok = false;
    const qint64 size = lastReply_.mid(4).trimmed().toLongLong(&ok);
    return ok ? size : -1;
}

void* InternetFtpClient::openRemote(const QByteArray& name, unsigned long access,
                                    const QString& failure) {
    const HINTERNET connection = session_->current();
    if (!connection || cancelled_) {
        fail(QStringLiteral("已取消"));
        return nullptr;
    }
    const HINTERNET remote =
        FtpOpenFileA(connection, name.constData(), access, FTP_TRANSFER_TYPE_BINARY, 0);
    if (!remote) failCall(failure);
    return remote;
}

bool InternetFtpClient::store(QFile& file, const QByteArray& name) {
    if (!file.seek(0)) return fail(file.fileName() + QStringLiteral("：") + file.errorString());
    QElapsedTimer clock;
    clock.start();
    const HINTERNET remote = openRemote(name, GENERIC_WRITE, QStringLiteral("无法上传"));
    if (!remote) return false;
    bool ok = true;
    QByteArray chunk;
    while (ok && !(chunk = file.read(kChunk)).isEmpty()) {
        for (qsizetype at = 0; ok && at < chunk.size();) {
            DWORD written = 0;
            if (!mayGoOn(clock))
                ok = false;
            else if (!InternetWriteFile(remote, chunk.constData() + at, DWORD(chunk.size() - at),
                                        &written) ||
                     written == 0)
                ok = failCall(QStringLiteral("上传中断"));
            at += written;
        }
    }
    if (ok && file.error() != QFile::NoError)
        ok = fail(file.fileName() + QStringLiteral("：") + file.errorString());
    // A connection cancel() closed took the transfer with it.
    if (session_->current()) InternetCloseHandle(remote);
    if (!ok) return false;
    // Closing reads the server's last word on the transfer but does not report it: the size
    // the server now holds does, where the server tells sizes.
    const qint64 stored = remoteSize(name);
    if (stored >= 0 && stored != file.size()) return fail(QStringLiteral("上传没有完整到达服务器"));
    return !cancelled_ || fail(QStringLiteral("已取消"));
}

bool InternetFtpClient::getFile(const QString& remoteName, const QString& localPath) {
    if (!connected()) return fail(QStringLiteral("not connected"));
    QByteArray name;
    if (!this->remoteName(remoteName, &name)) return false;
    // A transfer cut short looks like its end to the Internet functions: the size the server
    // tells beforehand shows it.
    const qint64 expected = remoteSize(name);
    if (cancelled_) return fail(QStringLiteral("已取消"));
    // The old file stays until every byte of the new one is on disk.
    StreamedFile file(localPath);
    if (!file.open()) return fail(localPath + QStringLiteral("：") + file.error());
    QElapsedTimer clock;
    clock.start();
    const HINTERNET remote =
        openRemote(name, GENERIC_READ, QStringLiteral("无法下载 ") + remoteName);
    if (!remote) return false;
    bool ok = true;
    qint64 received = 0;
    QByteArray chunk(kChunk, '\0');
    for (;;) {
        DWORD n = 0;
        if (!mayGoOn(clock))
            ok = false;
        else if (!InternetReadFile(remote, chunk.data(), kChunk, &n))
            ok = failCall(QStringLiteral("下载中断"));
        else if (n > 0 && !file.write(QByteArrayView(chunk.constData(), n)))
            ok = fail(localPath + QStringLiteral("：") + file.error());
        if (!ok || n == 0) break;
        received += n;
    }
    if (session_->current()) InternetCloseHandle(remote);
    if (!ok) return false;
    if (cancelled_) return fail(QStringLiteral("已取消"));
    if (expected >= 0 && received != expected)
        return fail(QStringLiteral("下载中断：收到 %1 字节，服务器上的文件有 %2 字节")
                        .arg(received)
                        .arg(expected));
    if (!file.commit()) return fail(localPath + QStringLiteral("：") + file.error());
    return true;
}

}  // namespace hb
