#include <QFileInfo>
#include <QTemporaryFile>

#include "platform/paths.h"

namespace hb {
namespace {

bool holdsSettings(const QString& dir) {
    return QFileInfo::exists(dir + QStringLiteral("/Set.ini"));
}

}  // namespace

// The installer leaves its uninstaller beside the program: an installed copy keeps the
// officer's files in the officer's own folder, whoever runs it and wherever it went. A copy
// the officer may not write (Program Files, a read-only share) does the same. Only a real
// write tells: permissions, UAC and read-only media all answer it.
bool isProgramDir(const QString& executableDir) {
    if (!holdsSettings(executableDir) ||
        QFileInfo::exists(executableDir + QStringLiteral("/uninstall.exe")))
        return false;
    QTemporaryFile probe(executableDir + QStringLiteral("/hengbi-XXXXXX.tmp"));
    return probe.open();
}

QString installedDefaults(const QString& executableDir) {
    return holdsSettings(executableDir) ? executableDir : QString();
}

}  // namespace hb
