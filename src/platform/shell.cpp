#include "platform/shell.h"

#include <QStandardPaths>

namespace hb {

QString DesktopShell::findProgram(const QStringList& candidates) {
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return {};
}

}  // namespace hb
