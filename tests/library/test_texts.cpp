#include <QAction>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "library/library.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "resources/resources.h"
#include "support/require.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

// Title line of each shipped text, by file name; empty: the text has no title line.
const QHash<QString, QString> kTitles = {
    {"t.txt", "劳动监察办案时效"},
    {"y.txt", "劳动保障监察办案程序规则"},
    {"a.txt", "中华人民共和国劳动法"},
    {"b.txt", "中华人民共和国劳动合同法"},
    {"u.txt", "中华人民共和国社会保险法"},
    {"x.txt", "中华人民共和国就业促进法"},
    {"w.txt", "中华人民共和国劳动争议调解仲裁法"},
    {"v.txt", "禁止使用童工规定"},
    {"k.txt", "女职工劳动保护特别规定"},
    {"r.txt", "未成年工特殊保护规定（要点）"},
    {"l.txt", "女职工劳动保护特别规定 附录：女职工禁忌从事的劳动范围"},
    {"c.txt", "劳动保障监察条例"},
    {"z.txt", "中华人民共和国劳动合同法实施条例"},
    {"j.txt", ""},
    {"q.txt", "工伤保险条例"},
    {"p.txt", "建设领域农民工工资支付管理暂行办法"},
    {"h.txt", "工资支付暂行规定"},
    {"f.txt", "企业职工患病或非因工负伤医疗期规定（要点）"},
    {"az.txt", "《劳动合同法》200问"},
    {"js.txt", "监察笔录制作过程"},
};

// Strict GBK: a byte sequence that is not GBK is an error, not a replacement character.
bool decodesAsGbk(const QByteArray& bytes) {
    const QString text = fromGbk(bytes);
    return !text.contains(QChar::ReplacementCharacter) && toGbk(text) == bytes;
}

// What the box shows for a file: its GBK text with paragraphs split at CR LF.
QString shownText(const QByteArray& bytes) {
    return fromGbk(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QPlainTextEdit* box(TestApp& app) {
    return app.find<QPlainTextEdit>(QStringLiteral("超级编辑框1"));
}
QString shownPath(TestApp& app) {
    return app.window->record().hidden(Hidden::textFilePath);
}

}  // namespace

class TestTexts : public QObject {
    Q_OBJECT
  private slots:
    void everyRowIsWrittenAndShownWhole_data();
    void everyRowIsWrittenAndShownWhole();
    void largestTextIsShownWhole();
    void showingAgainDropsEdits();
    void closeHidesAndKeepsPath();
    void rowsNeverShareAFile();
    void systemFolderIsCreated();
    void failedWriteShowsNothingStale();
    void printButton_data();
    void printButton();
    void printWithoutOfficeSuite();
    void helpItems_data();
    void helpItems();
};

void TestTexts::everyRowIsWrittenAndShownWhole_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fileName");
    QCOMPARE(legalTexts().size(), size_t(20));
    for (const LegalText& t : legalTexts())
        QTest::newRow(t.fileName) << QString::fromUtf8(t.caption) << QString::fromUtf8(t.fileName);
}

void TestTexts::everyRowIsWrittenAndShownWhole() {
    QFETCH(QString, caption);
    QFETCH(QString, fileName);
    TestApp app;
    QVERIFY(app.window->action(caption));
    app.trigger(caption);

    const QString path = app.dir(QStringLiteral("system/") + fileName);
    const QByteArray bytes = readFileBytes(path);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(decodesAsGbk(bytes));
    QVERIFY(!bytes.contains('\0'));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QVERIFY(bytes.startsWith("\r\n"));

    const QStringList lines = fromGbk(bytes).split(QStringLiteral("\r\n"));
    const QString first = *std::find_if(lines.begin(), lines.end(),
                                        [](const QString& l) { return !l.trimmed().isEmpty(); });
    const QString title = kTitles.value(fileName, QStringLiteral("?"));
    if (title.isEmpty()) {
        QVERIFY2(first.contains(QStringLiteral("元/月")), qPrintable(first));
    } else {
        QCOMPARE(first.trimmed(), title);
        QVERIFY2(first.startsWith(QStringLiteral("  ")), "the title is centred by blanks");
    }

    QCOMPARE(shownPath(app), path);
    QPlainTextEdit* b = box(app);
    QVERIFY(b->isVisibleTo(app.window.get()));
    QCOMPARE(b->geometry(), QRect(1, 64, 1017, 506));
    QCOMPARE(b->toPlainText(), shownText(bytes));
    for (const char* button : {"按钮6", "按钮3"})
        QVERIFY(app.find<QPushButton>(QString::fromUtf8(button))->isVisibleTo(app.window.get()));
}

