#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "library/library.h"
#include "platform/files.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

// The title each blank form carries; the caption of one menu item repeats a word.
const QHash<QString, QString> kTitles = {
    {"ws27.doc", "监察文书大全"},
    {"ws1.doc", "实施劳动保障监察委托书"},
    {"ws2.doc", "调查检查记录"},
    {"ws3.doc", "询问通知书"},
    {"ws4.doc", "举报登记表"},
    {"ws5.doc", "投诉登记表"},
    {"ws6.doc", "不予受理投诉决定书"},
    {"ws7.doc", "立案审批表"},
    {"ws8.doc", "案件处理报批表"},
    {"ws9.doc", "改正决定书"},
    {"ws10.doc", "劳动保障行政部门负责人对复杂重大行政处罚集体讨论记录"},
    {"ws11.doc", "行政处罚事先告知书"},
    {"ws12.doc", "陈述申辩笔录"},
    {"ws13.doc", "行政处罚听证告知书"},
    {"ws14.doc", "行政处理决定书"},
    {"ws15.doc", "行政处罚决定书"},
    {"ws16.doc", "送达回执"},
    {"ws17.doc", "涉嫌犯罪案件移送书"},
    {"ws25.doc", "涉嫌犯罪案件移送审批表"},
    {"ws20.doc", "劳动监察案件结案报告"},
    {"ws19.doc", "案件延期处理审批表"},
    {"ws18.doc", "结案审批表"},
    {"ws21.doc", "案件处罚报批表"},
    {"ws22.doc", "强制执行申请书"},
    {"ws23.doc", "行政处罚集体讨论"},
    {"ws24.doc", "行政处理事先告知书"},
    {"ws26.doc", "案件移送函"},
    {"liangw2.xls", "用人单位基本情况采集"},
    {"liangw1.xls", "用人单位花名册信息采集"},
};

QString findSoffice() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QStringLiteral("soffice"),
                                               {QStringLiteral("/usr/lib/libreoffice/program")});
    return found;
}

}  // namespace

class TestFormsOffice : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void libreOfficeReadsEveryForm_data();
    void libreOfficeReadsEveryForm();

  private:
    // Every form converted to UTF-8 text (documents) or CSV (workbooks), by LibreOffice on a
    // private profile so that an office window the user has open is never involved.
    bool convert(const QStringList& files, const QString& filter, QString* log);

    QTemporaryDir work_;
    std::unique_ptr<TestApp> app_;
    QString soffice_;
};

void TestFormsOffice::initTestCase() {
    soffice_ = findSoffice();
    if (soffice_.isEmpty()) {
        if (qEnvironmentVariableIsSet("CI")) QFAIL("LibreOffice (soffice) is not installed");
        QSKIP(
            "LibreOffice (soffice) is not installed; install libreoffice-writer and "
            "libreoffice-calc to run this test");
    }
    QVERIFY(work_.isValid());
    QDir().mkpath(work_.filePath(QStringLiteral("tmp")));

    // The forms as the menu items write them.
    app_ = std::make_unique<TestApp>();
    QStringList documents, workbooks;
    for (const InspectionForm& f : inspectionForms()) {
        app_->dialogs.answers << Answer::Cancel;
        app_->trigger(QString::fromUtf8(f.caption));
        const QString path = app_->dir(QStringLiteral("system/") + f.fileName);
        QVERIFY(QFileInfo::exists(path));
        (f.program == InspectionForm::Program::Spreadsheet ? workbooks : documents) << path;
    }
    QString log;
    QVERIFY2(convert(documents, QStringLiteral("txt:Text (encoded):UTF8"), &log), qPrintable(log));
    QVERIFY2(convert(workbooks, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), &log),
             qPrintable(log));
}

bool TestFormsOffice::convert(const QStringList& files, const QString& filter, QString* log) {
    QProcess soffice;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), work_.filePath(QStringLiteral("tmp")));
    soffice.setProcessEnvironment(env);
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start(
        soffice_,
        QStringList{"--headless", "--norestore", "--nolockcheck",
                    "-env:UserInstallation=file://" + work_.filePath(QStringLiteral("profile")),
                    "--convert-to", filter, "--outdir", work_.filePath(QStringLiteral("out"))} +
            files);
    const bool finished = soffice.waitForFinished(300000);
    *log = QString::fromLocal8Bit(soffice.readAll());
    if (!finished) soffice.kill();
    return finished && soffice.exitStatus() == QProcess::NormalExit && soffice.exitCode() == 0;
}

void TestFormsOffice::libreOfficeReadsEveryForm_data() {
    QTest::addColumn<QString>("fileName");
    for (const InspectionForm& f : inspectionForms())
        QTest::newRow(f.fileName) << QString::fromUtf8(f.fileName);
}

void TestFormsOffice::libreOfficeReadsEveryForm() {
    QFETCH(QString, fileName);
    const QString title = kTitles.value(fileName);
    QVERIFY(!title.isEmpty());
    const QFileInfo info(fileName);
    const QString converted = work_.filePath(
        QStringLiteral("out/") + info.completeBaseName() +
        (info.suffix() == QLatin1String("xls") ? QStringLiteral(".csv") : QStringLiteral(".txt")));
    const QString text = QString::fromUtf8(readFileBytes(converted));
    QVERIFY2(!text.isEmpty(), qPrintable(converted));
    QVERIFY2(text.contains(title), qPrintable(text.left(300)));
}

QTEST_MAIN(TestFormsOffice)
#include "test_forms_office.moc"
