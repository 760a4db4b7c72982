// The COM office against the project's fake automation server, registered in Wine's registry
// as Word (with the App Paths entry of the office check) or as WPS alone.
#include <windows.h>

#include <QtTest>

#include "document/composer.h"
#include "document/desk.h"
#include "office/com_office.h"

using namespace hb;
using hb::test::Desk;

namespace {

const QString kWordClsid = QStringLiteral("{4842B0E1-0000-4000-8000-000000000001}");
const QString kWpsClsid = QStringLiteral("{4842B0E1-0000-4000-8000-000000000002}");
const QString kAppPaths =
    QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe");

void setValue(const QString& key, const QString& name, const QString& value) {
    QVERIFY(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.toStdWString().c_str(),
                            name.isEmpty() ? nullptr : name.toStdWString().c_str(), REG_SZ,
                            value.toStdWString().c_str(),
                            DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
}

void registerServer(const QString& progId, const QString& clsid) {
    const QString classes = QStringLiteral("SOFTWARE\\Classes\\");
    setValue(classes + progId + QStringLiteral("\\CLSID"), {}, clsid);
    const QString server =
        classes + QStringLiteral("CLSID\\") + clsid + QStringLiteral("\\InprocServer32");
    setValue(server, {},
             QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                      QStringLiteral("/fake_automation.dll")));
    setValue(server, QStringLiteral("ThreadingModel"), QStringLiteral("Apartment"));
}

void unregisterAll() {
    for (const QString& key :
         {QStringLiteral("Word.Application"), QStringLiteral("Excel.Application"),
          QStringLiteral("KWPS.Application"), QStringLiteral("KET.Application"),
          QStringLiteral("CLSID\\") + kWordClsid, QStringLiteral("CLSID\\") + kWpsClsid})
        RegDeleteTreeW(HKEY_LOCAL_MACHINE,
                       (QStringLiteral("SOFTWARE\\Classes\\") + key).toStdWString().c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppPaths.toStdWString().c_str());
}

}  // namespace

class TestComOffice : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString log_;

    QStringList calls() {
        QFile f(log_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

  private slots:
    void init() {
        unregisterAll();
        log_ = dir_.filePath(QStringLiteral("calls.log"));
        QFile::remove(log_);
        qputenv("HB_FAKE_OFFICE_LOG", QDir::toNativeSeparators(log_).toUtf8());
    }
    void cleanupTestCase() { unregisterAll(); }

    // A whole record through Word: every segment arrives as typed, in its formatting, and the
    // document is saved as Word 97 and closed unsaved-changes-free before Word quits.
    void wordComposesAndSavesTheRecord() {
        registerServer(QStringLiteral("Word.Application"), kWordClsid);
        setValue(kAppPaths, QStringLiteral("Path"),
                 QStringLiteral("C:\\Program Files\\Microsoft Office\\root\\Office16\\"));
        Desk expected;
        expected.fillLines({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        composeRecordDocument(expected.ctx);

        Desk desk;
        desk.fillLines({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        ComOfficeSuite word;
        desk.ctx.office = &word;
        QVERIFY(isOfficeInstalled(desk.ctx));
        QVERIFY(composeRecordDocument(desk.ctx).documentReady);
        const QString saved = desk.bl(QStringLiteral("record.doc"));
        QVERIFY(word.saveAs(saved));
        word.close();
        word.quit();

        const QStringList log = calls();
        QCOMPARE(log.value(0), QStringLiteral("new ") + kWordClsid);
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
        for (const char* call : {"Application.Visible=False", "Application.Selection.Font.Bold=1",
                                 "Application.Selection.Font.Size=22",
                                 "Application.Selection.ParagraphFormat.Alignment=1",
                                 "Application.Selection.ParagraphFormat.LineSpacingRule=4",
                                 "Application.Selection.ParagraphFormat.Borders(-3).LineStyle=1",
                                 "Application.Selection.ParagraphFormat.Borders(-6).LineStyle=1",
                                 "Application.Selection.Font.Underline=1"})
            QVERIFY2(log.contains(QLatin1String(call)), call);
        QCOMPARE(log.mid(log.size() - 3),
                 QStringList(
                     {QStringLiteral("Document.SaveAs(%1, 0)").arg(QDir::toNativeSeparators(saved)),
                      QStringLiteral("Document.Close(0)"), QStringLiteral("Application.Quit(0)")}));
    }

    // Without Word, WPS's writer and spreadsheet take the same calls.
    void wpsStandsInWhenWordIsMissing() {
        registerServer(QStringLiteral("KWPS.Application"), kWpsClsid);
        registerServer(QStringLiteral("KET.Application"), kWpsClsid);
        ComOfficeSuite office;
        QVERIFY(!office.programDirectory().isEmpty());
        office.create();
        office.attach();
        QVERIFY(office.open(QStringLiteral("C:\\ws1.doc")));
        QVERIFY(office.print());
        office.spreadsheetCreate();
        office.spreadsheetAttach();
        QVERIFY(office.spreadsheetOpen(QStringLiteral("C:\\ws28.xls")));
        office.spreadsheetShow();
        QCOMPARE(calls(),
                 QStringList(
                     {QStringLiteral("new ") + kWpsClsid, QStringLiteral("Application.Documents()"),
                      QStringLiteral("Application.Documents.Open(C:\\ws1.doc)"),
                      QStringLiteral("Application.Selection()"),
                      QStringLiteral("Document.PrintOut(False, False, 0, , 1, 1, 0, 1, "
                                     ", 0, False, False, -, -, 1, 1, 11907, 16839)"),
                      QStringLiteral("new ") + kWpsClsid, QStringLiteral("Application.Workbooks()"),
                      QStringLiteral("Application.Workbooks.Open(C:\\ws28.xls)"),
                      QStringLiteral("Application.Visible=True")}));
    }

    // With neither, the check fails and the callers show their own message.
    void noSuiteFailsTheCheck() { QVERIFY(ComOfficeSuite().programDirectory().isEmpty()); }
};

QTEST_GUILESS_MAIN(TestComOffice)
#include "test_com_office.moc"
