// The kept-running office with the real LibreOffice: it saves what a one-shot run saves, a
// killed or hung office costs a document nothing and comes back, and no office outlives its
// program.
#include <signal.h>

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "document/composer.h"
#include "document/desk.h"
#include "office/kept_office.h"
#include "office/libreoffice.h"
#include "document/office_check.h"
#include "office/soffice.h"
#include "resources/resources.h"

using namespace hb;

namespace {

// Running processes whose command line names this folder (the profile of their office).
QList<qint64> processesUsing(const QString& folder) {
    QList<qint64> found;
    QDirIterator it(QStringLiteral("/proc"), {QStringLiteral("[0-9]*")}, QDir::Dirs);
    while (it.hasNext()) {
        it.next();
        QFile cmdline(it.filePath() + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(folder.toUtf8()))
            found << it.fileName().toLongLong();
    }
    return found;
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QDeadlineTimer limit(ms);
    while (!condition()) {
        if (limit.hasExpired()) return false;
        QTest::qWait(100);
    }
    return true;
}

}  // namespace

class TestKeptOffice : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void savesWhatTheOneShotRunSaves();
    void fallsBackAndComesBack_data();
    void fallsBackAndComesBack();
    void endsWithItsOwner_data();
    void endsWithItsOwner();
    void endsWithTheProgram_data();
    void endsWithTheProgram();

  private:
    LibreOfficeSuite::Settings settings(const QString& name) {
        LibreOfficeSuite::Settings s;
        s.workDir = work_.filePath(name);
        s.keptTimeoutMs = 3000;
        return s;
    }
    // Starts the kept office and waits for it.
    static KeptOffice* warm(LibreOfficeSuite& office) {
        office.keepOfficeRunning();
        KeptOffice* kept = office.keptOffice();
        return kept && kept->waitUntilReady(180000) ? kept : nullptr;
    }
    // Composes a record of all 24 lines and saves it.
    static bool save(LibreOfficeSuite& office, const QString& path) {
        test::Desk desk;
        writeFileBytes(desk.dir.filePath("Set.ini"), defaultFileBytes("Set.ini"));
        desk.ctx.office = &office;
        QList<int> all;
        for (int k = 1; k <= kLineCount; ++k) all << k;
        desk.fillLines(all);
        return composeRecordDocument(desk.ctx).documentReady && office.saveAs(path);
    }
    QTemporaryDir work_;
};

void TestKeptOffice::initTestCase() {
    HB_REQUIRE(!findOfficeProgramDir().isEmpty(), "LibreOffice Writer is not installed");
}

void TestKeptOffice::savesWhatTheOneShotRunSaves() {
    LibreOfficeSuite warmOffice(nullptr, settings("warm"));
    QVERIFY(warm(warmOffice));
    const QString warmDoc = work_.filePath("warm.doc");
    QVERIFY2(save(warmOffice, warmDoc), qPrintable(warmOffice.lastError()));
    // The one-shot run makes its profile on first use: it was not needed.
    QVERIFY(!QFileInfo::exists(work_.filePath("warm/profile")));
    LibreOfficeSuite coldOffice(nullptr, settings("cold"));
    const QString coldDoc = work_.filePath("cold.doc");
    QVERIFY2(save(coldOffice, coldDoc), qPrintable(coldOffice.lastError()));

    // Read back by a third party: body (text, runs, paragraphs) and page setup alike.
    SofficeRunner reader(findOfficeProgramDir(), work_.filePath("reader"), 120000);
    auto readBack = [&](const QString& doc) {
        QString why;
        const QString fodt = reader.convert(doc, "fodt", "fodt", work_.filePath("read"), &why);
        const QString xml = QString::fromUtf8(readFileBytes(fodt));
        static const QRegularExpression parts(
            QStringLiteral("<style:page-layout-properties [^>]*>|<office:body>.*</office:body>"),
            QRegularExpression::DotMatchesEverythingOption);
        QStringList found;
        for (auto it = parts.globalMatch(xml); it.hasNext();) found << it.next().captured();
        return found;
    };
    const QStringList warmParts = readBack(warmDoc);
    QVERIFY(warmParts.size() >= 2);
    QVERIFY(warmParts.last().contains(QStringLiteral("问：第24问")));
    QCOMPARE(warmParts, readBack(coldDoc));
}

