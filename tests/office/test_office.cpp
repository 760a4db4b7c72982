// The LibreOffice backend against stand-in programs: where it looks for the office, how it
// runs it, and what it reports when a run fails.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QtTest>

#include "support/fake_soffice.h"
#include "office/libreoffice.h"
#include "office/soffice.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "resources/resources.h"
#include "support/fakes.h"
#include "support/file_size_limit.h"

using namespace hb;
using hb::test::fakeOffice;
using hb::test::FileSizeLimit;
using hb::test::kConverts;
using hb::test::writeProgram;

namespace {

LibreOfficeSuite::Settings settingsIn(const QString& workDir, int timeoutMs = 20000,
                                      const QString& lp = QStringLiteral("lp")) {
    LibreOfficeSuite::Settings s;
    s.workDir = workDir;
    s.timeoutMs = timeoutMs;
    s.printProgram = lp;
    return s;
}

void typeSomething(LibreOfficeSuite& office, const QString& dir) {
    const QString blank = dir + "/Doc.doc";
    writeFileBytes(blank, shippedFile("document/Doc.doc"));
    office.create();
    office.attach();
    QVERIFY(office.open(blank));
    office.type(QStringLiteral("劳动保障监察询问笔录\r\n"));
}

}  // namespace

class TestOffice : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { qunsetenv("HENGBI_SOFFICE"); }
    void findsTheOffice_data();
    void findsTheOffice();
    void convertsInAPrivateProfile();
    void secondProfileWhenTheFirstIsInUse();
    void profileLeavesFacesToFontconfig_data();
    void profileLeavesFacesToFontconfig();
    void failedConversionKeepsTheOldFile_data();
    void failedConversionKeepsTheOldFile();
    void printing_data();
    void printing();
    void showing();
    void otherDocumentsAreUsedAsTheyAre();
};

void TestOffice::findsTheOffice_data() {
    QTest::addColumn<QString>("override");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("found");
    QTest::newRow("override: the program directory") << "good" << QStringList{} << "good";
    QTest::newRow("override: the soffice program") << "good/soffice" << QStringList{} << "good";
    QTest::newRow("override without Writer: nothing else is tried")
        << "calc-only" << QStringList{"good"} << "";
    QTest::newRow("first candidate with Writer")
        << "" << QStringList{"missing", "calc-only", "lib", "good"} << "lib";
    QTest::newRow("soffice on PATH is a link into the program directory")
        << "" << QStringList{"bin/soffice"} << "good";
    QTest::newRow("none") << "" << QStringList{"missing", "calc-only"} << "";
}

void TestOffice::findsTheOffice() {
    QFETCH(QString, override);
    QFETCH(QStringList, candidates);
    QFETCH(QString, found);
    QTemporaryDir tmp;
    const QString root = tmp.path() + "/";
    fakeOffice(root + "good", "exit 0");
    writeProgram(root + "calc-only/soffice", "#!/bin/sh\n");
    writeProgram(root + "lib/soffice", "#!/bin/sh\n");
    writeFileBytes(root + "lib/libswlo.so", "");
    QDir().mkpath(root + "bin");
    QFile::link(root + "good/soffice", root + "bin/soffice");
    for (QString& c : candidates) c.prepend(root);
    QCOMPARE(findOfficeProgramDir(override.isEmpty() ? QString() : root + override, candidates),
             found.isEmpty() ? QString() : root + found);
}

