#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/gbk.h"
#include "platform/native_file.h"

namespace hb {
namespace {

// errno of the failing call in the officer's words; empty when there is none.
QString reasonFor(int error) {
    switch (error) {
        case 0:
            return {};
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return QStringLiteral("磁盘空间已满");
        case EFBIG:
            return QStringLiteral("文件超过了系统允许的大小");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有访问权限");
        case EROFS:
            return QStringLiteral("磁盘是只读的");
        case ENOENT:
            return QStringLiteral("文件夹不存在");
        case ENOTDIR:
            return QStringLiteral("路径中有一段不是文件夹");
        case EISDIR:
            return QStringLiteral("这是一个文件夹");
        case ENAMETOOLONG:
            return QStringLiteral("文件名太长");
        case EIO:
            return QStringLiteral("磁盘读写出错");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("打开的文件太多");
        default:
            return QStringLiteral("系统错误（错误号 %1）").arg(error);
    }
}

QString sizeText(qint64 bytes) {
    if (bytes >= (qint64(1) << 20))
        return QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1);
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

// An open descriptor of a regular file, or -1 with the reason. Non-blocking, so that a FIFO
// without a writer is refused instead of holding the caller.
int openRegular(const QString& path, QString* why) {
    errno = 0;
    const int fd = native::openForReading(path);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        *why = reasonFor(errno ? errno : EIO);
        if (fd >= 0) ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = S_ISDIR(st.st_mode) ? reasonFor(EISDIR)
                                   : QStringLiteral("这不是普通文件（是设备、管道或套接字）");
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error) {
    bytes->clear();
    QString why;
    const int fd = openRegular(path, &why);
    const auto tooLarge = [&](qint64 size) {
        return QStringLiteral("文件太大（%1），超过了 %2 的上限")
            .arg(sizeText(size), sizeText(maxBytes));
    };
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size > maxBytes) why = tooLarge(st.st_size);
    if (fd >= 0 && why.isEmpty()) {
        // One byte past the cap tells a file that grew while being read.
        bytes->resize(qsizetype(std::min<qint64>(st.st_size, maxBytes) + 1));
        qsizetype got = 0;
        for (;;) {
            if (got == bytes->size()) bytes->resize(std::min<qsizetype>(got * 2, maxBytes + 1));
            const ssize_t n = ::read(fd, bytes->data() + got, size_t(bytes->size() - got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) why = reasonFor(errno);
            if (n <= 0) break;
            got += n;
            if (got > maxBytes) {
                why = tooLarge(got);
                break;
            }
        }
        bytes->resize(got);
    }
    if (fd >= 0) ::close(fd);
    if (why.isEmpty()) return true;
    bytes->clear();
    if (error) *error = why;
    return false;
}

QByteArray readFileBytes(const QString& path) {
    QByteArray bytes;
    readRegularFile(path, std::numeric_limits<qsizetype>::max() / 2, &bytes, nullptr);
    return bytes;
}

QString readFileText(const QString& path) {
    return fromGbk(readFileBytes(path));
}

QString unreadableReason(const QString& path) {
    if (!QFileInfo::exists(path)) return {};
    QString why;
    const int fd = openRegular(path, &why);
    if (fd >= 0) ::close(fd);
    return why;
}

StreamedFile::StreamedFile(const QString& path) : path_(path) {}

StreamedFile::~StreamedFile() = default;

bool StreamedFile::fail(const QString& fallback) {
    const int error = errno;
    if (error_.isEmpty()) error_ = error ? reasonFor(error) : fallback;
    file_.reset();  // the temporary file goes, the old file stays
    return false;
}

bool StreamedFile::open() {
    error_.clear();
    const QFileInfo target(path_);
    // A link is replaced like any file: writing through it would put a record wherever it
    // points. The new file is made beside it and renamed over it.
    replacedLink_ = target.isSymLink();
    if (!replacedLink_ && target.isDir()) {
        error_ = QStringLiteral("同名的文件夹已经存在");
        return false;
    }
    if (!target.absoluteDir().exists()) {
        error_ = reasonFor(ENOENT);
        return false;
    }
    // No direct-write fallback: writing into the old file would lose it on a failure.
    file_ = std::make_unique<QSaveFile>(
        replacedLink_ ? target.absolutePath() + QStringLiteral("/.") + target.fileName() + '.' +
                            QString::number(QRandomGenerator::global()->generate(), 16)
                      : path_);
    errno = 0;
    if (!file_->open(QIODevice::WriteOnly)) return fail(QStringLiteral("无法建立文件"));
    return true;
}

bool StreamedFile::write(QByteArrayView bytes) {
    if (!file_) return false;
    errno = 0;
    if (file_->write(bytes.data(), bytes.size()) != bytes.size())
        return fail(QStringLiteral("写入失败"));
    return true;
}

bool StreamedFile::commit() {
    if (!file_) return false;
    // Qt 6.4 commits even when flushing the last buffered bytes failed: flush first.
    errno = 0;
    if (!file_->flush()) return fail(QStringLiteral("写入失败"));
    errno = 0;
    if (!file_->commit()) return fail(QStringLiteral("无法替换原来的文件"));
    const QString written = file_->fileName();
    file_.reset();
    errno = 0;
    if (replacedLink_ && !native::renameOver(written, path_)) {
        fail(QStringLiteral("无法替换原来的文件"));
        QFile::remove(written);
        return false;
    }
    return true;
}

bool writeFileBytes(const QString& path, const QByteArray& bytes, QString* error) {
    StreamedFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error) *error = file.error();
    return ok;
}

bool makePrivateDir(const QString& path) {
    if (QFileInfo(path).isDir()) return true;
    const QDir dir(path);
    return QDir().mkpath(QFileInfo(dir.absolutePath()).path()) &&
           QDir().mkdir(dir.absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString unsafeFileNameReason(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("没有填写");
    if (name.startsWith(QLatin1Char('.'))) return QStringLiteral("以“.”开头");
    return unsafeCharacterReason(name);
}

QString unsafeCharacterReason(const QString& part) {
    // The names travel to Windows machines and FTP servers, which refuse these.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : part) {
        if (forbidden.contains(c)) return QStringLiteral("含有字符“%1”").arg(c);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("含有控制字符（U+%1）")
                .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                .toUpper();
    }
    return {};
}

int fileNameLength(const QString& name) {
#ifdef Q_OS_WIN
    return int(name.size());
#else
    return int(QFile::encodeName(name).size());
#endif
}

}  // namespace hb
