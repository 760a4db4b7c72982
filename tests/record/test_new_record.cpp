#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "support/test_app.h"
#include "support/ui.h"

using namespace hb;
using hb::test::TestApp;

namespace {

struct Snapshot {
    QStringList texts;
    QList<QStringList> lists;
    QString status;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(TestApp& app) {
    Snapshot s;
    InquiryRecord& r = app.window->record();
    for (int i = 0; i < kFieldCount; ++i) {
        s.texts << r.text(Field(i));
        s.lists << r.items(Field(i));
    }
    s.status = r.hidden(Hidden::statusMessage);
    return s;
}

QComboBox* listField(TestApp& app, Field f) {
    return app.find<QComboBox>(fieldSpec(f).designName);
}

void pick(TestApp& app, Field f, int index) {
    test::pick(listField(app, f), index);
}

}  // namespace

class TestNewRecord : public QObject {
    Q_OBJECT
  private slots:
    void newEmptiesTheRecord_data();
    void newEmptiesTheRecord();
    void cancelLeavesEverything();
    void namePicks();
    void workUnitPick();
    void typingOffersNothing_data();
    void typingOffersNothing();
    void typedTextStaysAsTyped();
};

void TestNewRecord::newEmptiesTheRecord_data() {
    QTest::addColumn<QString>("workUnit");
    QTest::addColumn<int>("questions");
    QTest::newRow("no work unit: no question") << "" << 0;
    QTest::newRow("work unit: confirmed") << "澄屿建筑公司" << 1;
}

void TestNewRecord::newEmptiesTheRecord() {
    QFETCH(QString, workUnit);
    QFETCH(int, questions);
    TestApp app("[pop]\ntanchu=0\n[biludidian]\ndidian1=澄屿市\n");
    app.start();
    InquiryRecord& r = app.window->record();
    for (Field f : {Field::personName, Field::idNumber, Field::phone, Field::endHour})
        r.setText(f, "1");
    r.setText(Field::workUnit, workUnit);
    r.setText(Field::position, "会计");
    r.setText(question(1), "问：你好");
    r.setText(Field::caseNotes, "备注");
    r.setText(Field::idKind, "护照");
    r.setHidden(Hidden::templatePath, "/t.ini");
    r.setHidden(Hidden::textFilePath, "/s/y.txt");
    r.setHidden(Hidden::statusMessage, "打 印 成 功！");
    app.clock.time = QDateTime(QDate(2027, 1, 2), QTime(8, 30));

    app.trigger("新建(笔录)");
    QCOMPARE(app.dialogs.shown.size(), questions);
    if (questions) {
        QCOMPARE(app.dialogs.shown[0].text, QStringLiteral("你确认要新建一份新的笔录？"));
        QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("提 示："));
    }
    for (Field f : {Field::personName, Field::idNumber, Field::phone, Field::endHour,
                    Field::workUnit, Field::otherContact, question(1), answer(1), Field::caseNotes,
                    Field::placeDetail, Field::officer})
        QCOMPARE(r.text(f), QString());
    QCOMPARE(r.text(Field::idKind), QStringLiteral("身份证"));
    QCOMPARE(r.text(Field::sex), QStringLiteral("男"));
    QCOMPARE(r.text(Field::place), QStringLiteral("澄屿市"));
    QCOMPARE(r.text(Field::position), QStringLiteral("会计"));
    QCOMPARE(r.text(Field::startYear), QStringLiteral("2027"));
    QCOMPARE(r.text(Field::startMinute), QStringLiteral("30"));
    QCOMPARE(r.items(question(1)), QStringList{"问："});
    QCOMPARE(r.hidden(Hidden::templatePath), QString());
    QCOMPARE(r.hidden(Hidden::textFilePath), QStringLiteral("/s/y.txt"));
    QCOMPARE(r.hidden(Hidden::statusMessage), QStringLiteral(" 程 序 版 本 V 2.3"));
}

void TestNewRecord::cancelLeavesEverything() {
    TestApp app;
    app.start();
    InquiryRecord& r = app.window->record();
    r.setText(Field::workUnit, "单位");
    r.setText(question(3), "问：x");
    r.setHidden(Hidden::statusMessage, "已保存");
    pick(app, question(2), 0);
    const Snapshot before = snapshot(app);
    app.dialogs.answers.enqueue(Answer::Cancel);
    app.trigger("新建(笔录)");
    QVERIFY(snapshot(app) == before);
}

