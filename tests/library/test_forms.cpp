#include <QDir>
#include <QSet>
#include <QTest>

#include "library/library.h"
#include "platform/files.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

const QString kQuestion = QStringLiteral("是否直接打印此监察文书？");

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

const InspectionForm& formNamed(const char* fileName) {
    for (const InspectionForm& f : inspectionForms())
        if (qstrcmp(f.fileName, fileName) == 0) return f;
    qFatal("no form %s", fileName);
}

// Converts as the office does, keeping the bytes: the form written is the filled source.
struct CopyingOffice : FakeOffice {
    QString opened;
    bool open(const QString& path) override {
        opened = path;
        return FakeOffice::open(path);
    }
    bool saveAs(const QString& path) override {
        return FakeOffice::saveAs(path) && QFile::copy(opened, path);
    }
};

}  // namespace

class TestForms : public QObject {
    Q_OBJECT
  private slots:
    void everyFormIsWrittenAndOpened_data();
    void everyFormIsWrittenAndOpened();
    void printQuestion_data();
    void printQuestion();
    void noOfficeSuite_data();
    void noOfficeSuite();
    void changedFormIsKeptAsDatedCopy_data();
    void changedFormIsKeptAsDatedCopy();
    void failedWriteOpensNothing();
    void failedOpenAsksNothing();
    void authorityFilledIn_data();
    void authorityFilledIn();
    void failedFillOpensNothing();
};

void TestForms::everyFormIsWrittenAndOpened_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("spreadsheet");
    QCOMPARE(inspectionForms().size(), size_t(29));
    QSet<QString> names;
    for (const InspectionForm& f : inspectionForms()) {
        names.insert(QString::fromUtf8(f.fileName));
        QTest::newRow(f.fileName) << QString::fromUtf8(f.caption) << QString::fromUtf8(f.fileName)
                                  << (f.program == InspectionForm::Program::Spreadsheet);
    }
    QCOMPARE(names.size(), 29);
}

void TestForms::everyFormIsWrittenAndOpened() {
    QFETCH(QString, caption);
    QFETCH(QString, fileName);
    QFETCH(bool, spreadsheet);
    QCOMPARE(fileName.endsWith(QStringLiteral(".xls")), spreadsheet);

    TestApp app;
    app.dialogs.answers << Answer::Cancel;
    app.trigger(caption);

    const QString path = app.dir(QStringLiteral("system/") + fileName);
    const QByteArray bytes = readFileBytes(path);
    QVERIFY(bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")));
    QCOMPARE(bytes.size() % 512, 0);
    QCOMPARE(bytes, inspectionFormBytes(formNamed(fileName.toUtf8().constData())));
    QCOMPARE(filesIn(app.dir(QStringLiteral("system"))), QStringList{fileName});
    if (spreadsheet) {
        QCOMPARE(app.office.calls, (QStringList{"check", "sheet create", "sheet attach",
                                                "sheet open " + path, "sheet show"}));
        QVERIFY(app.dialogs.shown.isEmpty());
    } else {
        QCOMPARE(app.office.calls,
                 (QStringList{"check", "create", "attach", "open " + path, "visible 1"}));
        QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
        QCOMPARE(app.dialogs.shown[0].text, kQuestion);
        QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("提 示："));
        QCOMPARE(app.dialogs.shown[0].buttons, Buttons::OkCancel);
    }
}

void TestForms::printQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("printSucceeds");
    QTest::addColumn<QStringList>("tail");
    QTest::addColumn<QString>("status");
    const QStringList printed{"visible 0",          "print", "close", "quit", "release documents",
                              "release application"};
    QTest::newRow("OK prints") << int(Answer::Ok) << true << printed
                               << QStringLiteral("打印监察文书成功...");
    QTest::newRow("OK, print fails") << int(Answer::Ok) << false << printed << QString();
    QTest::newRow("Cancel shows") << int(Answer::Cancel) << true << QStringList{"visible 1"}
                                  << QString();
}

