#pragma once
// The FTP operations the template exchange needs: one session at a time, active mode,
// binary transfers. Names go out as UTF-8 to a server that lists UTF8 in its features, as
// GB18030 to any other: the GBK bytes the Windows edition's servers expect, and a name of its
// own for every character beyond GBK.
#include <QList>
#include <QString>
#include <atomic>
#include <memory>

class QElapsedTimer;
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

// The naming and upload rules both systems' clients keep, over the few FTP steps each one
// takes its own way.
class CommandFtpClient : public FtpClient {
  public:
    bool putFile(const QString& localPath, const QString& remoteName) override;
    QString lastError() const override { return error_; }
    void cancel() override { cancelled_ = true; }
    // The bound of each command and transfer, fitted to a template of tens of kilobytes.
    void setTimeLimit(int milliseconds) { timeLimitMs_ = milliseconds; }

  protected:
    bool fail(const QString& why);
    // A line break would end the command and start another one of the typist's choosing.
    static bool hasControl(const QByteArray& bytes);
    static bool loginHasControl(const QString& host, const QString& account,
                                const QString& password);
    // "name", "name:port", "[v6]", "[v6]:port"; a bare IPv6 address has no port. The host
    // keeps the brackets of an IPv6 address.
    static bool splitHost(const QString& text, int defaultPort, QByteArray* host, int* port);
    // A line of a FEAT reply that names the feature.
    static bool lists(const QByteArray& replies, const QByteArray& feature);
    // The last reply line among the server's replies.
    static QString lastLine(const QByteArray& replies);
    // The name's bytes for this server; false when it cannot go out as it is.
    bool remoteName(const QString& text, QByteArray* bytes);

    virtual bool connected() const = 0;
    // FTP commands run in the current directory; false when the server refused one. Cleanup
    // commands still run after a cancel, briefly.
    virtual bool commands(const QList<QByteArray>& lines, QByteArray* replies = nullptr,
                          bool cleanup = false) = 0;
    // The file stored whole under name.
    virtual bool store(QFile& file, const QByteArray& name) = 0;
    // The server's last reply line: its reason when it refused.
    virtual QString lastReply() const = 0;

    int timeLimitMs_ = 60000;
    std::atomic<bool> cancelled_ = false;
    bool utf8_ = false;  // the server takes names in UTF-8
    QString error_;

  private:
    enum class Placed { Done, NewName, Failed };
    // The complete upload in place of `to`. NewName: the server refused the rename and holds
    // nothing under `to`.
    Placed place(const QByteArray& from, const QByteArray& to, const QString& shown);
};

#ifdef _WIN32
// The Windows Internet functions; the port when the host names none is fixed per client.
class InternetFtpClient : public CommandFtpClient {
  public:
    explicit InternetFtpClient(int port = 21);
    ~InternetFtpClient() override;

    bool connect(const QString& host, const QString& account, const QString& password) override;
    bool setCurrentDirectory(const QString& path) override;
    bool getFile(const QString& remoteName, const QString& localPath) override;
    void cancel() override;

  protected:
    bool connected() const override;
    bool commands(const QList<QByteArray>& lines, QByteArray* replies = nullptr,
                  bool cleanup = false) override;
    bool store(QFile& file, const QByteArray& name) override;
    QString lastReply() const override { return lastReply_; }

  private:
    struct Session;
    void drop();
    // Fails with the system's reason for the last call, and the server's where it refused.
    bool failCall(const QString& what);
    // False, with the reason, once the officer cancelled or the bound has passed.
    bool mayGoOn(const QElapsedTimer& clock);
    // What the server says the file holds; -1 where it does not say.
    qint64 remoteSize(const QByteArray& name);
    // The transfer handle of a remote file (GENERIC_READ or GENERIC_WRITE); null, with the
    // reason, when cancelled or refused.
    void* openRemote(const QByteArray& name, unsigned long access, const QString& failure);

    int port_;
    std::unique_ptr<Session> session_;
    QString lastReply_;
};
using SystemFtpClient = InternetFtpClient;
#else
// libcurl; the port when the host names none is fixed per client (21 in the application).
class CurlFtpClient : public CommandFtpClient {
  public:
    explicit CurlFtpClient(int port = 21);
    ~CurlFtpClient() override;

    bool connect(const QString& host, const QString& account, const QString& password) override;
    bool setCurrentDirectory(const QString& path) override;
    bool getFile(const QString& remoteName, const QString& localPath) override;

  protected:
    bool connected() const override { return session_ != nullptr; }
    bool commands(const QList<QByteArray>& lines, QByteArray* replies = nullptr,
                  bool cleanup = false) override;
    bool store(QFile& file, const QByteArray& name) override;
    QString lastReply() const override;

  private:
    struct Session;
    int port_;
    std::unique_ptr<Session> session_;
};
using SystemFtpClient = CurlFtpClient;
#endif

}  // namespace hb
