#include "platform/shell.h"

#include <QProcess>
#include <QStandardPaths>

namespace hb {

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

}  // namespace hb
