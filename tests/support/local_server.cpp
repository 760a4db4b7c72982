#include "support/local_server.h"

#ifdef _WIN32
#include <winsock2.h>

#include <windows.h>
using socklen_t = int;
const SOCKET kNoSocket = INVALID_SOCKET;
inline void closeSocket(SOCKET fd) {
    closesocket(fd);
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
const int kNoSocket = -1;
inline void closeSocket(int fd) {
    ::close(fd);
}
#endif

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUuid>

#include "platform/files.h"

namespace hb::test {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool accepts(int port) {
    const auto fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd == kNoSocket) return false;
    const sockaddr_in a = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    closeSocket(fd);
    return ok;
}

#ifdef _WIN32
// Under Wine the host's python runs beside the test: it sees the host's paths, and Wine
// passes neither its output nor its end back, so it answers in files.
const QString kPython = QStringLiteral("Z:/usr/bin/python3");

QString hostPath(const QString& argument) {
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[/\\\\]"));
    using Convert = char*(__cdecl*)(const wchar_t*);
    static const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!convert || !drive.match(argument).hasMatch()) return argument;
    char* unix = convert(reinterpret_cast<const wchar_t*>(argument.utf16()));
    const QString path = unix ? QString::fromLocal8Bit(unix) : argument;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

QString scratchFile() {
    return QDir::tempPath() + QStringLiteral("/hb-") + QUuid::createUuid().toString(QUuid::Id128);
}

// The file appears whole, or not within the time.
QByteArray awaitFile(const QString& path, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(path) && clock.elapsed() < milliseconds) QThread::msleep(20);
    const QByteArray bytes = readFileBytes(path);
    QFile::remove(path);
    return bytes;
}

// This test's own process on the host, which Wine's Z: drive shows.
QString testPid() {
    return QString::fromLatin1(readFileBytes(QStringLiteral("Z:/proc/self/stat")).split(' ')[0]);
}

// The server writes its process id, and ends when the test does, however it ends.
const char* const kServe = R"(import os, runpy, sys, threading, time
with open(sys.argv[1] + ".part", "w") as f:
    f.write(str(os.getpid()))
os.rename(sys.argv[1] + ".part", sys.argv[1])
owner = "/proc/" + sys.argv[2]
def watch():
    while os.path.exists(owner):
        time.sleep(0.2)
    os._exit(0)
threading.Thread(target=watch, daemon=True).start()
args = sys.argv[3:]
if args[0] == "-m":
    sys.argv = args[1:]
    runpy.run_module(args[1], run_name="__main__", alter_sys=True)
else:
    sys.argv = args
    runpy.run_path(args[0], run_name="__main__")
)";

const char* const kRun = R"(import io, os, sys
out, script = sys.argv[1], sys.argv[2]
sys.argv = ["-c"] + sys.argv[3:]
sys.stdout = io.StringIO()
try:
    exec(compile(script, "-c", "exec"), {"__name__": "__main__"})
finally:
    with open(out + ".part", "w") as f:
        f.write(sys.stdout.getvalue())
    os.rename(out + ".part", out)
)";

QStringList hostPaths(const QStringList& arguments) {
    QStringList paths;
    for (const QString& a : arguments) paths << hostPath(a);
    return paths;
}
#else
const QString kPython = QStringLiteral("/usr/bin/python3");
#endif

}  // namespace

QByteArray runPython(const QString& script, const QStringList& arguments) {
#ifdef _WIN32
    const QString out = scratchFile();
    if (!QProcess::startDetached(
            kPython, QStringList{"-c", kRun, hostPath(out), script} + hostPaths(arguments)))
        return {};
    return awaitFile(out, 20000);
#else
    QProcess p;
    p.start(kPython, QStringList{QStringLiteral("-c"), script} + arguments);
    p.waitForFinished(20000);
    return p.readAllStandardOutput();
#endif
}

bool pythonHas(const QString& module) {
    return QFileInfo(kPython).isFile() &&
           runPython(QStringLiteral("import %1; print('ok')").arg(module)).trimmed() == "ok";
}

int freePort() {
    const auto fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd == kNoSocket) return 0;
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    closeSocket(fd);
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
#ifdef _WIN32
        const QString pidFile = scratchFile();
        if (!QProcess::startDetached(
                kPython, QStringList{"-c", kServe, hostPath(pidFile), testPid()} + hostPaths(args)))
            break;
        hostPid_ = QString::fromLatin1(awaitFile(pidFile, 15000));
        QElapsedTimer clock;
        clock.start();
        while (!hostPid_.isEmpty() && clock.elapsed() < 15000) {
            if (accepts(port_)) return true;
            QThread::msleep(50);
        }
        output = QStringLiteral("the server did not answer on port %1").arg(port_);
#else
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(kPython, args);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000 && process_.state() != QProcess::NotRunning) {
            if (accepts(port_)) return true;
            QThread::msleep(50);
        }
        output = QString::fromLocal8Bit(process_.readAll());
#endif
        stop();
    }
    if (why) *why = output;
    return false;
}

void LocalServer::stop() {
#ifdef _WIN32
    if (!hostPid_.isEmpty()) {
        runPython(QStringLiteral("import os, signal, sys\ntry:\n    os.kill(int(sys.argv[1]), "
                                 "signal.SIGKILL)\nexcept OSError:\n    pass"),
                  {hostPid_});
        hostPid_.clear();
    }
#endif
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

}  // namespace hb::test
