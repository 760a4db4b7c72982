#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace hb {

bool installQtTranslations() {
    static QTranslator* translator = nullptr;
    if (translator) return true;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    // qt_zh_CN holds qtbase and the other modules' catalogues.
    if (!candidate->load(QStringLiteral("qt_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(candidate)) {
        delete candidate;
        return false;
    }
    translator = candidate;
    return true;
}

}  // namespace hb
