#include "support/local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace hb::test {
namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const sockaddr_in a = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool pythonHas(const QString& module) {
    if (!QFileInfo(kPython).isExecutable()) return false;
    QProcess p;
    p.start(kPython, {QStringLiteral("-c"), QStringLiteral("import ") + module});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool LocalServer::start(const QStringList& arguments, QString* why) {
    stop();
    QString output;
    // The port may be taken between choosing and binding: try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = freePort();
        QStringList args = arguments;
        args.replaceInStrings(QStringLiteral("{port}"), QString::number(port_));
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(kPython, args);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000 && process_.state() != QProcess::NotRunning) {
            if (accepts(port_)) return true;
            QThread::msleep(50);
        }
        output = QString::fromLocal8Bit(process_.readAll());
        stop();
    }
    if (why) *why = output;
    return false;
}

void LocalServer::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

}  // namespace hb::test
