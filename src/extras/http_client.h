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

class CurlHttpClient : public HttpClient {
  public:
    CurlHttpClient();
    ~CurlHttpClient() override;
    bool get(const QString& address, QByteArray* body, QString* error = nullptr) override;
};

}  // namespace hb
