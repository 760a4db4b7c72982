#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/gb18030.h"
#include "platform/gbk.h"
#include "platform/shell.h"
#include "support/file_size_limit.h"
#include "support/require.h"

using namespace hb;

namespace {
QString readFileUtf8(const QString& path) {
    return QString::fromUtf8(readFileBytes(path));
}
}  // namespace

class TestFiles : public QObject {
    Q_OBJECT
  private slots:
    void gbkStopsAtNul();
    void gb18030_data();
    void gb18030();
    void gb18030TablesMatchQt();
    void shippedTextsAreGbk();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void unsafeNames_data();
    void unsafeNames();
    void launcherExec_data();
    void launcherExec();
};

void TestFiles::gbkStopsAtNul() {
    QCOMPARE(fromGbk(toGbk("询问") + QByteArray("\0尾", 4)), QStringLiteral("询问"));
    QVERIFY(!isGbkEncodable(QStringLiteral("😀")));
    QCOMPARE(toGbkLines("a\nb\r\nc"), QByteArray("a\r\nb\r\nc"));
}

void TestFiles::gb18030_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("GBK text keeps its GBK bytes") << "询问笔录·—" << toGbk("询问笔录·—");
    QTest::newRow("euro sign, GBK's one byte") << "€5"
                                               << QByteArray(
                                                      "\x80"
                                                      "5");
    QTest::newRow("outside GBK, four bytes") << "王𠮷" << QByteArray("\xCD\xF5\x95\x34\xB2\x35");
    QTest::newRow("outside GBK, two bytes") << "ḿ" << QByteArray("\xA8\xBC");
    QTest::newRow("emoji between GBK") << "甲😀乙" << toGbk("甲") + "\x94\x39\xFC\x36" + toGbk("乙");
}

void TestFiles::gb18030() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toGb18030(text), bytes);
    QCOMPARE(fromGbk(bytes), text);
    // A cut never splits a character.
    for (qsizetype n = 0; n <= bytes.size(); ++n)
        QVERIFY(text.startsWith(fromGbk(cutGbk(bytes, n))));
}

// The tables serve where Qt has no GB18030; where it has, they must agree with it everywhere.
void TestFiles::gb18030TablesMatchQt() {
    if (!QStringEncoder("GB18030").isValid()) QSKIP("Qt has no GB18030 here");
    int differences = 0;
    for (char32_t cp = 0x80; cp <= 0x10FFFF; cp += cp < 0x10000 ? 1 : 0x3FF) {
        // Qt's encoder drops a byte-order mark, which the tables keep.
        if ((cp >= 0xD800 && cp < 0xE000) || cp == 0xFEFF) continue;
        const QString c = QString::fromUcs4(&cp, 1);
        QStringEncoder gbk("GBK");
        const QByteArray cp936 = gbk.encode(c);
        const QByteArray expected = QStringEncoder("GB18030").encode(c);
        const QByteArray beyond = gb18030::encodeBeyondCp936(cp);
        const auto hex = QString::number(cp, 16);
        QCOMPARE_EQ(beyond, !gbk.hasError() && cp936 == expected ? QByteArray() : expected);
        if (beyond.size() == 4)
            QVERIFY2(gb18030::decodeFourBytes(beyond.data()) == cp, qPrintable(hex));
        if (beyond.size() == 2) {
            QVERIFY2(gb18030::twoByteDifference(beyond[0], beyond[1]) == cp, qPrintable(hex));
            ++differences;
        }
    }
    QCOMPARE(differences, 82);
}

void TestFiles::shippedTextsAreGbk() {
    const QStringList dirs = {":/hengbi/texts", ":/hengbi/defaults"};
    int files = 0;
    for (const QString& dir : dirs) {
        for (const QString& name : QDir(dir).entryList(QDir::Files)) {
            const QString text = readFileUtf8(dir + '/' + name);
            QVERIFY2(isGbkEncodable(text), qPrintable(name));
            ++files;
        }
    }
    QVERIFY(files >= 23);
}

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
