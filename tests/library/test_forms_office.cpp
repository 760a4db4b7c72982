#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "library/library.h"
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
    HB_REQUIRE(!soffice_.isEmpty(),
               "LibreOffice (soffice) is not installed; install libreoffice-writer and "
               "libreoffice-calc to run this test");
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
    QTest::addColumn<QString>("title");
    for (const InspectionForm& f : inspectionForms())
        QTest::newRow(f.fileName) << QString::fromUtf8(f.fileName) << titleOf(f);
}

void TestFormsOffice::libreOfficeReadsEveryForm() {
    QFETCH(QString, fileName);
    QFETCH(QString, title);
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
