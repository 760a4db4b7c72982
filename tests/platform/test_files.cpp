#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/shell.h"
#include "support/file_size_limit.h"
#include "support/require.h"

using namespace hb;

class TestFiles : public QObject {
    Q_OBJECT
  private slots:
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void unsafeNames_data();
    void unsafeNames();
    void launcherExec_data();
    void launcherExec();
};

void TestFiles::launcherExec_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain") << "/usr/bin/hengbi"
                           << "\"/usr/bin/hengbi\"";
    QTest::newRow("blank and CJK") << "/opt/衡 笔/hengbi"
                                   << "\"/opt/衡 笔/hengbi\"";
    QTest::newRow("percent sign") << "/opt/100%/hengbi"
                                  << "\"/opt/100%%/hengbi\"";
    QTest::newRow("quote, dollar, backquote") << "/o/\"$HOME`x`/hengbi"
                                              << "\"/o/\\\\\"\\\\$HOME\\\\`x\\\\`/hengbi\"";
    QTest::newRow("backslash") << "/o/a\\b/hengbi"
                               << "\"/o/a\\\\\\\\b/hengbi\"";
}

void TestFiles::launcherExec() {
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QTemporaryDir dir;
    QVERIFY(writeDesktopLauncher(dir.path(), program));
    const QString launcher = dir.filePath("衡笔.desktop");
    QVERIFY(QString::fromUtf8(readFileBytes(launcher)).contains("\nExec=" + exec + "\n"));
    const QString validator = test::programOnPath("desktop-file-validate");
    HB_REQUIRE(!validator.isEmpty(), "desktop-file-validate is not installed (desktop-file-utils)");
    QProcess p;
    p.start(validator, {launcher});
    QVERIFY(p.waitForFinished());
    QVERIFY2(p.exitCode() == 0, p.readAllStandardOutput().constData());
}

// Small writes sit in the buffer until the last flush, large ones go out at once.
void TestFiles::failedWriteKeepsTheOldFile_data() {
    QTest::addColumn<QString>("target");  // relative to the folder holding a.ini
    QTest::addColumn<int>("limit");       // bytes a file may grow to; -1 for no limit
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reason");
    const QString tooLarge = QStringLiteral("文件超过了系统允许的大小");
    QTest::newRow("full: last flush") << "a.ini" << 100 << 3000 << tooLarge;
    QTest::newRow("full: direct write") << "a.ini" << 100 << 300000 << tooLarge;
    QTest::newRow("full: nothing fits") << "a.ini" << 0 << 10 << tooLarge;
    QTest::newRow("missing folder") << "missing/a.ini" << -1 << 10 << "文件夹不存在";
    QTest::newRow("folder in the way") << "d" << -1 << 10 << "同名的文件夹已经存在";
}

void TestFiles::failedWriteKeepsTheOldFile() {
    QFETCH(QString, target);
    QFETCH(int, limit);
    QFETCH(int, size);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QByteArray old = "[set]\r\nnum1=old\r\n";
    QVERIFY(writeFileBytes(dir.filePath("a.ini"), old));
    QDir(dir.path()).mkdir("d");
    const QString path = dir.filePath(target);
    QString error;
    {
        std::optional<test::FileSizeLimit> full;
        if (limit >= 0) full.emplace(limit);
        QVERIFY(!writeFileBytes(path, QByteArray(size, 'n'), &error));
        StreamedFile streamed(path);
        QVERIFY(!(streamed.open() && streamed.write("x") && streamed.write(QByteArray(size, 'n')) &&
                  streamed.commit()));
        QCOMPARE(streamed.error(), error);
    }
    QCOMPARE(error, reason);
    QCOMPARE(readFileBytes(dir.filePath("a.ini")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});
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
    QTest::newRow("empty") << "" << false;
    QTest::newRow("hidden") << ".9.15-单位-张三" << false;
    for (const char* c : {":", "*", "?", "\"", "<", ">", "|"})
        QTest::newRow(c) << QStringLiteral("甲%1乙").arg(c) << false;
}

void TestFiles::unsafeNames() {
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(unsafeFileNameReason(name).isEmpty(), safe);
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
