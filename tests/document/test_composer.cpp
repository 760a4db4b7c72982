#include <QRegularExpression>
#include <QtTest>

#include "document/composer.h"
#include "document/desk.h"
#include "platform/ini.h"
#include "resources/resources.h"

using namespace hb;
using hb::test::Desk;

namespace {

// The body after "笔 录 内 容：" in short: q3/a3 line 3, + a further printed line of it, e16
// sixteen empty ruled lines, H1/H2 the closing lines, "H2." without its line end, R/r rule
// on and off.
QString layout(const QStringList& calls) {
    const qsizetype start = calls.indexOf(QStringLiteral("type 笔 录 内 容：\r\n"));
    if (start < 0) return QStringLiteral("(no body)");
    static const QRegularExpression line(QStringLiteral("^type ([问答])：第(\\d+)[问答].*\r\n$"));
    QStringList out;
    int empties = 0;
    auto flush = [&] {
        if (empties) out << QStringLiteral("e%1").arg(empties);
        empties = 0;
    };
    for (qsizetype i = start + 1; i < calls.size(); ++i) {
        const QString& c = calls[i];
        if (c == QStringLiteral("type \r\n")) {
            ++empties;
            continue;
        }
        flush();
        const QRegularExpressionMatch m = line.match(c);
        if (m.hasMatch())
            out << (m.captured(1) == QStringLiteral("问") ? QStringLiteral("q")
                                                          : QStringLiteral("a")) +
                       m.captured(2);
        else if (c == QStringLiteral("ruled 1"))
            out << QStringLiteral("R");
        else if (c == QStringLiteral("ruled 0"))
            out << QStringLiteral("r");
        else if (c == QStringLiteral("type   甲\r\n"))
            out << QStringLiteral("H1");
        else if (c == QStringLiteral("type   乙\r\n"))
            out << QStringLiteral("H2");
        else if (c == QStringLiteral("type   乙"))
            out << QStringLiteral("H2.");
        else if (c.startsWith(QStringLiteral("type ")) && c.endsWith(QStringLiteral("\r\n")))
            out << QStringLiteral("+");
        else
            out << QStringLiteral("?") + c;
    }
    flush();
    return out.join(QLatin1Char(' '));
}

QString lines(int from, int to) {
    QStringList out;
    for (int k = from; k <= to; ++k) out << QStringLiteral("q%1 a%1").arg(k);
    return out.join(QLatin1Char(' '));
}

QList<int> range(int from, int to) {
    QList<int> out;
    for (int k = from; k <= to; ++k) out << k;
    return out;
}

}  // namespace

class TestComposer : public QObject {
    Q_OBJECT
  private slots:
    void pages_data();
    void pages();
    void printedLines_data();
    void printedLines();
    void longAnswersFillEveryPage();
    void titleAndHeader();
    void separator_data();
    void separator();
    void closingLinesReadOncePerComposition();
    void notesLoseEveryLineBreak_data();
    void notesLoseEveryLineBreak();
    void filesWritten();
    void templateWrittenWhenTheDocumentCannotOpen();
    void unsafeStem_data();
    void unsafeStem();
};

void TestComposer::pages_data() {
    QTest::addColumn<QList<int>>("filled");
    QTest::addColumn<int>("longAnswer");  // the line whose answer takes two printed lines
    QTest::addColumn<QString>("expected");
    const QString close = QStringLiteral("r H1 H2 R");
    QTest::newRow("no question") << QList<int>{} << 0 << "R";
    QTest::newRow("1-2: page 1 filled to its 8 lines")
        << range(1, 2) << 0 << "R " + lines(1, 2) + " e4 r H1 H2.";
    // A record that fills page 1 exactly ends there: no empty page 2.
    QTest::newRow("1-4: close after 4 ends the document")
        << range(1, 4) << 0 << "R " + lines(1, 4) + " r H1 H2.";
    QTest::newRow("1-3 and 5: close after 5")
        << QList<int>{1, 2, 3, 5} << 0 << "R " + lines(1, 3) + " q5 a5 r H1 H2.";
    QTest::newRow("two of 1-6 and 7-14: page 1 closes once full")
        << (QList<int>{2, 6} + range(7, 14)) << 0
        << "R q2 a2 q6 a6 " + lines(7, 8) + " " + close + " " + lines(9, 14) + " e8 r H1 H2.";
    QTest::newRow("all 24") << range(1, 24) << 0
                            << "R " + lines(1, 4) + " " + close + " " + lines(5, 14) + " " + close +
                                   " " + lines(15, 24) + " r H1 H2.";
    QTest::newRow("1-14: close after 14 ends the document")
        << range(1, 14) << 0 << "R " + lines(1, 4) + " " + close + " " + lines(5, 14) + " r H1 H2.";
    QTest::newRow("1-13, 19, 20: page 2 closes after 19")
        << (range(1, 13) + QList<int>{19, 20}) << 0
        << "R " + lines(1, 4) + " " + close + " " + lines(5, 13) + " q19 a19 " + close +
               " q20 a20 e18 r H1 H2.";
    // Question 4 would end page 1 with its answer on page 2.
    QTest::newRow("a question goes with its answer")
        << range(1, 5) << 1
        << "R q1 a1 + " + lines(2, 3) + " e1 " + close + " " + lines(4, 5) + " e16 r H1 H2.";
}

