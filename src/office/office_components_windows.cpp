#include <QSettings>

#include "office/office_components.h"

namespace hb {

// Word's or WPS's spreadsheet, whichever suite the check found: its automation server.
bool hasSpreadsheet(const QString&) {
    for (const char* progId : {"Excel.Application", "KET.Application"}) {
        const QSettings entry(
            QStringLiteral("HKEY_CLASSES_ROOT\\%1\\CLSID").arg(QLatin1String(progId)),
            QSettings::NativeFormat);
        if (entry.contains(QStringLiteral("Default"))) return true;
    }
    return false;
}

QString missingSpreadsheetReason() {
    return QStringLiteral("没有安装 Excel 或 WPS 表格，无法打开表格。");
}

}  // namespace hb
