#include "platform/files.h"

#include <QFile>
#include <QSaveFile>

#include "platform/gbk.h"

namespace hb {

QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString readFileText(const QString& path) {
    return fromGbk(readFileBytes(path));
}

bool writeFileBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // Some folders (shared mounts) refuse rename-over; plain write is then the only way.
    file.setDirectWriteFallback(true);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error) *error = file.errorString();
    return ok;
}

QString unsafeFileNameReason(const QString& name) {
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("含有路径分隔符（/ 或 \\）");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("是“.”或“..”");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return QStringLiteral("含有控制字符");
    }
    return {};
}

}  // namespace hb
