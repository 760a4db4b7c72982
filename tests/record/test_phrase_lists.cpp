#include <QtTest>

#include "support/test_app.h"

using namespace hb;
using hb::test::TestApp;

class TestPhraseLists : public QObject {
    Q_OBJECT
  private slots:
    void lists_data();
    void lists();
    void newTwiceGivesTheListsOfOneNew();
};

void TestPhraseLists::lists_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("field");
    QTest::addColumn<QStringList>("items");
    const QString base = "[pop]\ntanchu=0\n";
    QTest::newRow("gaps in phrase keys close up")
        << base + "[wenti5]\nwenti2=问：二\nwenti7=问：七\nwenti11=问：不读\n"
        << int(question(5)) << QStringList{"问：二", "问：七", "问："};
    QTest::newRow("empty phrase values dropped")
        << base + "[daan3]\ndaan1=\ndaan2=答：在\ndaan9=答：不读\n"
        << int(answer(3)) << QStringList{"答：在", "答：会计", "答：农民工", "答："};
    QTest::newRow("empty place values kept")
        << base + "[Set1]\ndidian1=询问室\n"
        << int(Field::placeDetail) << QStringList{"询问室"} + QStringList(24, QString());
    QTest::newRow("duplicates and blanks as read")
        << base + "[name2]\nname1=  王  \nname2=王\n"
        << int(Field::otherParticipants)
        << QStringList{"王", "王"} + QStringList(8, QString()) + QStringList{"无", ""};
    QTest::newRow("section 25 ignored")
        << base + "[wenti25]\nwenti1=问：x\n[wenti24]\nwenti10=问：十\n"
        << int(question(24)) << QStringList{"问：十", "问："};
    QTest::newRow("household list")
        << base + "[Set2]\nhuji25=末\n"
        << int(Field::householdDetail) << QStringList(24, QString()) + QStringList{"末"};
}

void TestPhraseLists::lists() {
    QFETCH(QString, settings);
    QFETCH(int, field);
    QFETCH(QStringList, items);
    TestApp app(nullptr);
    app.writeSettings(settings);
    app.start();
    QCOMPARE(app.window->record().items(Field(field)), items);
    QCOMPARE(app.window->record().text(Field(field)),
             field == int(answer(3)) ? QStringLiteral("答：") : QString());
}

void TestPhraseLists::newTwiceGivesTheListsOfOneNew() {
    TestApp app("[pop]\ntanchu=0\n[name1]\nname1=甲\n[wenti2]\nwenti1=问：姓名？\n");
    app.start();
    InquiryRecord& r = app.window->record();
    QCOMPARE(r.items(Field::officer).size(), 11);  // ten values and the design item
    app.trigger("新建(笔录)");
    QVector<QStringList> once;
    for (int i = 0; i < kFieldCount; ++i) once << r.items(Field(i));
    app.trigger("新建(笔录)");
    for (int i = 0; i < kFieldCount; ++i) QCOMPARE(r.items(Field(i)), once[i]);
    QCOMPARE(r.items(Field::officer), (QStringList{"甲"} + QStringList(9, QString())));
    QCOMPARE(r.items(Field::recordKeeper), QStringList(10, QString()));
    QCOMPARE(r.items(question(2)), (QStringList{"问：姓名？", "问："}));
    QCOMPARE(r.items(answer(3)), QStringList{"答："});
}

QTEST_MAIN(TestPhraseLists)
#include "test_phrase_lists.moc"