void TestOffice::convertsInAPrivateProfile() {
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    LibreOfficeSuite office(nullptr, settingsIn(tmp.filePath("work")));
    QCOMPARE(office.programDirectory(), program);
    typeSomething(office, tmp.path());

    const QString target = tmp.filePath("笔录.doc");
    QVERIFY2(office.saveAs(target), qPrintable(office.lastError()));
    QCOMPARE(readFileBytes(target), QByteArray("converted doc\n"));
    const QStringList args = QString::fromUtf8(readFileBytes(program + "/args")).split('\n');
    QVERIFY(args.contains("--headless"));
    QVERIFY(args.contains("doc:MS Word 97"));
    QVERIFY(args.contains("-env:UserInstallation=file://" + tmp.filePath("work/profile")));
    const QString tmpdir = args.filter("TMPDIR=").value(0);
    QVERIFY2(tmpdir.startsWith("TMPDIR=" + tmp.filePath("work/")), qPrintable(tmpdir));
    QVERIFY(readFileBytes(tmp.filePath("work/profile/user/registrymodifications.xcu"))
                .contains("<prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>7.4<"));
    QVERIFY(QString::fromUtf8(readFileBytes(program + "/source")).contains("劳动保障监察询问笔录"));

    QVERIFY(office.saveAs(tmp.filePath("笔录.pdf")));
    QCOMPARE(readFileBytes(tmp.filePath("笔录.pdf")), QByteArray("converted pdf\n"));
    // Job folders do not pile up.
    QCOMPARE(QDir(tmp.filePath("work")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{"profile"});
}

void TestOffice::secondProfileWhenTheFirstIsInUse() {
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    QDir().mkpath(tmp.filePath("work"));
    QLockFile other(tmp.filePath("work/profile.lock"));
    QVERIFY(other.tryLock(0));
    LibreOfficeSuite office(nullptr, settingsIn(tmp.filePath("work")));
    typeSomething(office, tmp.path());
    QVERIFY(office.saveAs(tmp.filePath("a.doc")));
    const QString args = QString::fromUtf8(readFileBytes(program + "/args"));
    QVERIFY(args.contains("-env:UserInstallation=file://" + tmp.filePath("work/run-")));
}

void TestOffice::profileLeavesFacesToFontconfig_data() {
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<bool>("keptAsItIs");
    QTest::newRow("new") << QByteArray() << false;
    // An earlier version's profile replaced 宋体 always, even where a real SimSun is installed.
    QTest::newRow("earlier") << QByteArray(
                                    "<oor:items><item oor:path=\"/org.openoffice.Office.Common/"
                                    "Font/Substitution/FontPairs\"/></oor:items>")
                             << false;
    QTest::newRow("current") << QByteArray("<oor:items><kept/></oor:items>") << true;
}

void TestOffice::profileLeavesFacesToFontconfig() {
    QFETCH(QByteArray, existing);
    QFETCH(bool, keptAsItIs);
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    const QString xcu = tmp.filePath("work/profile/user/registrymodifications.xcu");
    if (!existing.isEmpty()) {
        QDir().mkpath(QFileInfo(xcu).absolutePath());
        QVERIFY(writeFileBytes(xcu, existing));
    }
    LibreOfficeSuite office(nullptr, settingsIn(tmp.filePath("work")));
    typeSomething(office, tmp.path());
    QVERIFY2(office.saveAs(tmp.filePath("a.pdf")), qPrintable(office.lastError()));

    const QByteArray text = readFileBytes(xcu);
    if (keptAsItIs) {
        QCOMPARE(text, existing);
        return;
    }
    QVERIFY(text.contains("FirstRun"));
    QVERIFY(!text.contains("Font/Substitution"));
}

void TestOffice::failedConversionKeepsTheOldFile_data() {
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("diskLeft");  // bytes a file of the program may grow to; 0: no limit
    QTest::newRow("exit code") << "echo 'Error: source file could not be loaded'; exit 81"
                               << "退出码 81" << 0;
    QTest::newRow("exit 0 without output") << "exit 0"
                                           << "没有生成 document.doc" << 0;
    QTest::newRow("hangs") << "sleep 30"
                           << "秒内没有完成转换" << 0;
    QTest::newRow("no Writer") << "rm \"$here/swriter\""
                               << "没有找到" << 0;
    // The office has the room it needs; the copy into place does not.
    QTest::newRow("disk full") << "ulimit -f unlimited; head -c 2000000 /dev/zero > "
                                  "\"$outdir/$base.$ext\""
                               << "old.doc：文件超过了系统允许的大小" << 1000000;
}

void TestOffice::failedConversionKeepsTheOldFile() {
    QFETCH(QString, behaviour);
    QFETCH(QString, reason);
    QFETCH(int, diskLeft);
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    LibreOfficeSuite office(nullptr, settingsIn(tmp.filePath("work"), 1500));
    typeSomething(office, tmp.path());
    fakeOffice(program, behaviour);
    if (behaviour.startsWith("rm")) QFile::remove(program + "/swriter");
    const QString target = tmp.filePath("old.doc");
    writeFileBytes(target, "OLD");

    QElapsedTimer timer;
    timer.start();
    {
        std::optional<FileSizeLimit> full;
        if (diskLeft) full.emplace(diskLeft);
        QVERIFY(!office.saveAs(target));
    }
    QVERIFY2(office.lastError().contains(reason), qPrintable(office.lastError()));
    QVERIFY(timer.elapsed() < 5000);  // a hanging office is ended, not waited for
    QCOMPARE(readFileBytes(target), QByteArray("OLD"));
}

void TestOffice::printing_data() {
    QTest::addColumn<QString>("lp");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QString>("detail");
    QTest::newRow("accepted") << "echo 'request id is hbpdf-7 (1 file(s))'" << true << "hbpdf-7";
    QTest::newRow("no default printer") << "echo 'lp: Error - No default destination.' >&2; exit 1"
                                        << false << "lp: Error - No default destination.";
    QTest::newRow("no lp") << "" << false << "无法启动打印程序";
}

void TestOffice::printing() {
    QFETCH(QString, lp);
    QFETCH(bool, printed);
    QFETCH(QString, detail);
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    const QString lpPath = tmp.filePath("lp");
    if (!lp.isEmpty())
        writeProgram(lpPath, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n" + lp + "\n");
    LibreOfficeSuite office(nullptr, settingsIn(tmp.filePath("work"), 20000, lpPath));
    // A text of the library, GBK, laid out on the blank page.
    const QString text = tmp.filePath("law.txt");
    writeFileBytes(text, toGbkLines(QStringLiteral("中华人民共和国劳动法\n第一章\n")));
    QVERIFY(office.open(text));
    QCOMPARE(office.print(), printed);
    if (printed) {
        QCOMPARE(office.lastPrintJob(), detail);
        const QStringList args = QString::fromUtf8(readFileBytes(lpPath + ".args")).split('\n');
        // The job is titled by the file, or by the record's title where one was given.
        QCOMPARE(args.mid(0, 4), (QStringList{"-n", "1", "-t", "law"}));
        QVERIFY(args.value(4).endsWith("/out/document.pdf"));
        office.setTitle(QStringLiteral("2026.9.15-某公司-张三"));
        QVERIFY(office.print());
        QCOMPARE(QString::fromUtf8(readFileBytes(lpPath + ".args")).section('\n', 3, 3),
                 QStringLiteral("2026.9.15-某公司-张三"));
        const QString source = QString::fromUtf8(readFileBytes(program + "/source"));
        QVERIFY(source.contains("中华人民共和国劳动法</text:span></text:p>"));
    } else {
        QVERIFY2(office.lastError().contains(detail), qPrintable(office.lastError()));
    }
}

void TestOffice::showing() {
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    test::FakeShell shell;
    LibreOfficeSuite office(&shell, settingsIn(tmp.filePath("work")));
    typeSomething(office, tmp.path());
    office.setVisible(true);
    QCOMPARE(shell.started.size(), 1);
    const QStringList& run = shell.started[0];
    QCOMPARE(run.mid(0, 2), (QStringList{program + "/soffice", "--writer"}));
    QVERIFY(QString::fromUtf8(readFileBytes(run.value(2))).contains("劳动保障监察询问笔录"));

    // Once saved and unchanged, the saved file is the one shown.
    QVERIFY(office.saveAs(tmp.filePath("r.doc")));
    office.setVisible(true);
    QCOMPARE(shell.started.value(1).value(2), tmp.filePath("r.doc"));
}

void TestOffice::otherDocumentsAreUsedAsTheyAre() {
    QTemporaryDir tmp;
    const QString program = fakeOffice(tmp.filePath("office"), kConverts);
    qputenv("HENGBI_SOFFICE", program.toUtf8());
    test::FakeShell shell;
    LibreOfficeSuite office(&shell, settingsIn(tmp.filePath("work")));
    QVERIFY(!office.open(tmp.filePath("missing.doc")));
    QVERIFY(office.lastError().contains("missing.doc"));

    const QString form = tmp.filePath("ws3.doc");
    writeFileBytes(form, "a form");
    QVERIFY(office.open(form));
    QVERIFY(!office.document());
    office.type("x");
    QVERIFY(office.lastError().contains("ws3.doc"));
    office.setVisible(true);
    QCOMPARE(shell.started.value(0), (QStringList{program + "/soffice", "--writer", form}));
    // Saved as another Word file: copied, no conversion.
    QVERIFY(office.saveAs(tmp.filePath("copy.doc")));
    QCOMPARE(readFileBytes(tmp.filePath("copy.doc")), QByteArray("a form"));
    QVERIFY(office.saveAs(tmp.filePath("copy.pdf")));
    QCOMPARE(readFileBytes(program + "/source"), QByteArray("a form"));
}

QTEST_GUILESS_MAIN(TestOffice)
#include "test_office.moc"