void TestForms::printQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, printSucceeds);
    QFETCH(QStringList, tail);
    QFETCH(QString, status);
    TestApp app;
    app.office.printSucceeds = printSucceeds;
    app.dialogs.answers << Answer(answer);
    app.trigger(QStringLiteral("询问通知书"));

    const QString path = app.dir(QStringLiteral("system/ws3.doc"));
    QCOMPARE(app.office.calls, QStringList({"check", "create", "attach", "open " + path}) + tail);
    QCOMPARE(app.window->statusText(), status);
    QCOMPARE(app.dialogs.shown[0].text, kQuestion);
    if (printSucceeds) {
        QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
    } else {
        QCOMPARE(app.dialogs.shown.size(), qsizetype(2));
        QCOMPARE(app.dialogs.shown[1].caption, QStringLiteral("无 法 打 印："));
        QVERIFY(app.dialogs.lastText().contains(path));
        QVERIFY(app.dialogs.lastText().contains(app.office.error));
    }
}

void TestForms::noOfficeSuite_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::newRow("word processor") << "监察文书大全"
                                    << "电 脑 没 有 安 装 WORD 办 公 软 件.";
    QTest::newRow("last word processor") << "案件移送函"
                                         << "电 脑 没 有 安 装 WORD 办 公 软 件.";
    QTest::newRow("basic data") << "用人单位基本情况采集"
                                << "电 脑 没 有 安 装 OFFICE 办 公 软 件.";
    QTest::newRow("roster") << "用人单位花名册信息采集"
                            << "电 脑 没 有 安 装 OFFICE 办 公 软 件.";
}

void TestForms::noOfficeSuite() {
    QFETCH(QString, caption);
    QFETCH(QString, message);
    TestApp app;
    app.office.installedAt.clear();
    app.window->record().setHidden(Hidden::officePath, QStringLiteral("stale"));
    app.trigger(caption);
    QCOMPARE(app.office.calls, QStringList{"check"});
    QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
    QCOMPARE(app.dialogs.shown[0].text, message);
    QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("无 法 打 开 文 档："));
    QVERIFY(filesIn(app.dir(QStringLiteral("system"))).isEmpty());
    QVERIFY(app.window->record().hidden(Hidden::officePath).isEmpty());
}

void TestForms::changedFormIsKeptAsDatedCopy_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("copyName");
    QTest::newRow("document") << "询问通知书"
                              << "ws3.doc"
                              << "ws3-20261209-101500.doc";
    QTest::newRow("workbook") << "用人单位基本情况采集"
                              << "liangw2.xls"
                              << "liangw2-20261209-101500.xls";
}

void TestForms::changedFormIsKeptAsDatedCopy() {
    QFETCH(QString, caption);
    QFETCH(QString, fileName);
    QFETCH(QString, copyName);
    TestApp app;
    app.clock.time = QDateTime(QDate(2026, 12, 9), QTime(10, 15, 0));
    const QString system = app.dir(QStringLiteral("system"));
    const QString path = system + QLatin1Char('/') + fileName;
    const QByteArray blank = inspectionFormBytes(formNamed(fileName.toUtf8().constData()));

    // Chosen, then chosen again unchanged: no copy.
    app.trigger(caption);
    app.trigger(caption);
    QCOMPARE(filesIn(system), QStringList{fileName});

    QVERIFY(writeFileBytes(path, "filled in by the officer"));
    app.trigger(caption);
    QCOMPARE(filesIn(system), QStringList({copyName, fileName}));
    QCOMPARE(readFileBytes(system + QLatin1Char('/') + copyName),
             QByteArray("filled in by the officer"));
    QCOMPARE(readFileBytes(path), blank);
    const QString note = app.window->record().hidden(Hidden::statusMessage);
    QVERIFY2(note.contains(system + QLatin1Char('/') + copyName), qPrintable(note));

    // A second change within the same second never overwrites the first copy.
    QVERIFY(writeFileBytes(path, "filled in again"));
    app.trigger(caption);
    QCOMPARE(filesIn(system).size(), 3);
    QCOMPARE(readFileBytes(system + QLatin1Char('/') + copyName),
             QByteArray("filled in by the officer"));
    QCOMPARE(readFileBytes(path), blank);
}

