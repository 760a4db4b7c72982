#include "office/office_components.h"

#include <QFileInfo>

namespace hb {

bool hasSpreadsheet(const QString& programDir) {
    return QFileInfo::exists(programDir + QStringLiteral("/libsclo.so"));
}

QString missingSpreadsheetReason() {
    return QStringLiteral(
        "没有安装 LibreOffice Calc，无法打开表格。\n请管理员安装软件包 libreoffice-calc。");
}

}  // namespace hb
