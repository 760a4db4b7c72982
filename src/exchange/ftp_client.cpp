#include "exchange/ftp_client.h"

#include <curl/curl.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {
namespace {

bool hasControl(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// One path component, escaped so that curl sends exactly these bytes.
QByteArray escaped(const QByteArray& bytes) {
    return bytes.toPercentEncoding();
}

size_t readFromFile(char* buffer, size_t size, size_t count, void* file) {
    const qint64 n = static_cast<QFile*>(file)->read(buffer, static_cast<qint64>(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(n);
}

size_t writeToFile(char* data, size_t size, size_t count, void* file) {
    const size_t n = size * count;
    // A short count makes curl give up.
    return static_cast<StreamedFile*>(file)->write(QByteArrayView(data, qsizetype(n))) ? n : 0;
}

size_t collect(char* data, size_t size, size_t count, void* replies) {
    static_cast<QByteArray*>(replies)->append(data, qsizetype(size * count));
    return size * count;
}

// "name", "name:port", "[v6]", "[v6]:port"; a bare IPv6 address has no port.
bool splitHost(const QString& text, int defaultPort, QByteArray* host, int* port) {
    static const QRegularExpression form(
        QStringLiteral("^(?:\\[([^\\]]*)\\]|([^:\\[\\]]*))(?::([0-9]{1,5}))?$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = form.match(t);
    *port = defaultPort;
    if (!m.hasMatch()) {
        if (t.count(QLatin1Char(':')) < 2) return false;
        *host = '[' + t.toUtf8() + ']';
        return true;
    }
    const QString name = m.hasCaptured(1) ? m.captured(1) : m.captured(2);
    *host = m.hasCaptured(1) ? '[' + name.toUtf8() + ']' : name.toUtf8();
    if (m.hasCaptured(3)) *port = m.captured(3).toInt();
    return !name.isEmpty() && *port > 0 && *port < 65536;
}

// A line of a FEAT reply that names the feature.
bool lists(const QByteArray& replies, const QByteArray& feature) {
    for (const QByteArray& line : replies.split('\n'))
        if (line.trimmed().compare(feature, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Nothing but a transfer's body is wanted.
size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

}  // namespace

// One logged-in control connection: the easy handle keeps it open between transfers and
// logs in again by itself should the server have dropped it.
struct CurlFtpClient::Session {
    CURL* handle = curl_easy_init();
    CURLU* url = curl_url();
    QByteArray account, password;
    QByteArray directory;  // escaped, relative to the login directory, "" or ending in '/'
    bool utf8 = false;     // the server takes names in UTF-8
    char errorText[CURL_ERROR_SIZE] = {};

    ~Session() {
        if (handle) curl_easy_cleanup(handle);
        if (url) curl_url_cleanup(url);
    }

    bool setPath(const QByteArray& path) {
        return curl_url_set(url, CURLUPART_PATH, ("/" + path).constData(), 0) == CURLUE_OK;
    }

    // Everything a transfer sets is set again here, so one operation never inherits another's.
    CURLcode perform(bool upload, bool noBody) {
        errorText[0] = '\0';
        curl_easy_setopt(handle, CURLOPT_UPLOAD, upload ? 1L : 0L);
        curl_easy_setopt(handle, CURLOPT_NOBODY, noBody ? 1L : 0L);
        return curl_easy_perform(handle);
    }

    QString describe(CURLcode code) const {
        return QString::fromLocal8Bit(errorText[0] ? errorText : curl_easy_strerror(code));
    }

    QByteArray name(const QString& text) const { return utf8 ? text.toUtf8() : toGbk(text); }
};

CurlFtpClient::CurlFtpClient(int port) : port_(port) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlFtpClient::~CurlFtpClient() {
    session_.reset();
    curl_global_cleanup();
}

bool CurlFtpClient::fail(const QString& why) {
    error_ = why;
    return false;
}

bool CurlFtpClient::connect(const QString& host, const QString& account, const QString& password) {
    session_.reset();
    // A line break would end the command and start another one of the typist's choosing.
    if (hasControl(host.toUtf8()) || hasControl(toGbk(account)) || hasControl(toGbk(password)))
        return fail(QStringLiteral("control character in the login"));
    auto s = std::make_unique<Session>();
    if (!s->handle || !s->url) return fail(QStringLiteral("libcurl could not start"));

    QByteArray hostPart;
    int port = port_;
    if (!splitHost(host, port_, &hostPart, &port) ||
        curl_url_set(s->url, CURLUPART_SCHEME, "ftp", 0) != CURLUE_OK ||
        curl_url_set(s->url, CURLUPART_HOST, hostPart.constData(), 0) != CURLUE_OK ||
        curl_url_set(s->url, CURLUPART_PORT, QByteArray::number(port).constData(), 0) !=
            CURLUE_OK ||
        !s->setPath({}))
        return fail(QStringLiteral("invalid server address: ") + host);

    // The Windows edition sends account and password as GBK bytes.
    s->account = toGbk(account);
    s->password = toGbk(password);
    CURL* h = s->handle;
    curl_easy_setopt(h, CURLOPT_CURLU, s->url);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, s->errorText);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(h, CURLOPT_PROXY, "");  // direct, whatever the environment says
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_USERNAME, s->account.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, s->password.constData());
    curl_easy_setopt(h, CURLOPT_FTPPORT, "-");  // active mode on the control connection's address
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
    // A dead server or a stalled transfer must end soon.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(h, CURLOPT_ACCEPTTIMEOUT_MS, 10000L);
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, 20L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 30L);

    const CURLcode code = s->perform(false, true);
    if (code != CURLE_OK) return fail(s->describe(code));
    session_ = std::move(s);
    error_.clear();
    QByteArray features;
    if (commands({"FEAT"}, &features) && lists(features, "UTF8")) {
        // Some servers switch only when asked, others refuse the question: UTF-8 either way.
        commands({"OPTS UTF8 ON"});
        session_->utf8 = true;
    }
    return true;
}

bool CurlFtpClient::commands(const QList<QByteArray>& lines, QByteArray* replies) {
    if (!session_ || !session_->setPath(session_->directory))
        return fail(QStringLiteral("not connected"));
    curl_slist* list = nullptr;
    for (const QByteArray& line : lines) list = curl_slist_append(list, line.constData());
    CURL* h = session_->handle;
    // After the (absent) transfer, in the current directory.
    curl_easy_setopt(h, CURLOPT_POSTQUOTE, list);
    if (replies) {
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, collect);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, replies);
    }
    const CURLcode code = session_->perform(false, true);
    curl_easy_setopt(h, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, nullptr);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, nullptr);
    curl_slist_free_all(list);
    if (code != CURLE_OK) return fail(session_->describe(code));
    return true;
}

bool CurlFtpClient::setCurrentDirectory(const QString& path) {
    if (!session_) return fail(QStringLiteral("not connected"));
    const QByteArray raw = session_->name(path);
    if (hasControl(raw)) return fail(QStringLiteral("invalid directory name"));
    QByteArray next = session_->directory;
    for (const QByteArray& part : raw.split('/'))
        if (!part.isEmpty()) next += escaped(part) + '/';
    // A listing-free visit: curl changes into every component and stops.
    if (!session_->setPath(next)) return fail(QStringLiteral("invalid directory name"));
    const CURLcode code = session_->perform(false, true);
    if (code != CURLE_OK) return fail(session_->describe(code));
    session_->directory = next;
    return true;
}

bool CurlFtpClient::renameOnto(const QByteArray& from, const QByteArray& to) {
    if (commands({"RNFR " + from, "RNTO " + to})) return true;
    const QString refusal = error_;
    // Servers that will not rename over an existing file (IIS): move the old one aside,
    // put the new one in its place, then drop the old one; anything but a file stays.
    const QByteArray aside = from + ".old";
    if (!commands({"SIZE " + to}) || !commands({"RNFR " + to, "RNTO " + aside}))
        return fail(refusal);
    if (commands({"RNFR " + from, "RNTO " + to})) {
        commands({"DELE " + aside});
        return true;
    }
    commands({"RNFR " + aside, "RNTO " + to});
    return fail(refusal);
}

bool CurlFtpClient::putFile(const QString& localPath, const QString& remoteName) {
    if (!session_) return fail(QStringLiteral("not connected"));
    const QByteArray name = session_->name(remoteName);
    if (name.isEmpty() || hasControl(name)) return fail(QStringLiteral("invalid remote name"));
    QFile file(localPath);
    if (!QFileInfo(localPath).isFile() || !file.open(QIODevice::ReadOnly))
        return fail(localPath + QStringLiteral("：") + unreadableReason(localPath));
    // Under a name of its own until complete: a colleague never fetches half a template.
    const QByteArray partial =
        '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".part";
    if (!session_->setPath(session_->directory + escaped(partial)))
        return fail(QStringLiteral("invalid remote name"));

    CURL* h = session_->handle;
    curl_easy_setopt(h, CURLOPT_READFUNCTION, readFromFile);
    curl_easy_setopt(h, CURLOPT_READDATA, &file);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(file.size()));
    const CURLcode code = session_->perform(true, false);
    curl_easy_setopt(h, CURLOPT_READDATA, nullptr);
    if (code == CURLE_OK && renameOnto(partial, name)) return true;
    const QString why = code == CURLE_OK ? error_ : session_->describe(code);
    commands({"DELE " + partial});  // where the server still answers
    return fail(why);
}

bool CurlFtpClient::getFile(const QString& remoteName, const QString& localPath) {
    if (!session_) return fail(QStringLiteral("not connected"));
    const QByteArray name = session_->name(remoteName);
    if (name.isEmpty() || hasControl(name)) return fail(QStringLiteral("invalid remote name"));
    // The old file stays until every byte of the new one is on disk.
    StreamedFile file(localPath);
    if (!file.open()) return fail(localPath + QStringLiteral("：") + file.error());
    if (!session_->setPath(session_->directory + escaped(name)))
        return fail(QStringLiteral("invalid remote name"));

    CURL* h = session_->handle;
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &file);
    const CURLcode code = session_->perform(false, false);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
    if (code != CURLE_OK) {
        const QString why = file.error();
        return fail(why.isEmpty() ? session_->describe(code)
                                  : localPath + QStringLiteral("：") + why);
    }
    if (!file.commit()) return fail(localPath + QStringLiteral("：") + file.error());
    return true;
}

}  // namespace hb