void TestNewRecord::namePicks() {
    TestApp app;
    app.start();
    InquiryRecord& r = app.window->record();
    r.setText(Field::personName, "张三");
    pick(app, question(2), 0);
    pick(app, question(2), 0);
    r.setText(Field::personName, "李四");
    pick(app, question(2), 0);
    QCOMPARE(r.items(answer(2)), (QStringList{"答：李四", "答：张三", "答：张三", "答："}));
    QCOMPARE(r.text(answer(2)), QStringLiteral("答："));
    QCOMPARE(r.text(question(2)), QStringLiteral("问："));
}

void TestNewRecord::workUnitPick() {
    TestApp app;
    app.start();
    InquiryRecord& r = app.window->record();
    r.setText(Field::workUnit, "W");
    test::pickWithKeys(listField(app, question(3)), 0);
    QCOMPARE(r.items(answer(3)).first(), QStringLiteral("答：W"));
    QCOMPARE(r.items(question(4)).first(), QStringLiteral("问：W负责人是谁？"));
    QCOMPARE(r.text(question(4)), QString());
    r.setText(Field::workUnit, "");
    pick(app, question(3), 0);
    QCOMPARE(r.items(question(4)).first(), QStringLiteral("问：负责人是谁？"));
}

void TestNewRecord::typingOffersNothing_data() {
    QTest::addColumn<QString>("typed");  // after the shown "问："
    QTest::addColumn<QList<Qt::Key>>("keys");
    QTest::addColumn<bool>("openList");  // F4 before the keys
    QTest::newRow("Tab") << "你" << QList<Qt::Key>{Qt::Key_Tab} << false;
    QTest::newRow("Enter") << "你" << QList<Qt::Key>{Qt::Key_Return} << false;
    QTest::newRow("a whole item, then Tab")
        << "你叫什么名字？" << QList<Qt::Key>{Qt::Key_Tab} << false;
    QTest::newRow("arrow on the closed field") << "" << QList<Qt::Key>{Qt::Key_Down} << false;
    QTest::newRow("list opened, Escape") << "你" << QList<Qt::Key>{Qt::Key_Escape} << true;
}

void TestNewRecord::typingOffersNothing() {
    QFETCH(QString, typed);
    QFETCH(QList<Qt::Key>, keys);
    QFETCH(bool, openList);
    TestApp app("[pop]\ntanchu=0\n[wenti2]\nwenti1=问：你叫什么名字？\n");
    app.start();
    InquiryRecord& r = app.window->record();
    r.setText(Field::personName, "张三");
    QComboBox* q2 = listField(app, question(2));
    test::click(q2->lineEdit());
    test::key(Qt::Key_End);
    test::type(typed);
    if (openList) test::key(Qt::Key_F4);
    for (Qt::Key k : keys) test::key(k);
    QCOMPARE(r.items(answer(2)), QStringList{"答："});
    QCOMPARE(r.items(answer(3)).size(), 3);
    if (keys.first() != Qt::Key_Down) QCOMPARE(r.text(question(2)), "问：" + typed);
}

void TestNewRecord::typedTextStaysAsTyped() {
    // Set.ini offers whole phrases that begin with what the officer types.
    TestApp app(
        "[pop]\ntanchu=0\n[daan8]\ndaan1=答：签了，合同期限  年，合同在单位，我手里没有。\n");
    app.start();
    QComboBox* a8 = listField(app, answer(8));
    test::click(a8->lineEdit());
    test::key(Qt::Key_End);
    test::type("签了");
    test::key(Qt::Key_Tab);
    QCOMPARE(app.window->record().text(answer(8)), QStringLiteral("答：签了"));
    // A pasted line break becomes one blank per run, in edits and list fields alike.
    for (Field f : {answer(8), Field::workUnit}) {
        QApplication::clipboard()->setText("问：第一行\r\n\n第二行\n[set]\nnum16=x");
        test::click(app.find(fieldSpec(f).designName));
        test::key(Qt::Key_A, Qt::ControlModifier);
        test::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(app.window->record().text(f), QStringLiteral("问：第一行 第二行 [set] num16=x"));
    }
}

QTEST_MAIN(TestNewRecord)
#include "test_new_record.moc"
