#include <QDir>
#include <QStringEncoder>
#include <QtTest>

#include "platform/files.h"
#include "platform/gb18030.h"
#include "platform/gbk.h"

using namespace hb;

class TestGbk : public QObject {
    Q_OBJECT
  private slots:
    void gbkStopsAtNul();
    void gb18030_data();
    void gb18030();
    void gb18030TablesMatchQt();
    void shippedTextsAreGbk();
};

void TestGbk::gbkStopsAtNul() {
    QCOMPARE(fromGbk(toGbk("询问") + QByteArray("\0尾", 4)), QStringLiteral("询问"));
    QVERIFY(!isGbkEncodable(QStringLiteral("😀")));
    QCOMPARE(toGbkLines("a\nb\r\nc"), QByteArray("a\r\nb\r\nc"));
    // A value cut inside a character never passes the cut byte on to the next value.
    QVERIFY(fromGbk("\xD1\xAF\xCE").startsWith(QStringLiteral("询")));
    QCOMPARE(fromGbk("\xCA\xB1"), QStringLiteral("时"));
}

void TestGbk::gb18030_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << "daan12=a b" << QByteArray("daan12=a b");
    QTest::newRow("GBK text keeps its GBK bytes")
        << "询问笔录·—" << QByteArray("\xD1\xAF\xCE\xCA\xB1\xCA\xC2\xBC\xA1\xA4\xA1\xAA");
    QTest::newRow("euro sign, GBK's one byte") << "€5"
                                               << QByteArray(
                                                      "\x80"
                                                      "5");
    QTest::newRow("outside GBK, four bytes") << "王𠮷" << QByteArray("\xCD\xF5\x95\x34\xB2\x35");
    QTest::newRow("outside GBK, two bytes") << "ḿ" << QByteArray("\xA8\xBC");
    QTest::newRow("emoji between GBK") << "甲😀乙" << QByteArray("\xBC\xD7\x94\x39\xFC\x36\xD2\xD2");
}

void TestGbk::gb18030() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toGb18030(text), bytes);
    QCOMPARE(fromGbk(bytes), text);
    // A cut never splits a character.
    for (qsizetype n = 0; n <= bytes.size(); ++n)
        QVERIFY(text.startsWith(fromGbk(cutGbk(bytes, n))));
}

// The tables serve where Qt has no GB18030; where it has, they must agree with it everywhere.
void TestGbk::gb18030TablesMatchQt() {
    if (!QStringEncoder("GB18030").isValid()) QSKIP("Qt has no GB18030 here");
    int differences = 0;
    for (char32_t cp = 0x80; cp <= 0x10FFFF; cp += cp < 0x10000 ? 1 : 0x3FF) {
        // Qt's encoder drops a byte-order mark, which the tables keep.
        if ((cp >= 0xD800 && cp < 0xE000) || cp == 0xFEFF) continue;
        const QString c = QString::fromUcs4(&cp, 1);
        QStringEncoder gbk("GBK");
        const QByteArray cp936 = gbk.encode(c);
        const QByteArray expected = QStringEncoder("GB18030").encode(c);
        const QByteArray beyond = gb18030::encodeBeyondCp936(cp);
        const auto hex = QString::number(cp, 16);
        QCOMPARE_EQ(beyond, !gbk.hasError() && cp936 == expected ? QByteArray() : expected);
        if (beyond.size() == 4)
            QVERIFY2(gb18030::decodeFourBytes(beyond.data()) == cp, qPrintable(hex));
        if (beyond.size() == 2) {
            QVERIFY2(gb18030::twoByteDifference(beyond[0], beyond[1]) == cp, qPrintable(hex));
            ++differences;
        }
    }
    QCOMPARE(differences, 82);
}

void TestGbk::shippedTextsAreGbk() {
    const QStringList dirs = {":/hengbi/texts", ":/hengbi/defaults"};
    int files = 0;
    for (const QString& dir : dirs) {
        for (const QString& name : QDir(dir).entryList(QDir::Files)) {
            const QString text = QString::fromUtf8(readFileBytes(dir + '/' + name));
            QVERIFY2(isGbkEncodable(text), qPrintable(name));
            ++files;
        }
    }
    QVERIFY(files >= 23);
}

QTEST_GUILESS_MAIN(TestGbk)
#include "test_gbk.moc"
