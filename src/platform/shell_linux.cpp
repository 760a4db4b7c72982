#include <QDir>
#include <QFile>
#include <QProcess>

#include "platform/files.h"
#include "platform/shell.h"

namespace hb {

bool DesktopShell::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool DesktopShell::openWebAddress(const QString& address) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}

QString desktopExecValue(const QString& program) {
    // A quoted argument escapes " ` $ \ with a backslash; % is a field code, %% a percent sign;
    // the key's string value escapes the backslash again and has no raw line breaks.
    QString arg;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            arg += QLatin1Char('\\');
        arg += c;
    }
    arg.replace(QLatin1Char('%'), QLatin1String("%%"));
    QString value = QLatin1Char('"') + arg + QLatin1Char('"');
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    value.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    value.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return value;
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
                              "Exec=%1\n"
                              "Icon=hengbi\n"
                              "Terminal=false\n"
                              "Categories=Office;\n")
                              .arg(desktopExecValue(executablePath));
    // Desktop entries are UTF-8 by their own standard.
    if (!writeFileBytes(path, entry.toUtf8())) return false;
    return QFile::setPermissions(
        path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

}  // namespace hb
