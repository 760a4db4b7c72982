#include <windows.h>
#include <wininet.h>

#include <QUrl>
#include <memory>

#include "extras/http_client.h"
#include "platform/system_error_windows.h"

namespace hb {
namespace {

struct HandleCloser {
    void operator()(void* h) const { InternetCloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

bool failed(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool InternetHttpClient::get(const QString& address, QByteArray* body, QString* error) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return failed(error, QStringLiteral("不是网址：") + address);
    const Handle internet(
        InternetOpenW(L"hengbi", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return failed(error, systemErrorText(GetLastError(), L"wininet.dll"));
    // The window waits for the answer: give up on a silent network soon.
    DWORD connectMs = 10000, replyMs = 30000;
    InternetSetOptionW(internet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs,
                       sizeof connectMs);
    InternetSetOptionW(internet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &replyMs, sizeof replyMs);
    // Always the site's current answer, never the browser's cache; redirects only to http(s).
    const std::wstring wide = address.toStdWString();
    const Handle request(InternetOpenUrlW(internet.get(), wide.c_str(), nullptr, 0,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                              INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                                              INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH,
                                          0));
    if (!request) return failed(error, systemErrorText(GetLastError(), L"wininet.dll"));
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr))
        return failed(error, systemErrorText(GetLastError(), L"wininet.dll"));
    if (status >= 400)
        return failed(error, QStringLiteral("The requested URL returned error: %1").arg(status));
    QByteArray received;
    char chunk[8192];
    for (;;) {
        DWORD n = 0;
        if (!InternetReadFile(request.get(), chunk, sizeof chunk, &n))
            return failed(error, systemErrorText(GetLastError(), L"wininet.dll"));
        if (n == 0) break;
        if (received.size() + qsizetype(n) > kMaxHttpBody)
            return failed(error, QStringLiteral("回答太长，不是更新信息"));
        received.append(chunk, qsizetype(n));
    }
    if (body) *body = received;
    return true;
}

}  // namespace hb
