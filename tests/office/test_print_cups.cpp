// "打印(笔录)" through the real LibreOffice to a CUPS-PDF queue set up as the default printer.
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QtTest>

#include "office/libreoffice.h"
#include "support/require.h"
#include "office/soffice.h"
#include "platform/files.h"
#include "support/test_app.h"

using namespace hb;

namespace {

QString output(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

bool jobCompleted(const QString& job) {
    const QString done = output("lpstat", {"-W", "completed", "-o", job.section('-', 0, -2)});
    for (const QString& line : done.split('\n'))
        if (line.section(' ', 0, 0) == job) return true;
    return false;
}

// The PDF that cups-pdf made of the job, once the job has completed. It names files by job
// title, or by title and job number, depending on its settings: a file new since the print
// that carries the marker (ASCII survives its naming) or the job number, else the newest.
QString waitForPdf(const QString& dir, const QString& job, const QString& marker,
                   const QDateTime& since) {
    const QString jobSuffix = "job_" + job.section('-', -1) + ".pdf";
    for (int i = 0; i < 600; ++i, QTest::qWait(100)) {
        if (!jobCompleted(job)) continue;
        QFileInfo newest;
        for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files, QDir::Time)) {
            if (f.lastModified() < since || f.size() <= 0) continue;
            if (f.fileName().contains(marker) || f.fileName().endsWith(jobSuffix))
                return f.filePath();
            if (newest.fileName().isEmpty()) newest = f;
        }
        if (!newest.fileName().isEmpty()) return newest.filePath();
    }
    return {};
}

QString queueScript() {
    return qEnvironmentVariable("HB_SOURCE_DIR") + "/tests/office/cups_pdf_queue.sh";
}

// A record ready to print; its person's name carries the marker.
void fillRecord(InquiryRecord& r, const QString& marker) {
    const char* header[] = {"2026", "9", "15", "9", "05", "10", "40"};
    for (int i = 0; i < 7; ++i) r.setText(Field(i), QString::fromUtf8(header[i]));
    r.setText(Field::personName, QStringLiteral("张三") + marker);
    r.setText(Field::workUnit, QStringLiteral("某公司"));
    r.setText(question(1), QStringLiteral("问：你的姓名？"));
    r.setText(answer(1), QStringLiteral("答：张三。"));
}

}  // namespace

class TestPrintCups : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void recordReachesTheQueue();
    void pausedPrinterKeepsTheJob();

  private:
    QString outDir_;
};

void TestPrintCups::initTestCase() {
    HB_REQUIRE(!findOfficeProgramDir().isEmpty(), "LibreOffice Writer is not installed");
    HB_REQUIRE(!test::programOnPath("lp").isEmpty() && !test::programOnPath("cupsd").isEmpty(),
               "CUPS (cups, cups-client) is not installed");
    HB_REQUIRE(geteuid() == 0, "setting up a CUPS-PDF printer needs root");
    int code = 0;
    const QString result = output("/bin/sh", {queueScript(), "hbpdf"}, &code);
    HB_REQUIRE(code == 0, "no CUPS-PDF printer: " + result);
    outDir_ = result.section('\n', -1);
}

void TestPrintCups::recordReachesTheQueue() {
    test::TestApp app("[pop]\ntanchu=0\n[fenye]\nhang1=被询问人签名：\nhang2=监察员签名：\n");
    QTemporaryDir work;
    LibreOfficeSuite::Settings settings;
    settings.workDir = work.path();
    LibreOfficeSuite office(&app.shell, settings);
    app.ctx.office = &office;
    InquiryRecord& r = app.window->record();
    // Other jobs may reach the same queue meanwhile: this one's file carries the marker.
    const QString marker = QStringLiteral("hb%1x").arg(getpid());
    fillRecord(r, marker);

    // A title the queue has seen before overwrites that file: new is by time, not by name.
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
    app.trigger(QStringLiteral("打印(笔录)"));  // Yes: the record in the window
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(r.hidden(Hidden::statusMessage), QStringLiteral("打 印 成 功！"));
    const QString job = office.lastPrintJob();
    QVERIFY(job.startsWith("hbpdf-"));
    const QString pdf = waitForPdf(outDir_, job, marker, since);
    QVERIFY2(!pdf.isEmpty(), qPrintable("no PDF of " + job + " in " + outDir_ + ": " +
                                        output("lpstat", {"-W", "all", "-o"})));
    // cups-pdf draws the text anew and keeps no characters; the face it embeds is the Song
    // face that stands in for 宋体 (AR PL SungtiL GB, named BousungEG inside).
    QVERIFY(readFileBytes(pdf).startsWith("%PDF-"));
    const QString pdffonts = test::programOnPath("pdffonts");
    if (!pdffonts.isEmpty()) QVERIFY(output(pdffonts, {pdf}).contains("BousungEG"));
    QFile::remove(pdf);
}

// A paused printer accepts the job and holds it: the officer hears that, not "打 印 成 功！".
// A queue of this test's own, so that others printing meanwhile are not held up.
void TestPrintCups::pausedPrinterKeepsTheJob() {
    const QString queue = QStringLiteral("hbpaused%1").arg(getpid());
    int code = 0;
    const QString made = output("/bin/sh", {queueScript(), queue, "nodefault"}, &code);
    QVERIFY2(code == 0, qPrintable(made));
    const auto removeQueue = qScopeGuard([&] {
        output("/bin/sh", {"-c", "cancel -a " + queue + "; /usr/sbin/lpadmin -x " + queue});
    });
    output("/usr/sbin/cupsdisable", {queue});
    test::TestApp app("[pop]\ntanchu=0\n[fenye]\nhang1=被询问人签名：\nhang2=监察员签名：\n");
    QTemporaryDir work;
    LibreOfficeSuite::Settings settings;
    settings.workDir = work.path();
    settings.printer = queue;
    LibreOfficeSuite office(&app.shell, settings);
    app.ctx.office = &office;
    fillRecord(app.window->record(), {});
    app.trigger(QStringLiteral("打印(笔录)"));
    QVERIFY(app.window->record().hidden(Hidden::statusMessage).isEmpty());
    QVERIFY2(app.dialogs.lastText().contains("“" + queue + "”") &&
                 app.dialogs.lastText().contains("暂停"),
             qPrintable(app.dialogs.lastText()));
}

QTEST_MAIN(TestPrintCups)
#include "test_print_cups.moc"
