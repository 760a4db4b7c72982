#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/dialogs.h"

namespace hb {
namespace {

QString envOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

QString Paths::blDir() const {
    return programDir + QStringLiteral("/BL");
}

void Paths::offerIn(FileDialogSpec& dialog) const {
    // BL comes with the first save; before it the officer would start in an unrelated folder.
    QDir().mkpath(blDir());
    dialog.startDir = blDir();
    dialog.places = {blDir(), programDir};
}

QString Paths::settingsFile() const {
    const QString exact = programDir + QStringLiteral("/Set.ini");
    if (QFileInfo::exists(exact)) return exact;
    const QStringList names = QDir(programDir).entryList(QDir::Files);
    for (const QString& name : names)
        if (name.compare(QLatin1String("set.ini"), Qt::CaseInsensitive) == 0)
            return programDir + QLatin1Char('/') + name;
    return exact;
}

Paths Paths::fromEnvironment(const QString& executableDir) {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/hengbi");
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/hengbi");
    Paths p;
    const QString home = qEnvironmentVariable("HENGBI_HOME");
    if (!home.isEmpty()) {
        p.programDir = home;
    } else if (isProgramDir(executableDir)) {
        p.programDir = executableDir;
    } else {
        p.programDir = dataHome;
        p.seedProgramDir = true;
    }
    p.systemDir = envOr("HENGBI_SYSTEM_DIR", dataHome + QStringLiteral("/system"));
    p.registryDir = envOr("HENGBI_REGISTRY_DIR", configHome + QStringLiteral("/registry"));
    p.desktopDir = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    p.defaultsDir = installedDefaults(executableDir);
    return p;
}

Paths Paths::under(const QString& dir) {
    Paths p;
    p.programDir = dir;
    p.systemDir = dir + QStringLiteral("/system");
    p.registryDir = dir + QStringLiteral("/registry");
    p.desktopDir = dir + QStringLiteral("/desktop");
    return p;
}

}  // namespace hb