void TestForms::failedWriteOpensNothing() {
    TestApp app;
    QVERIFY(writeFileBytes(app.dir(QStringLiteral("plain")), "x"));
    app.ctx.paths.systemDir = app.dir(QStringLiteral("plain/system"));
    for (const char* caption : {"结案审批表", "用人单位花名册信息采集"}) {
        app.office.calls.clear();
        app.dialogs.shown.clear();
        app.trigger(QString::fromUtf8(caption));
        QCOMPARE(app.office.calls, QStringList{"check"});
        QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
        QVERIFY(app.dialogs.lastText().contains(app.dir(QStringLiteral("plain/system/"))));
    }
}

void TestForms::failedOpenAsksNothing() {
    TestApp app;
    app.office.openSucceeds = false;
    app.trigger(QStringLiteral("送达回执"));
    QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
    QVERIFY(app.dialogs.lastText() != kQuestion);
    QVERIFY(app.dialogs.lastText().contains(app.office.error));
    QVERIFY(!app.office.calls.contains(QStringLiteral("print")));
    QVERIFY(!app.office.calls.contains(QStringLiteral("visible 1")));
}

void TestForms::authorityFilledIn_data() {
    QTest::addColumn<QString>("jiguan");
    QTest::addColumn<QString>("wenhao");
    QTest::newRow("none: the blank as shipped") << ""
                                                << "";
    QTest::newRow("both") << "某市人力资源和社会保障局"
                          << "某人社监";
    QTest::newRow("name only, marks escaped") << "甲&<乙>局"
                                              << "";
}

// Filled in when the form is written out, converted once for each authority; the two
// workbooks carry no authority.
void TestForms::authorityFilledIn() {
    QFETCH(QString, jiguan);
    QFETCH(QString, wenhao);
    TestApp app;
    app.writeSettings("[pop]\ntanchu=0\n[wenshu]\njiguan=" + jiguan + "\nwenhao=" + wenhao + "\n");
    CopyingOffice office;
    app.ctx.office = &office;
    const QString system = app.dir("system");
    for (int i = 0; i < 2; ++i) {
        app.dialogs.answers << Answer::Cancel << Answer::Cancel;
        app.trigger("行政处罚决定书");
        app.trigger("用人单位基本情况采集");
    }
    QCOMPARE(filesIn(system), (QStringList{"liangw2.xls", "ws15.doc"}));
    QCOMPARE(readFileBytes(system + "/liangw2.xls"), inspectionFormBytes(formNamed("liangw2.xls")));
    const QByteArray written = readFileBytes(system + "/ws15.doc");
    if (jiguan.isEmpty() && wenhao.isEmpty()) {
        QCOMPARE(written, inspectionFormBytes(formNamed("ws15.doc")));
        QVERIFY(office.callsStartingWith("save").isEmpty());
        return;
    }
    QCOMPARE(office.callsStartingWith("save").size(), 1);
    const QString text = QString::fromUtf8(written);
    QCOMPARE(text.count(jiguan.toHtmlEscaped()), 2);  // heading and seal
    QCOMPARE(text.contains("style-name=\"Jiguan\""), false);
    QCOMPARE(text.contains("style-name=\"Wenhao\""), wenhao.isEmpty());
    if (!wenhao.isEmpty()) QVERIFY(text.contains(wenhao + "罚〔"));
}

void TestForms::failedFillOpensNothing() {
    TestApp app("[pop]\ntanchu=0\n[wenshu]\njiguan=某局\n");
    app.office.saveSucceeds = false;
    app.trigger("立案审批表");
    QVERIFY(filesIn(app.dir("system")).isEmpty());
    QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
    QVERIFY(app.dialogs.lastText().contains(app.office.error));
    QVERIFY(!app.office.calls.contains("visible 1"));
}

QTEST_MAIN(TestForms)
#include "test_forms.moc"
