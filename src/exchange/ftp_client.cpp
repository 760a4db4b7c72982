#include "exchange/ftp_client.h"

#include <curl/curl.h>

#include <QFile>
#include <algorithm>

#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {
namespace {

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
    char errorText[CURL_ERROR_SIZE] = {};
    QByteArray replies;  // the server's replies to the last operation
    const std::atomic<bool>* cancelled = nullptr;
    bool cleanup = false;  // finishing after a cancel
    int timeLimitMs = 0;

    ~Session() {
        if (handle) curl_easy_cleanup(handle);
        if (url) curl_url_cleanup(url);
    }

    bool setPath(const QByteArray& path) {
        return curl_url_set(url, CURLUPART_PATH, ("/" + path).constData(), 0) == CURLUE_OK;
    }

    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        const auto* s = static_cast<Session*>(self);
        return s->cancelled && *s->cancelled && !s->cleanup ? 1 : 0;
    }

    // Everything a transfer sets is set again here, so one operation never inherits another's.
    CURLcode perform(bool upload, bool noBody, bool cleanupStep = false) {
        errorText[0] = '\0';
        replies.clear();
        cleanup = cleanupStep;
        if (cancelled && *cancelled && !cleanup) return CURLE_ABORTED_BY_CALLBACK;
        curl_easy_setopt(handle, CURLOPT_UPLOAD, upload ? 1L : 0L);
        curl_easy_setopt(handle, CURLOPT_NOBODY, noBody ? 1L : 0L);
        // A trickling server is not let hold the officer longer than this; tidying up after a
        // cancel gets a few seconds.
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                         long(cleanup ? std::min(timeLimitMs, 5000) : timeLimitMs));
        return curl_easy_perform(handle);
    }

    QString describe(CURLcode code) const {
        if (code == CURLE_ABORTED_BY_CALLBACK) return QStringLiteral("已取消");
        if (code == CURLE_OPERATION_TIMEDOUT)
            return QStringLiteral("服务器在 %1 秒内没有完成（网络太慢或服务器没有响应）")
                .arg(timeLimitMs / 1000.0);
        QString why = QString::fromLocal8Bit(errorText[0] ? errorText : curl_easy_strerror(code));
        const QString reply = lastLine(replies);
        if (!reply.isEmpty() && reply[0] >= QLatin1Char('4'))
            why += QStringLiteral("（服务器回答：%1）").arg(reply);
        return why;
    }
};

CurlFtpClient::CurlFtpClient(int port) : port_(port) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

QString CurlFtpClient::lastReply() const {
    return session_ ? lastLine(session_->replies) : QString();
}

CurlFtpClient::~CurlFtpClient() {
    session_.reset();
    curl_global_cleanup();
}

bool CurlFtpClient::connect(const QString& host, const QString& account, const QString& password) {
    session_.reset();
    cancelled_ = false;
    utf8_ = false;
    if (loginHasControl(host, account, password))
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
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &s->replies);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Session::progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, s.get());
    s->cancelled = &cancelled_;
    s->timeLimitMs = timeLimitMs_;

    const CURLcode code = s->perform(false, true);
    if (code != CURLE_OK) return fail(s->describe(code));
    session_ = std::move(s);
    error_.clear();
    QByteArray features;
    if (commands({"FEAT"}, &features) && lists(features, "UTF8")) {
        // Some servers switch only when asked, others refuse the question: UTF-8 either way.
        commands({"OPTS UTF8 ON"});
        utf8_ = true;
    }
    return true;
}

bool CurlFtpClient::commands(const QList<QByteArray>& lines, QByteArray* replies, bool cleanup) {
    if (!session_ || !session_->setPath(session_->directory))
        return fail(QStringLiteral("not connected"));
    curl_slist* list = nullptr;
    for (const QByteArray& line : lines) list = curl_slist_append(list, line.constData());
    CURL* h = session_->handle;
    // After the (absent) transfer, in the current directory.
    curl_easy_setopt(h, CURLOPT_POSTQUOTE, list);
    const CURLcode code = session_->perform(false, true, cleanup);
    curl_easy_setopt(h, CURLOPT_POSTQUOTE, nullptr);
    curl_slist_free_all(list);
    if (replies) *replies = session_->replies;
    if (code != CURLE_OK) return fail(session_->describe(code));
    return true;
}

bool CurlFtpClient::setCurrentDirectory(const QString& path) {
    if (!session_) return fail(QStringLiteral("not connected"));
    QByteArray raw;
    if (!remoteName(path, &raw)) return false;
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

bool CurlFtpClient::store(QFile& file, const QByteArray& name) {
    if (!file.seek(0) || !session_->setPath(session_->directory + escaped(name)))
        return fail(QStringLiteral("invalid remote name"));
    CURL* h = session_->handle;
    curl_easy_setopt(h, CURLOPT_READFUNCTION, readFromFile);
    curl_easy_setopt(h, CURLOPT_READDATA, &file);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(file.size()));
    const CURLcode code = session_->perform(true, false);
    curl_easy_setopt(h, CURLOPT_READDATA, nullptr);
    return code == CURLE_OK || fail(session_->describe(code));
}

bool CurlFtpClient::getFile(const QString& remoteName, const QString& localPath) {
    if (!session_) return fail(QStringLiteral("not connected"));
    QByteArray name;
    if (!this->remoteName(remoteName, &name)) return false;
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
