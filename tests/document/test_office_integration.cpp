// A composed record through the real LibreOffice: Word 97 and PDF files that read back with
// the record's text in order and the page setup of the blank document.
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "document/composer.h"
#include "document/desk.h"
#include "office/libreoffice.h"
#include "document/office_check.h"
#include "office/soffice.h"
#include "platform/gbk.h"
#include "resources/resources.h"

using namespace hb;

namespace {

const QString kHang1 = QStringLiteral("被询问人签名：");
const QString kHang2 = QStringLiteral("监察员签名：");

// Every expected piece in this order, each after the one before.
// Blanks do not count: pdftotext sets figures apart.
QString firstMissing(QString text, const QStringList& pieces) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    text.remove(blanks);
    qsizetype at = 0;
    for (QString p : pieces) {
        p.remove(blanks);
        const qsizetype found = text.indexOf(p, at);
        if (found < 0) return p;
        at = found + p.size();
    }
    return {};
}

QStringList recordInOrder() {
    QStringList pieces = {"劳动保障监察询问笔录",
                          "笔录起至时间：",
                          "2026",
                          "笔录地点：",
                          "澄屿市询问室",
                          "被询问人姓名：",
                          "张三",
                          "身份证件种类：",
                          "工作单位：",
                          "某公司",
                          "电话：",
                          "询问监察员姓名：",
                          "李四",
                          "笔 录 内 容："};
    for (int k = 1; k <= kLineCount; ++k) {
        pieces << QStringLiteral("问：第%1问").arg(k) << QStringLiteral("答：第%1答").arg(k);
        if (k == 4 || k == 14 || k == 24) pieces << kHang1 << kHang2;
    }
    return pieces;
}

double twips(const QString& length) {
    static const QRegularExpression re(QStringLiteral("^([0-9.]+)(in|cm|mm|pt)$"));
    const QRegularExpressionMatch m = re.match(length);
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    if (unit == u"in") return v * 1440;
    if (unit == u"cm") return v * 1440 / 2.54;
    if (unit == u"mm") return v * 144 / 2.54;
    return v * 20;
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Where each rule of a page ends, in points from the page's left edge: a rule is a dark run
// longer than a third of the page (adjacent rows are one rule). Empty when it cannot be read.
QList<int> ruleEnds(const QString& pdf, int page, const QString& workDir) {
    const QString root = workDir + "/page";
    QProcess p;
    p.start(test::programOnPath("pdftoppm"),
            {"-r", "72", "-gray", "-f", QString::number(page), "-l", QString::number(page),
             "-singlefile", pdf, root});
    p.waitForFinished(60000);
    const QByteArray image = readFileBytes(root + ".pgm");
    const QList<QByteArray> head = image.left(64).split('\n');
    const QList<QByteArray> size = head.value(1).split(' ');
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    const qsizetype pixels = head.value(0).size() + head.value(1).size() + head.value(2).size() + 3;
    if (head.value(0) != "P5" || image.size() - pixels != qsizetype(width) * height) return {};
    QList<int> ends;
    bool inRule = false;
    for (int y = 0; y < height; ++y) {
        const char* row = image.constData() + pixels + qsizetype(y) * width;
        int ruleEnd = -1;
        for (int x = 0; x < width;) {
            if (uchar(row[x]) >= 128) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && uchar(row[x]) < 128) ++x;
            if (x - start > width / 3) ruleEnd = x;
        }
        if (ruleEnd >= 0 && !inRule) ends << ruleEnd;
        inRule = ruleEnd >= 0;
    }
    return ends;
}

// The record's right margin on an A4 page at 72 dpi.
const double kMarginPt = (11906 - 1134) / 20.0;

}  // namespace

class TestOfficeIntegration : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void wordDocument();
    void pdfDocument();
    void ruledLinesReachTheMargin();
    void samePagesEverywhere_data();
    void samePagesEverywhere();
    void batchCommand();

  private:
    LibreOfficeSuite::Settings settings() {
        LibreOfficeSuite::Settings s;
        s.workDir = work_.filePath("office");
        return s;
    }
    // A record of short lines (all 24 unless told), composed on the real backend.
    void compose(LibreOfficeSuite& office, test::Desk& desk, int lines = kLineCount);
    QTemporaryDir work_;
    QString programDir_;
};

void TestOfficeIntegration::initTestCase() {
    programDir_ = findOfficeProgramDir();
    HB_REQUIRE(!programDir_.isEmpty(), "LibreOffice Writer is not installed");
}