void TestComposer::pages() {
    QFETCH(QList<int>, filled);
    QFETCH(int, longAnswer);
    QFETCH(QString, expected);
    Desk desk;
    desk.fillLines(filled);
    if (longAnswer)
        desk.record.setText(answer(longAnswer), QStringLiteral("答：第%1答").arg(longAnswer) +
                                                    QStringLiteral("如实陈述").repeated(10));
    QVERIFY(composeRecordDocument(desk.ctx).documentReady);
    QCOMPARE(layout(desk.office.calls), expected);
}

void TestComposer::printedLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const QString han = QStringLiteral("说");
    QTest::newRow("fits, blanks kept") << "答：是的。  " << QStringList{"答：是的。  "};
    QTest::newRow("33 full-width a line")
        << han.repeated(100)
        << QStringList{han.repeated(33), han.repeated(33), han.repeated(33), han};
    QTest::newRow("66 half-width a line, blanks at the break dropped")
        << QString("abcde ").repeated(12) + "x"
        << QStringList{QString("abcde ").repeated(10) + "abcde", "abcde x"};
    QTest::newRow("a full stop never starts a line")
        << han.repeated(33) + "。" + han << QStringList{han.repeated(32), han + "。" + han};
    QTest::newRow("an opening bracket never ends one")
        << han.repeated(32) + "（甲）" << QStringList{han.repeated(32), "（甲）"};
    QTest::newRow("a number stays whole")
        << han.repeated(30) + "13800000000" << QStringList{han.repeated(30), "13800000000"};
    QTest::newRow("a character beyond the BMP counts two, never parted")
        << han.repeated(32) + "𠮷祥" << QStringList{han.repeated(32) + "𠮷", "祥"};
    QTest::newRow("a word longer than a line is parted")
        << QString(70, 'x') << QStringList{QString(66, 'x'), QString(4, 'x')};
}

void TestComposer::printedLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(hb::printedLines(text), expected);
}

// Answers of four printed lines each: every line a ruled line of its own, pages of 8 and 20
// lines each closed at its foot, the text kept whole and in order.
void TestComposer::longAnswersFillEveryPage() {
    Desk desk;
    desk.fillLines(range(1, 12));
    QString answers;
    for (int k = 1; k <= 12; ++k) {
        const QString a =
            QStringLiteral("答：第%1答").arg(k) + QStringLiteral("如实陈述").repeated(24);
        desk.record.setText(answer(k), a);
        answers += a;
    }
    composeRecordDocument(desk.ctx);
    QList<int> pages;
    int ruled = 0;
    QString typed;
    for (const QString& c : desk.office.calls) {
        if (c == "type 笔 录 内 容：\r\n") {
            ruled = 0;
            typed.clear();
        } else if (c.startsWith("type   甲")) {
            pages << ruled;
            ruled = 0;
        } else if (c.startsWith("type ") && c.endsWith("\r\n") && !c.startsWith("type   乙")) {
            ++ruled;
            if (!c.startsWith("type 问")) typed += c.mid(5).trimmed();
        }
    }
    QCOMPARE(pages, (QList<int>{8, 20, 20, 20}));
    QCOMPARE(typed, answers);
    QCOMPARE(desk.office.calls.last(), QStringLiteral("type   乙"));
}

