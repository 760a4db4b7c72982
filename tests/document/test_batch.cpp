// `hengbi compose TEMPLATE.ini --out FILE` as a script runs it, on a stand-in office.
#include <sys/stat.h>

#include <QProcess>
#include <QtTest>

#include "support/fake_soffice.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/ini.h"

using namespace hb;

namespace {

const QString kTemplate = QStringLiteral(
    "[set]\nnum1=2026\nnum2=9\nnum3=15\nnum6=10\nnum7=40\nnum10=张三\nnum16=某公司\n"
    "num23=问：姓名？\nnum24=答：张三。\n");

// A program directory and the compose command run on it, as a script would.
struct Compose {
    QTemporaryDir tmp;
    QString home = tmp.filePath("home");
    QString kept = home + "/BL/2026.9.15-某公司-张三.ini";
    QString err;

    Compose() {
        QDir().mkpath(home);
        writeFileBytes(home + "/Set.ini", toGbkLines("[fenye]\nhang1=甲\nhang2=乙\n"));
    }
    int run(const QString& office, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HENGBI_HOME", home);
        env.insert("HENGBI_SYSTEM_DIR", tmp.filePath("system"));
        env.insert("HENGBI_REGISTRY_DIR", tmp.filePath("registry"));
        env.insert("XDG_CACHE_HOME", tmp.filePath("cache"));
        env.insert("HENGBI_SOFFICE", office.isNull()
                                         ? tmp.filePath("none")
                                         : test::fakeOffice(tmp.filePath("lo"), office));
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");  // no window, not even an offscreen one
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(tmp.path());
        p.start(HB_HENGBI, QStringList{"compose"} + args);
        if (!p.waitForFinished(60000)) return -1;
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }
};

}  // namespace

class TestBatch : public QObject {
    Q_OBJECT
  private slots:
    void compose_data();
    void compose();
    void sameNameInBl_data();
    void sameNameInBl();
};

void TestBatch::compose_data() {
    QTest::addColumn<QString>("templateText");  // null: no template file
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("office");  // soffice behaviour; null: no office
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("reason");
    const QString ok = test::kConverts;
    QTest::newRow("composed") << kTemplate << "r.doc" << ok << 0 << "";
    QTest::newRow("PDF, any case") << kTemplate << "r.PDF" << ok << 0 << "";
    QTest::newRow("other output") << kTemplate << "r.odt" << ok << 2 << "必须以 .doc 或 .pdf 结尾";
    QTest::newRow("no template") << QString() << "r.doc" << ok << 1 << "无法读取笔录模板";
    // Special files are refused at once instead of holding or exhausting the command.
    QTest::newRow("FIFO") << "<fifo>"
                          << "r.doc" << ok << 1 << "这不是普通文件";
    QTest::newRow("link to /dev/zero") << "<zero>"
                                       << "r.doc" << ok << 1 << "这不是普通文件";
    QTest::newRow("over 1 MB") << kTemplate + QString(1 << 20, 'x') << "r.doc" << ok << 1
                               << "文件太大（1.0 MB），超过了 1.0 MB 的上限";
    // The saved template replaces a link in BL and leaves the file it points to alone.
    QTest::newRow("BL template is a link") << kTemplate << "r.doc" << ok << 0 << "";
    QTest::newRow("not a template") << "[fenye]\nhang1=x\n"
                                    << "r.doc" << ok << 1 << "不是笔录模板";
    QTest::newRow("no office") << kTemplate << "r.doc" << QString() << 1
                               << "电 脑 没 有 安 装 WORD 办 公 软 件.";
    QTest::newRow("no work unit") << QString(kTemplate).replace("num16=", "x=") << "r.doc" << ok
                                  << 1 << "笔录没有录入完成，工作单位等资料都没有添写.";
    QTest::newRow("no end minute") << QString(kTemplate).replace("num7=", "x=") << "r.doc" << ok
                                   << 1 << "笔录结束时间没有添写！";
    QTest::newRow("unsafe name") << QString(kTemplate).replace("num16=", "num16=../") << "r.doc"
                                 << ok << 1 << "“工作单位”含有字符“/”";
    QTest::newRow("conversion fails") << kTemplate << "r.doc"
                                      << "exit 3" << 1 << "退出码 3";
}

