#include <QtTest>

#include "platform/files.h"
#include "platform/gbk.h"
#include "record/template.h"
#include "support/test_app.h"

using namespace hb;
using hb::test::TestApp;

namespace {

void fillEveryField(InquiryRecord& r) {
    for (int i = 0; i < kFieldCount; ++i)
        r.setText(Field(i), QStringLiteral("值%1：%2").arg(i + 1).arg(fields()[i].name));
}

}  // namespace

class TestTemplate : public QObject {
    Q_OBJECT
  private slots:
    void roundTrip();
    void missingKeysEmptyTheirFields();
    void notATemplate_data();
    void notATemplate();
    void longValueComesBackCut();
    void openCommand();
};

void TestTemplate::roundTrip() {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    // The rest of an existing file stays.
    writeFileBytes(path,
                   toGbkLines(QStringLiteral("[other]\nkeep=保留\n[set]\nnum1=旧\nextra=x\n")));
    MemoryRecord written;
    fillEveryField(written);
    QVERIFY(writeTemplate(written, path));
    const QByteArray bytes = readFileBytes(path);
    QVERIFY(bytes.startsWith(toGbk(QStringLiteral("[other]\r\nkeep=保留\r\n[set]\r\nnum1=值1："))));
    QVERIFY(bytes.contains(toGbk(QStringLiteral("\r\nbeizu=值71：caseNotes\r\n"))));
    QVERIFY(bytes.contains("extra=x\r\n"));

    MemoryRecord read;
    QCOMPARE(loadTemplate(read, path), TemplateRead::Loaded);
    for (int i = 0; i < kFieldCount; ++i) QCOMPARE(read.text(Field(i)), written.text(Field(i)));

    // Empty fields are written as empty values, the key present.
    MemoryRecord empty;
    QVERIFY(writeTemplate(empty, path));
    QVERIFY(readFileBytes(path).contains("\r\nnum70=\r\n"));
}

void TestTemplate::missingKeysEmptyTheirFields() {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    writeFileBytes(path, toGbkLines(QStringLiteral("[SET]\nnum23=问：单位名称？\nNUM10=张三\n")));
    MemoryRecord r;
    fillEveryField(r);
    r.insertItem(answer(1), 0, QStringLiteral("答：列表项"));
    QCOMPARE(loadTemplate(r, path), TemplateRead::Loaded);
    QCOMPARE(r.text(question(1)), QStringLiteral("问：单位名称？"));
    QCOMPARE(r.text(Field::personName), QStringLiteral("张三"));
    QCOMPARE(r.text(answer(1)), QString());
    QCOMPARE(r.text(Field::caseNotes), QString());
    QCOMPARE(r.items(answer(1)), QStringList{"答：列表项"});
}

void TestTemplate::notATemplate_data() {
    QTest::addColumn<QByteArray>("content");  // null: no file
    QTest::addColumn<int>("result");
    QTest::newRow("no file") << QByteArray() << int(TemplateRead::Unreadable);
    QTest::newRow("no section set")
        << QByteArray("[fenye]\r\nnum1=x\r\n") << int(TemplateRead::NotATemplate);
}

void TestTemplate::notATemplate() {
    QFETCH(QByteArray, content);
    QFETCH(int, result);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    if (!content.isNull()) writeFileBytes(path, content);
    MemoryRecord r;
    fillEveryField(r);
    MemoryRecord before;
    fillEveryField(before);
    QCOMPARE(int(loadTemplate(r, path)), result);
    for (int i = 0; i < kFieldCount; ++i) QCOMPARE(r.text(Field(i)), before.text(Field(i)));
}

void TestTemplate::longValueComesBackCut() {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    MemoryRecord r;
    r.setText(Field::caseNotes, QString(6000, QChar(0x4E2D)));  // 12,000 GBK bytes
    QVERIFY(writeTemplate(r, path));
    MemoryRecord back;
    loadTemplate(back, path);
    QCOMPARE(toGbk(back.text(Field::caseNotes)).size(), 10238);  // never half a character
    QCOMPARE(back.text(Field::caseNotes), QString(5119, QChar(0x4E2D)));
}

void TestTemplate::openCommand() {
    TestApp app;
    InquiryRecord& r = app.window->record();
    r.setText(Field::workUnit, QStringLiteral("已录入"));
    app.trigger(QStringLiteral("打开(笔录模板)"));  // cancelled
    QCOMPARE(app.dialogs.fileDialogs.value(0).designName, QStringLiteral("通用对话框2"));
    QCOMPARE(app.dialogs.fileDialogs.value(0).filter, QStringLiteral("*.ini 笔录模板文件|*.ini"));
    QCOMPARE(app.dialogs.lastText(), " 没有选择正确的笔录模板 *.ini文件，模板文件保存在 <" +
                                         QDir::toNativeSeparators(app.dir("BL/")) + "> 目录中。");
    QCOMPARE(app.dialogs.shown.value(0).caption, QStringLiteral("提示："));
    QCOMPARE(r.text(Field::workUnit), QStringLiteral("已录入"));

    const QString path = app.dir("a.ini");
    writeFileBytes(path, toGbkLines(QStringLiteral("[set]\nnum16=澄屿公司\n")));
    app.dialogs.files << path;
    app.trigger(QStringLiteral("打开(笔录模板)"));
    QCOMPARE(r.text(Field::workUnit), QStringLiteral("澄屿公司"));
    QCOMPARE(r.hidden(Hidden::templatePath), path);
    QCOMPARE(app.dialogs.shown.size(), 1);

    // A file that is no template is refused with a message; what was typed stays.
    const QString other = app.dir("other.ini");
    writeFileBytes(other, toGbkLines(QStringLiteral("[fenye]\nhang1=x\n")));
    app.dialogs.files << other;
    app.trigger(QStringLiteral("打开(笔录模板)"));
    QCOMPARE(r.text(Field::workUnit), QStringLiteral("澄屿公司"));
    QCOMPARE(r.hidden(Hidden::templatePath), path);
    QVERIFY(app.dialogs.lastText().contains(QStringLiteral("笔录内容没有改变")));
}

QTEST_MAIN(TestTemplate)
#include "test_template.moc"
