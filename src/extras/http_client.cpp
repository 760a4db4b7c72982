#include "extras/http_client.h"

#include <curl/curl.h>

namespace hb {
namespace {

size_t collect(char* data, size_t size, size_t count, void* target) {
    auto* body = static_cast<QByteArray*>(target);
    const size_t n = size * count;
    if (body->size() + static_cast<qsizetype>(n) > kMaxHttpBody) return 0;
    body->append(data, static_cast<qsizetype>(n));
    return n;
}

}  // namespace

CurlHttpClient::CurlHttpClient() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}
CurlHttpClient::~CurlHttpClient() {
    curl_global_cleanup();
}

bool CurlHttpClient::get(const QString& address, QByteArray* body, QString* error) {
    QByteArray received;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = curl_easy_init();
    if (!h) {
        if (error) *error = QStringLiteral("libcurl could not start");
        return false;
    }
    const QByteArray url = address.toUtf8();
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // The window waits for the answer: give up on a silent network soon.
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "hengbi");
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
    const CURLcode code = curl_easy_perform(h);
    curl_easy_cleanup(h);
    if (code != CURLE_OK) {
        if (error)
            *error = QString::fromLocal8Bit(errorText[0] ? errorText : curl_easy_strerror(code));
        return false;
    }
    if (body) *body = received;
    return true;
}

}  // namespace hb
