#pragma once
#include <QString>

namespace hb {

// Whether the office in programDir has Calc, which the package only recommends; and what to
// tell the officer when it has not.
bool hasSpreadsheet(const QString& programDir);
QString missingSpreadsheetReason();

}  // namespace hb
