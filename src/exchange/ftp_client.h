#pragma once
// The FTP operations the template exchange needs: one session at a time, active mode,
// binary transfers. Names go out as UTF-8 to a server that lists UTF8 in its features, as
// GB18030 to any other: the GBK bytes the Windows edition's servers expect, and a name of its
// own for every character beyond GBK.
#include <QList>
#include <QString>
#include <atomic>
#include <memory>

class QFile;

namespace hb {

class FtpClient {
  public:
    virtual ~FtpClient() = default;
    // Drops the previous session first. host is "name", "name:port" or "[IPv6]:port". True
    // when the server accepted the login.
    virtual bool connect(const QString& host, const QString& account, const QString& password) = 0;
    // Relative to the login directory; later transfers happen there. False when it is missing.
    virtual bool setCurrentDirectory(const QString& path) = 0;
    // Overwrites a remote file of that name as far as the server allows, but only with a
    // complete file: a failed upload leaves the old one as it was.
    virtual bool putFile(const QString& localPath, const QString& remoteName) = 0;
    // Replaces localPath only once the whole file has arrived.
    virtual bool getFile(const QString& remoteName, const QString& localPath) = 0;
    // Why the last operation failed, for the officer.
    virtual QString lastError() const = 0;
    // From any thread: the running operation, and every one after it until the next connect,
    // ends soon with a failure.
    virtual void cancel() {}
};

// libcurl; the port when the host names none is fixed per client (21 in the application).
class CurlFtpClient : public FtpClient {
  public:
    explicit CurlFtpClient(int port = 21);
    ~CurlFtpClient() override;

    bool connect(const QString& host, const QString& account, const QString& password) override;
    bool setCurrentDirectory(const QString& path) override;
    bool putFile(const QString& localPath, const QString& remoteName) override;
    bool getFile(const QString& remoteName, const QString& localPath) override;
    QString lastError() const override { return error_; }
    void cancel() override { cancelled_ = true; }
    // The bound of each command and transfer, fitted to a template of tens of kilobytes.
    void setTimeLimit(int milliseconds) { timeLimitMs_ = milliseconds; }

  private:
    struct Session;
    bool fail(const QString& why);
    // The name's bytes for this server; false when it cannot go out as it is.
    bool remoteName(const QString& text, QByteArray* bytes);
    // FTP commands run in the current directory; false when the server refused one. Cleanup
    // commands still run after a cancel, briefly.
    bool commands(const QList<QByteArray>& lines, QByteArray* replies = nullptr,
                  bool cleanup = false);
    bool store(QFile& file, const QByteArray& name);
    enum class Placed { Done, NewName, Failed };
    // The complete upload in place of `to`. NewName: the server refused the rename and holds
    // nothing under `to`.
    Placed place(const QByteArray& from, const QByteArray& to, const QString& shown);

    int port_;
    int timeLimitMs_ = 60000;
    std::atomic<bool> cancelled_ = false;
    std::unique_ptr<Session> session_;
    QString error_;
};

}  // namespace hb
