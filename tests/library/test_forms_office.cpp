#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "library/library.h"
#include "office/libreoffice.h"
#include "platform/files.h"
#include "support/require.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

// Each blank form carries its caption as title; one caption repeats a word.
QString titleOf(const InspectionForm& form) {
    return QString::fromUtf8(form.caption)
        .replace(QStringLiteral("延期延期"), QStringLiteral("延期"));
}

QString findSoffice() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QStringLiteral("soffice"),
                                               {QStringLiteral("/usr/lib/libreoffice/program")});
    return found;
}

// Text without blanks of any width: line breaks and blank lines do not count.
QString compact(QString text) {
    static const QRegularExpression blanks(QStringLiteral("[\\s\\x{3000}]+"));
    return text.remove(blanks);
}

}  // namespace

class TestFormsOffice : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void titleHeadsTheFirstPage_data();
    void titleHeadsTheFirstPage();
    void contentsGiveThePages();
    void authorityFilledInByTheOffice();

  private:
    // Files converted by LibreOffice on a private profile, so that an office window the user
    // has open is never involved.
    bool convert(const QStringList& files, const QString& filter, QString* log);
    // One page of a converted document as text.
    QString pageText(const QString& pdf, int page);

    QTemporaryDir work_;
    std::unique_ptr<TestApp> app_;
    QString soffice_;
};

void TestFormsOffice::initTestCase() {
    soffice_ = findSoffice();
    HB_REQUIRE(!soffice_.isEmpty(),
               "LibreOffice (soffice) is not installed; install libreoffice-writer and "
               "libreoffice-calc to run this test");
    HB_REQUIRE(!programOnPath("pdftotext").isEmpty(), "pdftotext (poppler-utils) is not installed");
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
    QVERIFY2(convert(documents, QStringLiteral("pdf"), &log), qPrintable(log));
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

QString TestFormsOffice::pageText(const QString& pdf, int page) {
    QProcess p;
    p.start(programOnPath("pdftotext"),
            {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

void TestFormsOffice::titleHeadsTheFirstPage_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("title");
    for (const InspectionForm& f : inspectionForms())
        QTest::newRow(f.fileName) << QString::fromUtf8(f.fileName) << titleOf(f);
}

// A swapped form would show: each begins with its own title, below the authority's blank.
void TestFormsOffice::titleHeadsTheFirstPage() {
    QFETCH(QString, fileName);
    QFETCH(QString, title);
    const QFileInfo info(fileName);
    if (info.suffix() == QLatin1String("xls")) {
        const QString csv = work_.filePath("out/" + info.completeBaseName() + ".csv");
        QVERIFY2(QString::fromUtf8(readFileBytes(csv)).contains(title), qPrintable(csv));
        return;
    }
    const QString first = pageText(work_.filePath("out/" + info.completeBaseName() + ".pdf"), 1);
    QVERIFY2(compact(first).startsWith(title), qPrintable(first.left(200)));
    QVERIFY2(!first.contains(QStringLiteral("澄屿")), "a made-up authority");
}

// The compendium's contents give each form's page, and that page begins with its title.
void TestFormsOffice::contentsGiveThePages() {
    const QString pdf = work_.filePath("out/ws27.pdf");
    static const QRegularExpression entry(QStringLiteral("^[０-９]+．(\\S+?)[.．…]*\\s*([0-9]+)$"),
                                          QRegularExpression::MultilineOption);
    QStringList titles;
    for (const InspectionForm& f : inspectionForms().subspan(1, 26)) titles << titleOf(f);
    int found = 0;
    for (const QRegularExpressionMatch& m : entry.globalMatch(pageText(pdf, 1))) {
        const QString title = titles.value(found++);
        QCOMPARE(compact(m.captured(1)), title);
        const QString page = pageText(pdf, m.captured(2).toInt());
        QVERIFY2(compact(page).startsWith(title), qPrintable(m.captured(0) + ": " + page.left(80)));
    }
    QCOMPARE(found, 26);
}

void TestFormsOffice::authorityFilledInByTheOffice() {
    TestApp app("[pop]\ntanchu=0\n[wenshu]\njiguan=某市人力资源和社会保障局\nwenhao=某人社监\n");
    LibreOfficeSuite::Settings settings;
    settings.workDir = work_.filePath(QStringLiteral("office"));
    LibreOfficeSuite office(&app.shell, settings);
    app.ctx.office = &office;
    app.dialogs.answers << Answer::Cancel;
    app.trigger(QStringLiteral("行政处罚决定书"));
    QCOMPARE(app.dialogs.shown.size(), qsizetype(1));  // the print question alone
    const QString doc = app.dir(QStringLiteral("system/ws15.doc"));
    QCOMPARE(readFileBytes(doc).left(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));

    QDir().mkpath(work_.filePath("filled"));
    QFile::copy(doc, work_.filePath("filled/ws15-filled.doc"));
    QString log;
    QVERIFY2(convert({work_.filePath("filled/ws15-filled.doc")}, "pdf", &log), qPrintable(log));
    const QString text = compact(pageText(work_.filePath("out/ws15-filled.pdf"), 1));
    QVERIFY2(text.startsWith(QStringLiteral("某市人力资源和社会保障局行政处罚决定书某人社监罚〔")),
             qPrintable(text.left(80)));
    QVERIFY(text.contains(QStringLiteral("某市人力资源和社会保障局（印章）")));
}

QTEST_MAIN(TestFormsOffice)
#include "test_forms_office.moc"