void TestOfficeIntegration::compose(LibreOfficeSuite& office, test::Desk& desk, int lines) {
    // The closing lines of the shipped Set.ini.
    writeFileBytes(desk.dir.filePath("Set.ini"), defaultFileBytes("Set.ini"));
    desk.ctx.office = &office;
    desk.fillLines([lines] {
        QList<int> all;
        for (int k = 1; k <= lines; ++k) all << k;
        return all;
    }());
    const Composition c = composeRecordDocument(desk.ctx);
    QVERIFY2(c.documentReady, qPrintable(c.documentError));
}

void TestOfficeIntegration::wordDocument() {
    test::Desk desk;
    LibreOfficeSuite office(nullptr, settings());
    compose(office, desk);
    const QString doc = desk.bl("record.doc");
    QVERIFY2(office.saveAs(doc), qPrintable(office.lastError()));
    QCOMPARE(readFileBytes(doc).left(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));

    // Read back through the office, as text and as the document's own page setup.
    SofficeRunner runner(programDir_, work_.filePath("office"), 120000);
    QString why;
    const QString txt =
        runner.convert(doc, "txt:Text (encoded):UTF8", "txt", work_.filePath("txt"), &why);
    QVERIFY2(!txt.isEmpty(), qPrintable(why));
    const QString text = QString::fromUtf8(readFileBytes(txt));
    QCOMPARE(firstMissing(text, recordInOrder()), QString());
    QCOMPARE(text.count(kHang1), 3);

    const QString fodt = runner.convert(doc, "fodt", "fodt", work_.filePath("fodt"), &why);
    QVERIFY2(!fodt.isEmpty(), qPrintable(why));
    const QString xml = QString::fromUtf8(readFileBytes(fodt));
    // Word draws the record in SimSun, blanks included (they take the Latin font there),
    // whatever face stood in for it here.
    QVERIFY(xml.contains("style:font-name=\"SimSun\""));
    QVERIFY(xml.contains("style:font-name-asian=\"SimSun\""));
    static const QRegularExpression layoutRe(
        QStringLiteral("<style:page-layout-properties [^>]*fo:page-width[^>]*>"));
    const QString layout = layoutRe.match(xml).captured(0);
    QVERIFY(!layout.isEmpty());
    auto property = [&](const QString& name) {
        const QRegularExpression re(name + QStringLiteral("=\"([^\"]+)\""));
        return re.match(layout).captured(1);
    };
    const struct {
        const char* name;
        double twips;
    } expected[] = {
        {"fo:page-width", 11906},
        {"fo:page-height", 16838},
        {"fo:margin-left", 1361},
        {"fo:margin-right", 1134},
        {"fo:margin-top", 851},
        {"fo:margin-bottom", 992},
        {"style:layout-grid-base-height", 312},
    };
    for (const auto& e : expected) {
        const QString value = property(QString::fromLatin1(e.name));
        QVERIFY2(qAbs(twips(value) - e.twips) < 3, qPrintable(QString("%1=%2").arg(e.name, value)));
    }
    QCOMPARE(property("style:layout-grid-mode"), QStringLiteral("line"));
}

