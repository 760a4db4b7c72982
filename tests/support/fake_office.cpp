#include "support/fake_office.h"

namespace hb::test {

QString FakeOffice::programDirectory() {
    calls << "check";
    return installedAt;
}

bool FakeOffice::open(const QString& path) {
    calls << QStringLiteral("open ") + path;
    return openSucceeds;
}

bool FakeOffice::print() {
    calls << "print";
    if (whileWorking) whileWorking();
    return printSucceeds;
}

bool FakeOffice::saveAs(const QString& path) {
    calls << QStringLiteral("save ") + path;
    if (whileWorking) whileWorking();
    return saveSucceeds;
}

bool FakeOffice::spreadsheetOpen(const QString& path) {
    calls << QStringLiteral("sheet open ") + path;
    return openSucceeds;
}

QStringList FakeOffice::callsStartingWith(const QString& prefix) const {
    QStringList out;
    for (const QString& c : calls)
        if (c.startsWith(prefix)) out << c;
    return out;
}

}  // namespace hb::test
