#pragma once
// A plain HTTP GET for the update check.
#include <QByteArray>
#include <QString>

namespace hb {

class HttpClient {
  public:
    virtual ~HttpClient() = default;
    // The response body; false on no answer or an HTTP error status, with the reason in error.
    virtual bool get(const QString& address, QByteArray* body, QString* error = nullptr) = 0;
};

#ifdef _WIN32
// The Windows Internet functions.
class InternetHttpClient : public HttpClient {
  public:
    bool get(const QString& address, QByteArray* body, QString* error = nullptr) override;
};
using SystemHttpClient = InternetHttpClient;
#else
class CurlHttpClient : public HttpClient {
  public:
    CurlHttpClient();
    ~CurlHttpClient() override;
    bool get(const QString& address, QByteArray* body, QString* error = nullptr) override;
};
using SystemHttpClient = CurlHttpClient;
#endif

// Update information is a few lines; anything far larger is not it.
constexpr qsizetype kMaxHttpBody = 1 << 20;

}  // namespace hb
