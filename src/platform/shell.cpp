#include "platform/shell.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "platform/files.h"

namespace hb {

bool DesktopShell::openWebAddress(const QString& address) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}

bool DesktopShell::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

QString DesktopShell::findProgram(const QStringList& candidates) {
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return {};
}

bool writeDesktopLauncher(const QString& desktopDir, const QString& executablePath) {
    if (desktopDir.isEmpty() || !QDir(desktopDir).exists()) return false;
    const QString path = desktopDir + QStringLiteral("/衡笔.desktop");
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Version=1.0\n"
                              "Name=衡笔\n"
                              "Comment=劳动保障监察询问笔录\n"
                              "Exec=\"%1\"\n"
                              "Icon=hengbi\n"
                              "Terminal=false\n"
                              "Categories=Office;\n")
                              .arg(executablePath);
    // Desktop entries are UTF-8 by their own standard.
    if (!writeFileBytes(path, entry.toUtf8())) return false;
    return QFile::setPermissions(
        path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

}  // namespace hb