void TestKeptOffice::fallsBackAndComesBack_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("killed") << SIGKILL;
    QTest::newRow("hung") << SIGSTOP;
}

void TestKeptOffice::fallsBackAndComesBack() {
    QFETCH(int, signal);
    const LibreOfficeSuite::Settings s = settings(QTest::currentDataTag());
    LibreOfficeSuite office(nullptr, s);
    KeptOffice* kept = warm(office);
    QVERIFY(kept);
    const qint64 first = kept->processId();
    QVERIFY(::kill(-static_cast<pid_t>(first), signal) == 0);

    const QString doc = work_.filePath(QStringLiteral("%1.doc").arg(QTest::currentDataTag()));
    QVERIFY2(save(office, doc), qPrintable(office.lastError()));
    QCOMPARE(readFileBytes(doc).left(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));
    QVERIFY(QFileInfo::exists(s.workDir + "/profile"));  // saved by the one-shot run
    QVERIFY(!processesUsing(kept->profileDir()).contains(first));

    // Well within the start's time limit: an office that waits for that limit is lost.
    QVERIFY(kept->waitUntilReady(60000));
    QVERIFY(kept->processId() != first);
}

void TestKeptOffice::endsWithItsOwner_data() {
    QTest::addColumn<int>("after");  // ms from the start to the end; -1: once it is ready
    QTest::newRow("ready") << -1;
    for (int ms : {0, 30, 150}) QTest::addRow("%d ms into its start", ms) << ms;
}

// Two programs on one machine keep an office each, on profiles of their own.
void TestKeptOffice::endsWithItsOwner() {
    QFETCH(int, after);
    const LibreOfficeSuite::Settings s = settings(QTest::currentDataTag());
    {
        LibreOfficeSuite one(nullptr, s), two(nullptr, s);
        if (after >= 0) {
            one.keepOfficeRunning();
            QTest::qWait(after);
        } else {
            KeptOffice* first = warm(one);
            KeptOffice* second = warm(two);
            QVERIFY(first && second);
            QVERIFY(first->profileDir() != second->profileDir());
            QCOMPARE(processesUsing(s.workDir).size(), 2);
        }
    }
    QCOMPARE(processesUsing(s.workDir), QList<qint64>());
}

void TestKeptOffice::endsWithTheProgram_data() {
    QTest::addColumn<bool>("killed");
    QTest::newRow("ends while its office starts") << false;
    QTest::newRow("killed") << true;
}

// The program on a home of its own; its offices are the processes that name that home.
void TestKeptOffice::endsWithTheProgram() {
    QFETCH(bool, killed);
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    for (const char* xdg : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        env.insert(xdg, home.filePath(xdg));
    env.remove("HENGBI_HOME");
    // This mode leaves the program a second and a half after its window is shown.
    if (!killed) env.insert("HENGBI_SCREENSHOT", home.filePath("window.png"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(HB_HENGBI);
    QVERIFY(program.waitForStarted());
    if (killed) {
        QVERIFY(waitFor(
            [&] {
                return !processesUsing(home.path()).isEmpty() ||
                       program.state() == QProcess::NotRunning;
            },
            180000));
        QVERIFY2(program.state() == QProcess::Running, program.readAllStandardError().constData());
        program.kill();
    }
    QVERIFY(program.waitForFinished(180000));
    QVERIFY(waitFor([&] { return processesUsing(home.path()).isEmpty(); }, 10000));
}

QTEST_GUILESS_MAIN(TestKeptOffice)
#include "test_kept_office.moc"
