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