void TestTexts::largestTextIsShownWhole() {
    const auto rows = legalTexts();
    const LegalText& largest =
        *std::max_element(rows.begin(), rows.end(), [](const LegalText& a, const LegalText& b) {
            return legalTextBytes(a).size() < legalTextBytes(b).size();
        });
    const QByteArray bytes = legalTextBytes(largest);
    QVERIFY2(bytes.size() > 65536, "the largest text must exceed 64 KiB to be a test");
    TestApp app;
    app.trigger(QString::fromUtf8(largest.caption));
    const QString shown = box(app)->toPlainText();
    QCOMPARE(shown.size(), shownText(bytes).size());
    QVERIFY(shown.endsWith(shownText(bytes).right(200)));
    QCOMPARE(box(app)->font().pointSize(), 9);
    QCOMPARE(box(app)->font().family(), QStringLiteral("宋体"));
    // Tables aligned with blanks (j.txt) stay aligned: half-width figures and blanks.
#ifdef Q_OS_WIN
    QSKIP("宋体 is SimSun on Windows, a face Wine does not have");
#endif
    HB_REQUIRE(QFontDatabase::hasFamily(songFace()),
               songFace() + " (fonts-arphic-gbsn00lp) is not installed");
    const QFontMetrics metrics(box(app)->font());
    QCOMPARE(QFontInfo(box(app)->font()).family(), songFace());
    for (const char* c : {" ", "1", "%", "m"})
        QCOMPARE(metrics.horizontalAdvance(c) * 2, metrics.horizontalAdvance("年"));
}

void TestTexts::showingAgainDropsEdits() {
    TestApp app;
    const LegalText& a = legalTexts()[0];
    const LegalText& b = legalTexts()[7];
    app.trigger(QString::fromUtf8(a.caption));
    QVERIFY(!box(app)->isReadOnly());
    box(app)->moveCursor(QTextCursor::Start);
    box(app)->insertPlainText(QStringLiteral("改动"));
    QVERIFY(box(app)->toPlainText().startsWith(QStringLiteral("改动")));
    app.trigger(QString::fromUtf8(b.caption));
    QCOMPARE(box(app)->toPlainText(), shownText(legalTextBytes(b)));
    app.trigger(QString::fromUtf8(a.caption));
    QCOMPARE(box(app)->toPlainText(), shownText(legalTextBytes(a)));
    QCOMPARE(readFileBytes(shownPath(app)), legalTextBytes(a));
}

void TestTexts::closeHidesAndKeepsPath() {
    TestApp app;
    QVERIFY(app.start());
    app.trigger(QStringLiteral("笔录制作过程"));
    QCOMPARE(app.find(QStringLiteral("按钮3"))->toolTip(), QStringLiteral("关闭文件界面."));
    const QString path = shownPath(app);
    const QString text = box(app)->toPlainText();
    QTest::mouseClick(app.find<QPushButton>(QStringLiteral("按钮3")), Qt::LeftButton);
    for (const char* name : {"超级编辑框1", "按钮6", "按钮3"})
        QVERIFY(app.find(QString::fromUtf8(name))->isHidden());
    QCOMPARE(shownPath(app), path);
    QCOMPARE(box(app)->toPlainText(), text);
}

void TestTexts::rowsNeverShareAFile() {
    TestApp app;
    QSet<QString> names;
    for (const LegalText& t : legalTexts()) {
        names.insert(QString::fromUtf8(t.fileName));
        app.trigger(QString::fromUtf8(t.caption));
    }
    QCOMPARE(names.size(), qsizetype(legalTexts().size()));
    for (const LegalText& t : legalTexts())
        QCOMPARE(readFileBytes(app.dir(QStringLiteral("system/") + t.fileName)), legalTextBytes(t));
}

void TestTexts::systemFolderIsCreated() {
    TestApp app;
    app.ctx.paths.systemDir = app.dir(QStringLiteral("fresh/system"));
    app.trigger(QStringLiteral("最新劳动法"));
    QCOMPARE(shownPath(app), app.dir(QStringLiteral("fresh/system/a.txt")));
    QCOMPARE(readFileBytes(shownPath(app)), shippedTextBytes(QStringLiteral("a.txt")));
}