void TestBatch::compose() {
    QFETCH(QString, templateText);
    QFETCH(QString, out);
    QFETCH(QString, office);
    QFETCH(int, exitCode);
    QFETCH(QString, reason);
    Compose c;
    const QString templateFile = c.tmp.filePath("t.ini");
    const QString outside = c.tmp.filePath("outside.ini");
    if (templateText == "<fifo>")
        QCOMPARE(mkfifo(QFile::encodeName(templateFile).constData(), 0600), 0);
    else if (templateText == "<zero>")
        QVERIFY(QFile::link("/dev/zero", templateFile));
    else if (!templateText.isNull())
        writeFileBytes(templateFile, toGbkLines(templateText));
    // Same record, so the same-name check lets it through to the link.
    if (QTest::currentDataTag() == QByteArray("BL template is a link")) {
        writeFileBytes(outside, toGbkLines(kTemplate));
        QVERIFY(QDir().mkpath(c.home + "/BL") && QFile::link(outside, c.kept));
    }
    QCOMPARE(c.run(office, {templateFile, "--out", out}), exitCode);
    const QString& err = c.err;
    if (QFile::exists(outside)) QCOMPARE(readFileBytes(outside), toGbkLines(kTemplate));
    if (exitCode == 0) {
        QVERIFY2(err.isEmpty(), qPrintable(err));
        const QString ext = QFileInfo(out).suffix().toLower();
        QCOMPARE(readFileBytes(c.tmp.filePath(out)), "converted " + ext.toLatin1() + "\n");
        QVERIFY(!QFileInfo(c.kept).isSymLink());
        QCOMPARE(readIniValue(c.kept, "set", "num24"), QStringLiteral("答：张三。"));
    } else {
        QVERIFY2(err.startsWith("hengbi compose: ") && err.count('\n') == 1, qPrintable(err));
        QVERIFY2(err.contains(reason), qPrintable(err));
        QVERIFY(!QFile::exists(c.tmp.filePath(out)));
    }
}

void TestBatch::sameNameInBl_data() {
    QTest::addColumn<QString>("kept");  // BL's template of the record's name before the run
    QTest::addColumn<bool>("force");
    QTest::addColumn<int>("exitCode");
    const QString other = QString(kTemplate).replace("答：张三。", "答：李四。");
    QTest::newRow("another record: left alone") << other << false << 1;
    QTest::newRow("another record, --force: replaced") << other << true << 0;
    QTest::newRow("the same record") << kTemplate << false << 0;
}

void TestBatch::sameNameInBl() {
    QFETCH(QString, kept);
    QFETCH(bool, force);
    QFETCH(int, exitCode);
    Compose c;
    QDir().mkpath(c.home + "/BL");
    writeFileBytes(c.kept, toGbkLines(kept));
    const QString templateFile = c.tmp.filePath("t.ini");
    writeFileBytes(templateFile, toGbkLines(kTemplate));
    QStringList args{templateFile, "--out", "r.doc"};
    if (force) args << "--force";
    QCOMPARE(c.run(test::kConverts, args), exitCode);
    if (exitCode == 0) {
        QCOMPARE(readIniValue(c.kept, "set", "num24"), QStringLiteral("答：张三。"));
        return;
    }
    QVERIFY2(c.err.contains(c.kept) && c.err.contains("--force"), qPrintable(c.err));
    QCOMPARE(readFileBytes(c.kept), toGbkLines(kept));
    QVERIFY(!QFile::exists(c.tmp.filePath("r.doc")));
}

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
