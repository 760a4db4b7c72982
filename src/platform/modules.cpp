#include "platform/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace hb {
namespace {

QString executableDir() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
        .absolutePath();
}

}  // namespace

QStringList moduleDirectories() {
    const QString override = qEnvironmentVariable("HENGBI_MODULE_DIR");
    if (!override.isEmpty()) return {override};
    const QString exe = executableDir();
    QStringList dirs = {QDir::cleanPath(exe + QStringLiteral("/" HB_INSTALLED_MODULES))};
    // Tests and benches run from anywhere in the build tree.
    const QString build = QStringLiteral(HB_BUILD_DIR);
    if (exe == build || exe.startsWith(build + QLatin1Char('/')))
        dirs << QStringLiteral(HB_BUILD_MODULES);
    return dirs;
}

void* moduleSymbol(const QString& name, const char* symbol, QString* why) {
    QString reasons;
    for (const QString& dir : moduleDirectories()) {
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(HB_MODULE_SUFFIX);
        if (!QFileInfo::exists(file)) continue;
        QLibrary library(file);
        if (void* entry = reinterpret_cast<void*>(library.resolve(symbol))) return entry;
        reasons += library.errorString() + QLatin1Char(' ');
    }
    if (why)
        *why = reasons.isEmpty() ? QStringLiteral("%1 not found in %2")
                                       .arg(name, moduleDirectories().join(QLatin1String(", ")))
                                 : reasons.trimmed();
    return nullptr;
}

}  // namespace hb
