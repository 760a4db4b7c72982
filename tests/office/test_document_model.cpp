#include <QXmlStreamReader>
#include <QtTest>

#include "office/document_model.h"

using namespace hb;

class TestDocumentModel : public QObject {
    Q_OBJECT
  private slots:
    void typingMakesParagraphsAndRuns();
    void flatOdfOnTheBlankPage();
    void foreignSkeletonRefused();
};

void TestDocumentModel::typingMakesParagraphsAndRuns() {
    DocumentModel m;
    m.setAlignment(Alignment::Centre);
    m.setSize(22);
    m.setBold(true);
    m.type(QStringLiteral("标题\r\n\r\n"));
    m.setBold(false);
    m.setSize(14);
    m.setAlignment(Alignment::Left);
    m.type(QStringLiteral("甲："));
    m.setUnderline(true);
    m.type(QStringLiteral("  乙"));
    m.type(QStringLiteral("丙\r\n"));
    m.setUnderline(false);
    m.type(QStringLiteral("末"));

    const QList<Paragraph>& p = m.paragraphs();
    QCOMPARE(p.size(), 4);
    QCOMPARE(p[0].text(), QStringLiteral("标题"));
    QCOMPARE(p[0].alignment, Alignment::Centre);
    QCOMPARE(p[0].mark, (RunFormat{true, 22, false}));
    // The empty second paragraph keeps the title's size and alignment: it is a title line.
    QVERIFY(p[1].runs.isEmpty());
    QCOMPARE(p[1].mark, (RunFormat{true, 22, false}));
    QCOMPARE(p[1].alignment, Alignment::Centre);
    QCOMPARE(p[2].alignment, Alignment::Left);
    QCOMPARE(p[2].runs.size(), 2);  // same formatting typed twice makes one run
    QCOMPARE(p[2].runs[1].text, QStringLiteral("  乙丙"));
    QCOMPARE(p[2].runs[1].format, (RunFormat{false, 14, true}));
    QCOMPARE(p[2].mark, (RunFormat{false, 14, true}));
    QCOMPARE(p[3].text(), QStringLiteral("末"));
}

void TestDocumentModel::flatOdfOnTheBlankPage() {
    DocumentModel m;
    m.setSize(22);
    m.setBold(true);
    m.type(QStringLiteral("a & <b> \"c\"\r\n"));
    m.setUnderline(true);
    m.type(QStringLiteral("问") + QString(66, QLatin1Char(' ')) + QStringLiteral("\r\n"));
    const QByteArray skeleton = blankDocumentSource();
    QVERIFY(!skeleton.isEmpty());
    const QString odf = QString::fromUtf8(m.toFlatOdf(skeleton));

    QXmlStreamReader xml(odf);
    int paragraphs = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"p") ++paragraphs;
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(paragraphs, 3 + 2);  // the header's and footer's empty paragraphs stay
    // The page setup of the blank document is kept as it is.
    QVERIFY(odf.contains(QStringLiteral("fo:margin-left=\"2.4007cm\"")));
    QVERIFY(odf.contains(QStringLiteral("style:layout-grid-mode=\"line\"")));
    QVERIFY(odf.contains(
        QStringLiteral("a<text:s text:c=\"1\"/>&amp;<text:s text:c=\"1\"/>&lt;b&gt;<text:s "
                       "text:c=\"1\"/>&quot;c&quot;")));
    QVERIFY(odf.contains(QStringLiteral("问<text:s text:c=\"66\"/>")));
    QVERIFY(odf.contains(QStringLiteral("style:font-size-asian=\"22pt\"")));
    QVERIFY(odf.contains(QStringLiteral("style:font-weight-asian=\"bold\"")));
    QVERIFY(odf.contains(QStringLiteral("style:text-underline-style=\"solid\"")));
}

void TestDocumentModel::foreignSkeletonRefused() {
    DocumentModel m;
    m.type(QStringLiteral("x"));
    QVERIFY(m.toFlatOdf("<html/>").isEmpty());
    const QString bare = QString::fromUtf8(m.toFlatOdf(
        "<office:document><office:body><office:text/></office:body></office:document>"));
    QVERIFY(bare.contains(QStringLiteral("<office:automatic-styles>")));
    QVERIFY(bare.contains(QStringLiteral(">x</text:span></text:p>\n</office:text>")));
}

QTEST_GUILESS_MAIN(TestDocumentModel)
#include "test_document_model.moc"