void TestOfficeIntegration::pdfDocument() {
    const QString pdftotext = test::programOnPath("pdftotext");
    HB_REQUIRE(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is not installed");
    test::Desk desk;
    LibreOfficeSuite office(nullptr, settings());
    compose(office, desk);
    const QString pdf = desk.bl("record.pdf");
    QVERIFY2(office.saveAs(pdf), qPrintable(office.lastError()));
    QVERIFY(readFileBytes(pdf).startsWith("%PDF-"));
    const QString text = run(pdftotext, {"-layout", pdf, "-"});
    QCOMPARE(firstMissing(text, recordInOrder()), QString());

    // Three pages, each with its closing lines near the foot. Page 1 leaves room for one
    // more ruled line, so the next line may still follow them there.
    const QString boxes = run(pdftotext, {"-bbox", pdf, "-"});
    static const QRegularExpression pageRe(
        QStringLiteral("<page width=\"[0-9.]+\" height=\"([0-9.]+)\">"));
    static const QRegularExpression closingRe(
        QStringLiteral("<word [^>]*yMax=\"([0-9.]+)\">记录人签名：</word>"));
    const QStringList pages = boxes.split(QStringLiteral("</page>"), Qt::SkipEmptyParts);
    QCOMPARE(pages.size() - 1, 3);  // the rest after the last page
    for (int i = 0; i < 3; ++i) {
        const double height = pageRe.match(pages[i]).captured(1).toDouble();
        const QRegularExpressionMatch closing = closingRe.match(pages[i]);
        QVERIFY2(closing.hasMatch(),
                 qPrintable(QString("page %1 has no closing lines").arg(i + 1)));
        const double bottom = closing.captured(1).toDouble();
        QVERIFY2(bottom > height * 0.8 && bottom < height - 1134 / 20.0,
                 qPrintable(QString("page %1: %2 of %3").arg(i + 1).arg(bottom).arg(height)));
    }
}

// The question and answer lines and the empty ones that fill the last page are blanks,
// underlined: each must be a rule up to the right margin, as in Word.
void TestOfficeIntegration::ruledLinesReachTheMargin() {
    const QString pdftoppm = test::programOnPath("pdftoppm");
    HB_REQUIRE(!pdftoppm.isEmpty(), "pdftoppm (poppler-utils) is not installed");
    test::Desk desk;
    LibreOfficeSuite office(nullptr, settings());
    compose(office, desk, 10);  // page 2: lines 5 to 10, then eight empty ones
    const QString pdf = desk.bl("record.pdf");
    QVERIFY2(office.saveAs(pdf), qPrintable(office.lastError()));
    // The saved Word file, printed as it is, draws its blanks in its own fonts.
    const QString doc = desk.bl("record.doc");
    QVERIFY2(office.saveAs(doc), qPrintable(office.lastError()));
    LibreOfficeSuite other(nullptr, settings());
    QVERIFY(other.open(doc));
    const QString docPdf = desk.bl("record-doc.pdf");
    QVERIFY2(other.saveAs(docPdf), qPrintable(other.lastError()));

    for (const QString& file : {pdf, docPdf}) {
        const QList<int> ends = ruleEnds(file, 2, work_.path());
        for (int end : ends)
            QVERIFY2(
                qAbs(end - kMarginPt) < 8,
                qPrintable(QString("%1: a rule on page 2 ends at %2 pt, the margin is at %3 pt")
                               .arg(QFileInfo(file).fileName())
                               .arg(end)
                               .arg(kMarginPt)));
        QVERIFY2(ends.size() >= 19, qPrintable(QString("%1: %2 rules on page 2")
                                                   .arg(QFileInfo(file).fileName())
                                                   .arg(ends.size())));
    }
}

void TestOfficeIntegration::samePagesEverywhere_data() {
    QTest::addColumn<QStringList>("lines");  // question, answer, question, answer, ...
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("mustRead");
    const QString said = QStringLiteral(
        "我于2023年3月入职该公司，从事建筑施工工作，公司一直没有与我签订"
        "书面劳动合同，从2025年10月起拖欠工资，每月5800元，");
    QStringList lines;
    for (int k = 1; k <= 12; ++k)
        lines << QStringLiteral("问：第%1问，请如实陈述有关情况？").arg(k)
              << QStringLiteral("答：") + said.repeated(k % 2 ? 2 : 3);
    QTest::newRow("answers of three and four lines") << lines << 5 << QString();
    QTest::newRow("empty answers, a part-filled last page")
        << QStringList{"问：一", "",       "问：二", "答：二", "问：三",
                       "答：三", "问：四", "答：四", "问：五", ""}
        << 2 << QString();
    const QString rare = QStringLiteral("答：") + QStringLiteral("说").repeated(27) +
                         QStringLiteral("叫作吉𠮷祥，二〇二四年");
    QTest::newRow("beyond the BMP at a break") << QStringList{"问：名字？", rare} << 1 << rare;
    QTest::newRow("tabs in an answer")
        << QStringList{"问：工资表？", QStringLiteral("答：姓名\t月份\t工资\t").repeated(12)} << 1
        << QString();
    QTest::newRow("four pairs fill page 1") << QStringList{"问：一", "答：一", "问：二", "答：二",
                                                           "问：三", "答：三", "问：四", "答：四"}
                                            << 1 << QString();
    QTest::newRow("a question at the foot of page 1")
        << QStringList{"问：一", said, "问：二", "答：二", "问：三", "答：三", "问：四", "答：四"}
        << 2 << QString();
}

// The program's PDF and the saved .doc converted by a LibreOffice of its own (a fresh
// profile, the fontconfig alias the program installs) have the same pages: the same lines on
// each, the closing lines at its foot at the same height.
void TestOfficeIntegration::samePagesEverywhere() {
    QFETCH(QStringList, lines);
    QFETCH(int, pages);
    QFETCH(QString, mustRead);
    HB_REQUIRE(
        !test::programOnPath("pdftotext").isEmpty() && !test::programOnPath("pdftoppm").isEmpty(),
        "pdftotext and pdftoppm (poppler-utils) are not installed");
    test::Desk desk;
    LibreOfficeSuite office(nullptr, settings());
    writeFileBytes(desk.dir.filePath("Set.ini"), defaultFileBytes("Set.ini"));
    desk.ctx.office = &office;
    for (int k = 1; k <= lines.size() / 2; ++k) {
        desk.record.setText(question(k), lines[2 * k - 2]);
        desk.record.setText(answer(k), lines[2 * k - 1]);
    }
    QVERIFY(composeRecordDocument(desk.ctx).documentReady);
    const QString pdf = desk.bl("record.pdf");
    const QString doc = desk.bl("record.doc");
    QVERIFY2(office.saveAs(pdf), qPrintable(office.lastError()));
    QVERIFY2(office.saveAs(doc), qPrintable(office.lastError()));

    QTemporaryDir own;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", own.filePath("config").toUtf8());
    const bool installed = installFontAlias();
    qputenv("XDG_CONFIG_HOME", configHome);
    QVERIFY(installed);
    const RunResult r = runProgram(
        programDir_ + "/soffice",
        {"--headless", "--norestore", "-env:UserInstallation=file://" + own.filePath("profile"),
         "--convert-to", "pdf", "--outdir", own.filePath("out"), doc},
        180000, {"TMPDIR=" + own.path(), "XDG_CONFIG_HOME=" + own.filePath("config")});
    const QString docPdf = own.filePath("out/record.pdf");
    QVERIFY2(QFileInfo(docPdf).size() > 0, r.output.constData());

    // Each page's lines by their foot, the lowest last.
    static const QRegularExpression wordRe(
        QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"[0-9.]+\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    QList<QList<QPair<double, QString>>> seen;
    for (const QString& file : {pdf, docPdf}) {
        const QString boxes = run(test::programOnPath("pdftotext"), {"-bbox", file, "-"});
        QStringList texts = boxes.split("</page>", Qt::SkipEmptyParts);
        texts.removeLast();  // what follows the last page
        QCOMPARE(texts.size(), pages);
        QList<QPair<double, QString>> all;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            QMap<double, QString> byFoot;
            for (const auto& m : wordRe.globalMatch(texts[i]))
                byFoot[m.captured(1).toDouble()] += m.captured(2);
            const QList<double> feet = byFoot.keys();
            const QString where = QString("%1 page %2").arg(QFileInfo(file).fileName()).arg(i + 1);
            QVERIFY2(feet.size() > 2 && byFoot.last().contains("记录人签名：") &&
                         byFoot[feet[feet.size() - 2]].contains("被询问人签名："),
                     qPrintable(where));
            // A question never takes the last ruled line of a page, its answer on the next.
            const auto last = byFoot.lowerBound(feet[feet.size() - 2] - 31.2 - 3);
            QVERIFY2(last.key() > feet[feet.size() - 2] - 31.2 + 3 || !last->startsWith("问："),
                     qPrintable(where));
            for (double foot : feet) all.append({foot + 1000 * i, byFoot[foot]});
        }
        seen << all;
        if (!mustRead.isEmpty())
            QCOMPARE(firstMissing(run(test::programOnPath("pdftotext"), {file, "-"}), {mustRead}),
                     QString());
    }
    // The same lines, each within 2 mm of its place in the other.
    QCOMPARE(seen[0].size(), seen[1].size());
    for (qsizetype i = 0; i < seen[0].size(); ++i) {
        QCOMPARE(seen[1][i].second, seen[0][i].second);
        QVERIFY2(qAbs(seen[0][i].first - seen[1][i].first) < 2 / 25.4 * 72,
                 qPrintable(seen[0][i].second));
    }
}

void TestOfficeIntegration::batchCommand() {
    QTemporaryDir tmp;
    writeFileBytes(tmp.filePath("Set.ini"), defaultFileBytes("Set.ini"));
    const QString templateFile = tmp.filePath("t.ini");
    writeFileBytes(templateFile,
                   toGbkLines("[set]\nnum1=2026\nnum2=9\nnum3=15\nnum6=10\nnum7=40\nnum10=张三\n"
                              "num16=某公司\nnum23=问：姓名？\nnum24=答：张三。\n"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HENGBI_HOME", tmp.path());
    env.insert("XDG_CACHE_HOME", work_.filePath("cache"));
    p.setProcessEnvironment(env);
    p.start(HB_HENGBI, {"compose", templateFile, "--out", tmp.filePath("r.pdf")});
    QVERIFY(p.waitForFinished(180000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QString());
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(readFileBytes(tmp.filePath("r.pdf")).startsWith("%PDF-"));
    QVERIFY(QFile::exists(tmp.filePath("BL/2026.9.15-某公司-张三.ini")));
}

QTEST_GUILESS_MAIN(TestOfficeIntegration)
#include "test_office_integration.moc"