void TestTexts::failedWriteShowsNothingStale() {
    TestApp app;
    app.trigger(QStringLiteral("社会保险法"));
    const QString before = shownPath(app);
    // A folder that cannot exist: its parent is a plain file.
    writeFileBytes(app.dir(QStringLiteral("plain")), "x");
    app.ctx.paths.systemDir = app.dir(QStringLiteral("plain/system"));
    app.trigger(QStringLiteral("就业促进法"));
    QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
    QVERIFY(app.dialogs.lastText().contains(app.dir(QStringLiteral("plain/system/x.txt"))));
    QCOMPARE(shownPath(app), before);
    QCOMPARE(box(app)->toPlainText(), shownText(shippedTextBytes(QStringLiteral("u.txt"))));
}

void TestTexts::printButton_data() {
    QTest::addColumn<bool>("printSucceeds");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("printed") << true << QStringList{"check",     "create", "attach", "open %1",
                                                    "visible 0", "print",  "close",  "quit"};
    QTest::newRow("print failed") << false
                                  << QStringList{"check",     "create", "attach", "open %1",
                                                 "visible 0", "print",  "close",  "quit"};
}

void TestTexts::printButton() {
    QFETCH(bool, printSucceeds);
    QFETCH(QStringList, calls);
    TestApp app;
    app.office.printSucceeds = printSucceeds;
    app.trigger(QStringLiteral("劳动保障监察条例"));
    box(app)->setPlainText(QStringLiteral("改过的内容"));
    app.window->setStatusText(QString());
    QTest::mouseClick(app.find<QPushButton>(QStringLiteral("按钮6")), Qt::LeftButton);

    const QString path = app.dir(QStringLiteral("system/c.txt"));
    calls.replaceInStrings(QStringLiteral("%1"), path);
    QCOMPARE(app.office.calls, calls);
    QCOMPARE(app.window->record().hidden(Hidden::officePath), app.office.installedAt);
    if (printSucceeds) {
        QCOMPARE(app.window->statusText(), QStringLiteral("打印成功..."));
        QVERIFY(app.dialogs.shown.isEmpty());
    } else {
        QVERIFY(app.window->statusText().isEmpty());
        QCOMPARE(app.dialogs.shown.size(), qsizetype(1));
        QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("无 法 打 印："));
        QVERIFY(app.dialogs.lastText().contains(path));
        QVERIFY(app.dialogs.lastText().contains(app.office.error));
    }
}

void TestTexts::printWithoutOfficeSuite() {
    TestApp app;
    app.office.installedAt.clear();
    app.trigger(QStringLiteral("劳动保障监察条例"));
    QTest::mouseClick(app.find<QPushButton>(QStringLiteral("按钮6")), Qt::LeftButton);
    QCOMPARE(app.office.calls, QStringList{"check"});
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件."));
    QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("无 法 打 印："));
}

void TestTexts::helpItems_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("present");
    for (const bool present : {true, false}) {
        QTest::addRow("contacts, %s", present ? "present" : "missing")
            << "市/镇/县/乡/村 劳动保障监察员联系方式"
            << "市镇县乡村劳动保障监察员联系方式.txt" << present;
        QTest::addRow("help, %s", present ? "present" : "missing") << "软件帮助"
                                                                   << "帮助.txt" << present;
    }
}

void TestTexts::helpItems() {
    QFETCH(QString, caption);
    QFETCH(QString, fileName);
    QFETCH(bool, present);
    TestApp app;
    if (present) QVERIFY(seedProgramDir(app.dir()));
    app.trigger(caption);
    const QString path = app.dir(fileName);
    QCOMPARE(shownPath(app), path);
    QVERIFY(box(app)->isVisibleTo(app.window.get()));
    QCOMPARE(box(app)->geometry(), QRect(1, 64, 1017, 506));
    QVERIFY(app.dialogs.shown.isEmpty());
    if (present) {
        QVERIFY(readFileBytes(path).size() > 1000);
        QCOMPARE(box(app)->toPlainText(), shownText(readFileBytes(path)));
    } else {
        QVERIFY(box(app)->toPlainText().isEmpty());
    }
    // The print button prints the help file itself.
    QTest::mouseClick(app.find<QPushButton>(QStringLiteral("按钮6")), Qt::LeftButton);
    QVERIFY(app.office.calls.contains(QStringLiteral("open ") + path));
}

QTEST_MAIN(TestTexts)
#include "test_texts.moc"
