#include <QDir>

#include "extras/extras.h"

namespace hb {

const QStringList kCalculators = {
    QStringLiteral("gnome-calculator"),  QStringLiteral("kcalc"),
    QStringLiteral("galculator"),        QStringLiteral("mate-calc"),
    QStringLiteral("deepin-calculator"), QStringLiteral("xcalc"),
};
const QStringList kTextEditors = {
    QStringLiteral("gedit"),  QStringLiteral("gnome-text-editor"), QStringLiteral("kate"),
    QStringLiteral("kwrite"), QStringLiteral("mousepad"),          QStringLiteral("xed"),
    QStringLiteral("pluma"),  QStringLiteral("deepin-editor"),
};

ToolCommand officeProgram(const QString& programDir, bool spreadsheet) {
    return {QDir(programDir).filePath(QStringLiteral("soffice")),
            {spreadsheet ? QStringLiteral("--calc") : QStringLiteral("--writer")}};
}

}  // namespace hb
