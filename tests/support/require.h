#pragma once
// Tests that need a real program: a failure under CI (which installs everything), a skip
// with the reason elsewhere.
#include <QStandardPaths>
#include <QtTest>

#define HB_REQUIRE(condition, what)                                                        \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            if (qEnvironmentVariableIsSet("CI")) QFAIL(qPrintable(QString(what)));         \
            QSKIP(qPrintable(QString(what) + QStringLiteral(" (this test fails in CI)"))); \
        }                                                                                  \
    } while (false)

namespace hb::test {

// The program on PATH or in the system folders, or empty.
inline QString programOnPath(const char* name) {
    QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            QString::fromLatin1(name), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found;
}

}  // namespace hb::test
