#include <QDir>
#include <QFileInfo>

#include "extras/extras.h"

namespace hb {

const QStringList kCalculators = {QStringLiteral("calc.exe")};
const QStringList kTextEditors = {QStringLiteral("notepad.exe")};

// Word's programs go by their bare names, which the shell finds through App Paths; WPS's sit
// in the folder the office check found.
ToolCommand officeProgram(const QString& programDir, bool spreadsheet) {
    const QString wps =
        QDir(programDir)
            .filePath(spreadsheet ? QStringLiteral("et.exe") : QStringLiteral("wps.exe"));
    if (QFileInfo::exists(wps)) return {wps, {}};
    return {spreadsheet ? QStringLiteral("EXCEL.EXE") : QStringLiteral("WINWORD.EXE"), {}};
}

}  // namespace hb