void TestComposer::titleAndHeader() {
    Desk desk;
    // A question with an empty answer prints a ruled answer line; an answer alone prints nothing.
    desk.fillLines({1, 2});
    desk.record.setText(answer(2), {});
    desk.record.setText(answer(3), QStringLiteral("答：无问"));
    composeRecordDocument(desk.ctx);
    QCOMPARE(layout(desk.office.calls), QStringLiteral("R q1 a1 q2 e5 r H1 H2."));

    QStringList expected = {"create",
                            "attach",
                            "open " + desk.bl("Doc.doc"),
                            "visible 0",
                            "title 2026.9.15-某公司-张三",
                            "align centre",
                            "line height 46.8",
                            "size 22",
                            "bold 1",
                            "type 劳动保障监察询问笔录\r\n\r\n",
                            "bold 0",
                            "size 14",
                            "align left",
                            "line height 31.2"};
    auto plain = [&](const QString& t) { expected << "type " + t; };
    auto under = [&](const QString& t) {
        expected << "underline 1"
                 << "type " + t << "underline 0";
    };
    auto sp = [](int n) { return QString(n, QLatin1Char(' ')); };
    plain("笔录起至时间：");
    under("  2026");
    plain("年");
    under("  9");
    plain("月");
    under("  15");
    plain("日");
    under("  9");
    plain("时");
    under("  05");
    plain("分   至  ");
    under("  10");
    plain("时");
    under("  40");
    plain("分\r\n");
    plain("笔录地点：");
    under("澄屿市询问室" + sp(33) + "\r\n");
    plain("被询问人姓名：");
    under(" 张三 ");
    plain(" 性别：");
    under(" 男 ");
    plain(" 户籍所在地：");
    under("吉林省临江区" + sp(11) + "\r\n");
    plain("身份证件种类：");
    under(" 居民身份证 ");
    plain(" 号码：");
    under("220201" + sp(28) + "\r\n");
    plain("工作单位：");
    under("某公司");
    plain("     职务：");
    under("经理" + sp(36) + "\r\n");
    plain("电话：");
    under("138");
    plain("   其他联系方式：");
    under("无" + sp(39) + "\r\n");
    plain("询问监察员姓名：");
    under("  李四  ");
    plain(" 其他参加人：");
    under("  赵六  ");
    plain(" 记录人：");
    under("  王五" + sp(7) + "\r\n\r\n");
    plain("笔 录 内 容：\r\n");
    QCOMPARE(desk.office.calls.mid(0, expected.size()), expected);
}

void TestComposer::separator_data() {
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("separator");
    QTest::newRow("9 / 15") << "9"
                            << "15"
                            << "分   至  ";
    QTest::newRow("09 / 15") << "09"
                             << "15"
                             << "分  至  ";
    QTest::newRow("9 / 5") << "9"
                           << "5"
                           << "分   至   ";
    QTest::newRow("十 (two GBK bytes) / 5") << "十"
                                            << "5"
                                            << "分   至  ";
    QTest::newRow("empty / 123") << ""
                                 << "123"
                                 << "分   至   ";
}

void TestComposer::separator() {
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, separator);
    Desk desk;
    desk.record.setText(Field::startMonth, month);
    desk.record.setText(Field::startDay, day);
    composeRecordDocument(desk.ctx);
    QVERIFY(desk.office.calls.contains("type " + separator));
}

namespace {
// Changes Set.ini as soon as the first closing lines are typed: too late for this record.
struct EditingOffice : test::FakeOffice {
    Desk* desk = nullptr;
    void type(const QString& text) override {
        FakeOffice::type(text);
        if (text == QStringLiteral("  乙\r\n"))
            desk->writeSettings(QStringLiteral("[fenye]\nhang1=丙\nhang2=丁\n"));
    }
};
}  // namespace

void TestComposer::closingLinesReadOncePerComposition() {
    Desk desk;
    EditingOffice office;
    office.desk = &desk;
    desk.ctx.office = &office;
    desk.fillLines(range(1, 24));
    composeRecordDocument(desk.ctx);
    static const QRegularExpression closing(QStringLiteral("^type   [甲乙丙丁]"));
    QCOMPARE(office.calls.filter(closing),
             (QStringList{"type   甲\r\n", "type   乙\r\n", "type   甲\r\n", "type   乙\r\n",
                          "type   甲\r\n", "type   乙"}));

    // No Set.ini: closing lines that are blank, without blanks an office could shrink.
    QFile::remove(desk.dir.filePath("Set.ini"));
    desk.office.calls.clear();
    desk.ctx.office = &desk.office;
    composeRecordDocument(desk.ctx);
    const QStringList typed = desk.office.callsStartingWith("type ");
    QCOMPARE(typed.mid(typed.size() - 2), (QStringList{"type \r\n", "type "}));
}

void TestComposer::notesLoseEveryLineBreak_data() {
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a CR LF b") << "a\r\nb"
                               << "a  b";
    QTest::newRow("lone CR and LF") << "a\rb\nc"
                                    << "a b c";
    QTest::newRow("more than 111 of each")
        << QString("x\r\n").repeated(150) << QString("x  ").repeated(150);
}

