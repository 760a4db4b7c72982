// Where the program keeps the officer's files: beside a portable copy, in %LOCALAPPDATA% for an
// installed one, seeded from the defaults installed beside it.
#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/paths.h"
#include "resources/resources.h"

using namespace hb;

class TestPathsWindows : public QObject {
    Q_OBJECT
  private slots:
    void programDir_data();
    void programDir();
};

void TestPathsWindows::programDir_data() {
    QTest::addColumn<QStringList>("beside");  // files beside the program
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QByteArray>("seeded");  // Set.ini in a new per-user folder
    const QByteArray adapted("[biaoti]\r\nbiaoti=市局\r\n");
    QTest::newRow("portable copy") << QStringList{"hengbi.exe", "Set.ini"} << true << adapted;
    QTest::newRow("installed copy")
        << QStringList{"hengbi.exe", "Set.ini", "uninstall.exe"} << false << adapted;
    QTest::newRow("program alone")
        << QStringList{"hengbi.exe"} << false << defaultFileBytes("Set.ini");
}

void TestPathsWindows::programDir() {
    QFETCH(QStringList, beside);
    QFETCH(bool, portable);
    QFETCH(QByteArray, seeded);
    QTemporaryDir tmp;
    for (const QString& name : beside)
        QVERIFY(writeFileBytes(tmp.filePath(name), name == "Set.ini" ? seeded : "MZ"));
    qunsetenv("HENGBI_HOME");
    const Paths paths = Paths::fromEnvironment(tmp.path());
    const QString local =
        QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA")) + "/hengbi";
    QCOMPARE(paths.programDir, portable ? tmp.path() : local);
    QCOMPARE(paths.seedProgramDir, !portable);
    QCOMPARE(paths.systemDir, local + "/system");
    // Settings and help files, never the program's own files.
    QVERIFY(seedProgramDir(tmp.filePath("user"), paths.defaultsDir));
    QCOMPARE(readFileBytes(tmp.filePath("user/Set.ini")), seeded);
    QCOMPARE(QDir(tmp.filePath("user")).entryList({"*.exe"}), QStringList());
    QVERIFY(QFileInfo::exists(tmp.filePath("user/帮助.txt")));
}

QTEST_MAIN(TestPathsWindows)
#include "test_paths_windows.moc"
