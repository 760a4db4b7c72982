#include "office/com_office.h"
#include "office/office_components.h"

namespace hb {

// Word's or WPS's spreadsheet, whichever suite the check found: its automation server.
bool hasSpreadsheet(const QString&) {
    return !registeredServerDirectory(wordSuite().spreadsheet).isEmpty() ||
           !registeredServerDirectory(wpsSuite().spreadsheet).isEmpty();
}

QString missingSpreadsheetReason() {
    return QStringLiteral("没有安装 Excel 或 WPS 表格，无法打开表格。");
}

}  // namespace hb
