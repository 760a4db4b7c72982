#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/gbk.h"

using namespace hb;

class TestFiles : public QObject {
    Q_OBJECT
  private slots:
    void gbkStopsAtNul();
    void failedWriteKeepsTheOldFile();
    void unsafeNames_data();
    void unsafeNames();
};

void TestFiles::gbkStopsAtNul() {
    QCOMPARE(fromGbk(toGbk("询问") + QByteArray("\0尾", 4)), QStringLiteral("询问"));
    QVERIFY(!isGbkEncodable(QStringLiteral("😀")));
    QCOMPARE(toGbkLines("a\nb\r\nc"), QByteArray("a\r\nb\r\nc"));
}

void TestFiles::failedWriteKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    QVERIFY(writeFileBytes(path, "old"));
    QString error;
    QVERIFY(!writeFileBytes(dir.filePath("missing/a.ini"), "new", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFileBytes(path), QByteArray("old"));
}

void TestFiles::unsafeNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("record stem") << "2026.12.9-澄屿建筑公司-张三" << true;
    QTest::newRow("dots inside") << "a..b" << true;
    QTest::newRow("slash") << "2026.12.9-a/b-张三" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("line break") << "a\nb" << false;
    QTest::newRow("tab") << "a\tb" << false;
}

void TestFiles::unsafeNames() {
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(unsafeFileNameReason(name).isEmpty(), safe);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
