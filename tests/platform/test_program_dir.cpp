// The per-user program directory of an installed program, filled from the defaults installed
// with it (/etc/hengbi for a program in /usr/bin, wherever that tree was unpacked).
#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/paths.h"
#include "resources/resources.h"

using namespace hb;

class TestProgramDir : public QObject {
    Q_OBJECT
  private slots:
    void seededFromInstalledDefaults_data();
    void seededFromInstalledDefaults();
};

void TestProgramDir::seededFromInstalledDefaults_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("installed");  // null: not installed
    QTest::addColumn<QByteArray>("users");      // null: the user has none yet
    QTest::addColumn<QByteArray>("expected");   // null: the embedded default
    QTest::newRow("installed copy")
        << "Set.ini" << QByteArray("[biaoti]\r\n") << QByteArray() << QByteArray("[biaoti]\r\n");
    QTest::newRow("user's copy kept") << "Set.ini" << QByteArray("[biaoti]\r\n")
                                      << QByteArray("[mine]\r\n") << QByteArray("[mine]\r\n");
    QTest::newRow("not installed") << "帮助.txt" << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("installed extra")
        << "通讯录.txt" << QByteArray("x") << QByteArray() << QByteArray("x");
}

void TestProgramDir::seededFromInstalledDefaults() {
    QFETCH(QString, file);
    QFETCH(QByteArray, installed);
    QFETCH(QByteArray, users);
    QFETCH(QByteArray, expected);
    QTemporaryDir tmp;
    qunsetenv("HENGBI_HOME");
    qputenv("XDG_DATA_HOME", tmp.filePath("data").toLocal8Bit());
    QVERIFY(QDir().mkpath(tmp.filePath("usr/bin")));
    QVERIFY(QDir().mkpath(tmp.filePath("etc/hengbi")));
    if (!installed.isNull()) QVERIFY(writeFileBytes(tmp.filePath("etc/hengbi/") + file, installed));
    const Paths paths = Paths::fromEnvironment(tmp.filePath("usr/bin"));
    QCOMPARE(paths.defaultsDir, tmp.filePath("etc/hengbi"));
    if (!users.isNull()) {
        QVERIFY(QDir().mkpath(paths.programDir));
        QVERIFY(writeFileBytes(paths.programDir + QLatin1Char('/') + file, users));
    }
    QVERIFY(seedProgramDir(paths.programDir, paths.defaultsDir));
    QCOMPARE(readFileBytes(paths.programDir + QLatin1Char('/') + file),
             expected.isNull() ? defaultFileBytes(file) : expected);
}

QTEST_MAIN(TestProgramDir)
#include "test_program_dir.moc"
