#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "platform/gbk.h"

namespace hb {
namespace {

// errno of the failing call in the officer's words; empty when there is none.
QString reasonFor(int error) {
    switch (error) {
        case 0:
            return {};
        case ENOSPC:
        case EDQUOT:
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

}  // namespace

QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString readFileText(const QString& path) {
    return fromGbk(readFileBytes(path));
}

QString unreadableReason(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    if (info.isDir()) return reasonFor(EISDIR);
    QFile file(path);
    errno = 0;
    if (file.open(QIODevice::ReadOnly)) return {};
    const QString why = reasonFor(errno);
    return why.isEmpty() ? QStringLiteral("文件不能读取") : why;
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
    if (target.isDir()) {
        error_ = QStringLiteral("同名的文件夹已经存在");
        return false;
    }
    if (!target.absoluteDir().exists()) {
        error_ = reasonFor(ENOENT);
        return false;
    }
    // No direct-write fallback: writing into the old file would lose it on a failure.
    file_ = std::make_unique<QSaveFile>(path_);
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
    file_.reset();
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
    // The names travel to Windows machines and FTP servers, which refuse these.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c)) return QStringLiteral("含有字符“%1”").arg(c);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("含有控制字符（U+%1）")
                .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                .toUpper();
    }
    return {};
}

}  // namespace hb