void TestComposer::notesLoseEveryLineBreak() {
    QFETCH(QString, notes);
    QFETCH(QString, expected);
    Desk desk;
    desk.record.setText(Field::caseNotes, notes);
    composeRecordDocument(desk.ctx);
    QCOMPARE(desk.record.text(Field::caseNotes), expected);
    QCOMPARE(readIniValue(desk.bl(desk.record.fileStem() + ".ini"), "set", "beizu"), expected);
}

void TestComposer::filesWritten() {
    Desk desk;
    desk.fillLines({1});
    QDir().mkpath(desk.bl({}));
    writeFileBytes(desk.bl("Doc.doc"), "changed");
    const Composition c = composeRecordDocument(desk.ctx);
    QVERIFY(c.templateError.isEmpty());
    QCOMPARE(c.templatePath, desk.bl("2026.9.15-某公司-张三.ini"));
    QCOMPARE(readFileBytes(desk.bl("Doc.doc")), shippedFile("document/Doc.doc"));
    const IniFile ini = IniFile::load(c.templatePath);
    QCOMPARE(ini.value("set", "num16"), QStringLiteral("某公司"));
    QCOMPARE(ini.value("set", "num23"), QStringLiteral("问：第1问"));
    QCOMPARE(ini.value("set", "num70"), QString());
    QVERIFY(!desk.office.calls.contains("save"));
}

void TestComposer::templateWrittenWhenTheDocumentCannotOpen() {
    Desk desk;
    desk.office.openSucceeds = false;
    const Composition c = composeRecordDocument(desk.ctx);
    QVERIFY(!c.documentReady);
    QCOMPARE(c.documentError, desk.office.error);
    QVERIFY(desk.office.callsStartingWith("type").isEmpty());
    QVERIFY(QFile::exists(c.templatePath));
}

void TestComposer::unsafeStem_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("separator in the work unit") << int(Field::workUnit) << "甲/乙"
                                                << "工作单位";
    QTest::newRow("backslash in the name") << int(Field::personName) << "张\\三"
                                           << "被询问人姓名";
    QTest::newRow("dots as the name, inside the file name") << int(Field::personName) << ".."
                                                            << "";
    QTest::newRow("no name: 2026.9.15-某公司-") << int(Field::personName) << ""
                                                << "";
    // 2026.9.15-<unit>-张三.ini: 246 bytes with 75 CJK characters, 249 with 76.
    QTest::newRow("longest name") << int(Field::workUnit) << QString(75, QChar(0x52B3)) << "";
    // Linux counts a name's bytes, Windows its UTF-16 units.
    const int unitFits = QSysInfo::kernelType() == QLatin1String("winnt") ? 231 : 75;
    QTest::newRow("too long, told before composing")
        << int(Field::workUnit) << QString(260, QChar(0x52B3))
        << QStringLiteral("“工作单位”最多可以写 %1 个字").arg(unitFits);
    QTest::newRow("control character in the year") << int(Field::startYear) << "20\t26"
                                                   << "笔录起始时间（年）";
    QTest::newRow("empty year: a hidden file") << int(Field::startYear) << ""
                                               << "笔录起始时间（年）";
    QTest::newRow("leading dot") << int(Field::startYear) << ".2026"
                                 << "笔录起始时间（年）";
    QTest::newRow("colon, as Windows refuses") << int(Field::workUnit) << "甲:乙"
                                               << "“工作单位”含有字符“:”";
    QTest::newRow("quote") << int(Field::personName) << "张\"三\""
                           << "“被询问人姓名”含有字符“\"”";
    QTest::newRow("safe") << int(Field::phone) << "a/b"
                          << "";
}

void TestComposer::unsafeStem() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, named);
    Desk desk;
    desk.record.setText(Field(field), text);
    const QString message = unsafeStemMessage(desk.record);
    QCOMPARE(message.isEmpty(), named.isEmpty());
    QVERIFY(message.contains(named));
    // Composition never writes a template outside BL; a second one replaces the first.
    composeRecordDocument(desk.ctx);
    const Composition c = composeRecordDocument(desk.ctx);
    QCOMPARE(c.templateError.isEmpty(), named.isEmpty());
    QCOMPARE(QDir(desk.dir.path() + "/BL").entryList(QDir::Files).size(), named.isEmpty() ? 2 : 1);
}

QTEST_GUILESS_MAIN(TestComposer)
#include "test_composer.moc"
