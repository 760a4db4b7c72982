#include <QDir>
#include <QFileInfo>

#include "platform/paths.h"

namespace hb {

// The portable layout, as officers unpack it.
bool isProgramDir(const QString& executableDir) {
    return QFileInfo::exists(executableDir + QStringLiteral("/Set.ini"));
}

// The office's adapted defaults, as the install rules place them: /etc/hengbi beside a /usr
// install, <prefix>/etc/hengbi beside any other.
QString installedDefaults(const QString& executableDir) {
    const QFileInfo bin(executableDir);
    if (bin.fileName() != QLatin1String("bin")) return {};
    QString etc = QDir::cleanPath(bin.absoluteFilePath() + QStringLiteral("/.."));
    if (etc.endsWith(QLatin1String("/usr"))) etc.chop(4);
    etc += QStringLiteral("/etc/hengbi");
    return QFileInfo(etc).isDir() ? etc : QString();
}

}  // namespace hb
