// The COM office against our own automation server, registered in Wine's registry as Word
// (with the App Paths entry of the office check), or as WPS alone.
#include <QtTest>

#include "document/composer.h"
#include "document/desk.h"
#include "office/com_office.h"

using namespace hb;

class TestComOffice : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString log_ = dir_.filePath(QStringLiteral("calls.log"));
    QSettings machine_{QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE"), QSettings::NativeFormat};
    const QString appPaths_ =
        QStringLiteral("Microsoft/Windows/CurrentVersion/App Paths/Winword.exe");

    void registerServer(const QString& progId, const QString& clsid) {
        machine_.setValue(QStringLiteral("Classes/%1/CLSID/Default").arg(progId), clsid);
        const QString server = QStringLiteral("Classes/CLSID/%1/InprocServer32/").arg(clsid);
        machine_.setValue(server + QStringLiteral("Default"),
                          QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/fake_automation.dll")));
        machine_.setValue(server + QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"));
    }
    QStringList calls() {
        QFile f(log_);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

  private slots:
    void init() {
        for (const char* key : {"Word.Application", "Excel.Application", "KWPS.Application",
                                "KET.Application", "CLSID/{4842B0E1-0000-4000-8000-000000000001}",
                                "CLSID/{4842B0E1-0000-4000-8000-000000000002}"})
            machine_.remove(QStringLiteral("Classes/") + QLatin1String(key));
        machine_.remove(appPaths_);
        machine_.sync();
        QFile::remove(log_);
        qputenv("HB_FAKE_OFFICE_LOG", QDir::toNativeSeparators(log_).toUtf8());
    }
    void cleanupTestCase() { init(); }

    // A whole record through Word: every segment arrives as the in-process model has it, in
    // its formatting; the document is saved as Word 97, closed without a question, Word quits.
    void wordComposesAndSavesTheRecord() {
        registerServer(QStringLiteral("Word.Application"),
                       QStringLiteral("{4842B0E1-0000-4000-8000-000000000001}"));
        machine_.setValue(appPaths_ + QStringLiteral("/Path"),
                          QStringLiteral("C:\\Program Files\\Microsoft Office\\root\\Office16\\"));
        test::Desk expected, desk;
        expected.fillLines({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        composeRecordDocument(expected.ctx);
        desk.fillLines({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        ComOfficeSuite word;
        desk.ctx.office = &word;
        QVERIFY(isOfficeInstalled(desk.ctx));
        QVERIFY(composeRecordDocument(desk.ctx).documentReady);
        const QString saved = QDir::toNativeSeparators(desk.bl(QStringLiteral("record.doc")));
        QVERIFY(word.saveAs(saved));
        word.close();
        word.quit();

        const QStringList log = calls();
        QVERIFY(
            log.contains(QStringLiteral("Application.Documents.Open(%1)")
                             .arg(QDir::toNativeSeparators(desk.bl(QStringLiteral("Doc.doc"))))));
        QStringList typed, sent;
        for (QString c : expected.office.callsStartingWith(QStringLiteral("type ")))
            typed << c.mid(5)
                         .replace(QLatin1Char('\r'), QLatin1String("\\r"))
                         .replace(QLatin1Char('\n'), QLatin1String("\\n"));
        const QString typing = QStringLiteral("Application.Selection.TypeText(");
        for (const QString& c : log)
            if (c.startsWith(typing)) sent << c.mid(typing.size()).chopped(1);
        QCOMPARE(sent, typed);
        for (const char* call :
             {"Application.Visible=False", "Application.Selection.Font.Bold=1",
              "Application.Selection.Font.Size=22", "Application.Selection.Font.Underline=1",
              "Application.Selection.ParagraphFormat.Alignment=1",
              "Application.Selection.ParagraphFormat.LineSpacingRule=4",
              "Application.Selection.ParagraphFormat.Borders(-3).LineStyle=1",
              "Application.Selection.ParagraphFormat.Borders(-6).LineStyle=1"})
            QVERIFY2(log.contains(QLatin1String(call)), call);
        QCOMPARE(log.mid(log.size() - 3).join(QLatin1Char('|')),
                 QStringLiteral("Document.SaveAs(%1, 0)|Document.Close(0)|Application.Quit(0)")
                     .arg(saved));
    }

    // Without Word, WPS's writer and spreadsheet take the same calls; with neither, the check
    // fails.
    void wpsStandsInWhenWordIsMissing() {
        ComOfficeSuite office;
        QVERIFY(office.programDirectory().isEmpty());
        registerServer(QStringLiteral("KWPS.Application"),
                       QStringLiteral("{4842B0E1-0000-4000-8000-000000000002}"));
        registerServer(QStringLiteral("KET.Application"),
                       QStringLiteral("{4842B0E1-0000-4000-8000-000000000002}"));
        QVERIFY(!office.programDirectory().isEmpty());
        office.create();
        office.attach();
        QVERIFY(office.open(QStringLiteral("C:\\ws1.doc")));
        QVERIFY(office.print());
        office.spreadsheetCreate();
        office.spreadsheetAttach();
        QVERIFY(office.spreadsheetOpen(QStringLiteral("C:\\ws28.xls")));
        office.spreadsheetShow();
        QCOMPARE(
            calls().join(QLatin1Char('|')),
            QStringLiteral("new {4842B0E1-0000-4000-8000-000000000002}|Application.Documents()|"
                           "Application.Documents.Open(C:\\ws1.doc)|Application.Selection()|"
                           "Document.PrintOut(False, False, 0, , 1, 1, 0, 1, , 0, False, False, "
                           "-, -, 1, 1, 11907, 16839)|new {4842B0E1-0000-4000-8000-000000000002}|"
                           "Application.Workbooks()|Application.Workbooks.Open(C:\\ws28.xls)|"
                           "Application.Visible=True"));
    }
};

QTEST_GUILESS_MAIN(TestComOffice)
#include "test_com_office.moc"
