// Saving and printing from the menu, on the recording office.
#include <unistd.h>

#include <QLabel>
#include <QtTest>

#include "document/record_commands.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "resources/resources.h"
#include "support/file_size_limit.h"
#include "support/test_app.h"

using namespace hb;
using hb::test::TestApp;

namespace {

const QString kSave = QStringLiteral("保存(笔录及模板)");
const QString kPrint = QStringLiteral("打印(笔录)");

void fill(InquiryRecord& r) {
    const char* header[] = {"2026",   "9",          "15",     "9",      "05",   "10",
                            "40",     "澄屿市",     "询问室", "张三",   "男",   "吉林省",
                            "临江区", "居民身份证", "220201", "某公司", "经理", "138",
                            "无",     "李四",       "赵六",   "王五"};
    for (int i = 0; i < 22; ++i) r.setText(Field(i), QString::fromUtf8(header[i]));
    r.setText(question(1), QStringLiteral("问：姓名？"));
    r.setText(answer(1), QStringLiteral("答：张三。"));
}

struct Desk : TestApp {
    Desk() : TestApp("[pop]\ntanchu=0\n[fenye]\nhang1=甲\nhang2=乙\n") {
        fill(record());
        record().setHidden(Hidden::statusMessage, QStringLiteral("版本"));
    }
    InquiryRecord& record() { return window->record(); }
    QString document() { return dir("BL/2026.9.15-某公司-张三.doc"); }
    QString templateFile() { return dir("BL/2026.9.15-某公司-张三.ini"); }
    QString status() { return record().hidden(Hidden::statusMessage); }
    QStringList texts() const {
        QStringList out;
        for (const auto& s : dialogs.shown) out << s.text;
        return out;
    }
};

// BL that nothing can be written into, root included, while it lives.
struct LockedFolder {
    explicit LockedFolder(const QString& path) : path(path) {
        locked = geteuid() == 0 ? QProcess::execute("chattr", {"+i", path}) == 0
                                : QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~LockedFolder() {
        if (geteuid() == 0) QProcess::execute("chattr", {"-i", path});
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString path;
    bool locked = false;
};

}  // namespace

class TestRecordCommands : public QObject {
    Q_OBJECT
  private slots:
    void saveRefused_data();
    void saveRefused();
    void saveNewDocument();
    void saveOverExisting_data();
    void saveOverExisting();
    void saveFailureReported();
    void fullDiskKeepsEarlierFiles();
    void printCurrentRecord_data();
    void printCurrentRecord();
    void printWithDocDocLocked_data();
    void printWithDocDocLocked();
    void printSavedDocument_data();
    void printSavedDocument();
    void officeWorkLeavesTheWindowLive_data();
    void officeWorkLeavesTheWindowLive();
};

void TestRecordCommands::saveRefused_data() {
    QTest::addColumn<int>("field");  // emptied, or -1 for the office, -2 for an unsafe name
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no office") << -1 << "电 脑 没 有 安 装 WORD 办 公 软 件."
                               << "无法保存笔录为Word文档：";
    QTest::newRow("no work unit") << int(Field::workUnit)
                                  << " 笔录没有录入完成，工作单位等资料都没有添写. "
                                  << "提 示：";
    QTest::newRow("end hour without minute") << int(Field::endMinute) << " 笔录结束时间没有添写！ "
                                             << "提 示：";
    QTest::newRow("unsafe file name")
        << -2 << "“工作单位”含有字符“/”，不能用作笔录文件名。\n请修改后再保存或打印。"
        << "提 示：";
}

void TestRecordCommands::saveRefused() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    Desk app;
    if (field == -1) app.office.installedAt.clear();
    if (field == -2) app.record().setText(Field::workUnit, QStringLiteral("某/公司"));
    if (field >= 0) app.record().setText(Field(field), {});
    app.trigger(kSave);
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.lastText(), text);
    QCOMPARE(app.dialogs.shown[0].caption, caption);
    QVERIFY(!app.office.calls.contains("create"));
    QVERIFY(!QDir(app.dir("BL")).exists());
    QCOMPARE(app.status(), QStringLiteral("版本"));
}

void TestRecordCommands::saveNewDocument() {
    Desk app;
    app.trigger(kSave);
    const QStringList tail = app.office.calls.mid(app.office.calls.size() - 3);
    QCOMPARE(tail, (QStringList{"save " + app.document(), "close", "quit"}));
    QCOMPARE(app.pause.pauses, (QList<int>{888, 2222, 888, 888}));
    QCOMPARE(app.texts(), QStringList{" 是 否 对 此 笔 录 文 件 进 行 预 览？ "});
    const QString program = app.office.installedAt + "/soffice";
    QCOMPARE(app.shell.started.value(0), (QStringList{program, "--writer", app.document()}));
    QCOMPARE(app.record().hidden(Hidden::officePath), program);
    QCOMPARE(app.status(), "笔录WORD文件以经保存在 <" + app.dir("BL/") + "目录中> ");
    QCOMPARE(readIniValue(app.templateFile(), "set", "num24"), QStringLiteral("答：张三。"));
}

void TestRecordCommands::saveOverExisting_data() {
    QTest::addColumn<bool>("replace");
    QTest::newRow("Yes: replaced") << true;
    QTest::newRow("No: old document kept, template rewritten") << false;
}

void TestRecordCommands::saveOverExisting() {
    QFETCH(bool, replace);
    Desk app;
    QDir().mkpath(app.dir("BL"));
    writeFileBytes(app.document(), "OLD");
    app.dialogs.answers << (replace ? Answer::Yes : Answer::No) << Answer::No;
    app.trigger(kSave);
    QCOMPARE(app.texts(), (QStringList{" 文件以经存在，是否覆盖老文件？ ",
                                       " 是 否 对 此 笔 录 文 件 进 行 预 览？ "}));
    QCOMPARE(app.office.calls.contains("save " + app.document()), replace);
    QCOMPARE(app.pause.pauses,
             (replace ? QList<int>{888, 2222, 888, 888} : QList<int>{888, 888, 888}));
    // Never deleted ahead of the save: the fake office writes nothing.
    QCOMPARE(readFileBytes(app.document()), QByteArray("OLD"));
    QVERIFY(QFile::exists(app.templateFile()));
    QVERIFY(app.shell.started.isEmpty());
    QCOMPARE(app.status().startsWith("笔录WORD文件以经保存在"), replace);
}

// A failed save also takes away an earlier save's success text.
void TestRecordCommands::saveFailureReported() {
    Desk app;
    app.trigger(kSave);
    QVERIFY(app.status().startsWith(QStringLiteral("笔录WORD文件以经保存在")));
    app.dialogs.shown.clear();
    app.office.calls.clear();
    app.office.saveSucceeds = false;
    app.trigger(kSave);
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("保存失败："));
    QVERIFY(app.dialogs.lastText().contains(app.document()));
    QVERIFY(app.dialogs.lastText().contains(app.office.error));
    QCOMPARE(app.office.calls.mid(app.office.calls.size() - 2), (QStringList{"close", "quit"}));
    QCOMPARE(app.status(), QString());
}

// The template and the blank document are rewritten at every save: on a full disk both
// stay as they were, and the officer reads which file and why. BL is the officer's alone.
void TestRecordCommands::fullDiskKeepsEarlierFiles() {
    Desk app;
    app.trigger(kSave);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(app.dir("BL")) & others, QFile::Permissions());
    const QByteArray earlier = readFileBytes(app.templateFile());
    const QByteArray blank = readFileBytes(app.dir("BL/Doc.doc"));
    app.record().setText(answer(1), QStringLiteral("答：李四。"));
    app.dialogs.shown.clear();
    {
        hb::test::FileSizeLimit full(64);
        app.trigger(kSave);
    }
    QCOMPARE(readFileBytes(app.templateFile()), earlier);
    QCOMPARE(readFileBytes(app.dir("BL/Doc.doc")), blank);
    QCOMPARE(app.dialogs.shown.value(0).text,
             "笔录模板没有保存：" + app.templateFile() + "\n文件超过了系统允许的大小");
}

void TestRecordCommands::printCurrentRecord_data() {
    QTest::addColumn<QString>("workUnit");
    QTest::addColumn<bool>("printerAccepts");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");
    QTest::newRow("printed") << "某公司" << true << ""
                             << "打 印 成 功！";
    QTest::newRow("no work unit") << "" << true << "笔录没有录入完成，工作单位等资料没有添写."
                                  << "版本";
    QTest::newRow("printer refuses") << "某公司" << false << "笔录没有打印出来：\n模拟的失败"
                                     << "版本";
}

void TestRecordCommands::printCurrentRecord() {
    QFETCH(QString, workUnit);
    QFETCH(bool, printerAccepts);
    QFETCH(QString, message);
    QFETCH(QString, status);
    Desk app;
    app.record().setText(Field::workUnit, workUnit);
    app.office.printSucceeds = printerAccepts;
    app.trigger(kPrint);
    QCOMPARE(app.dialogs.shown[0].text, QStringLiteral(" 是/否 打 印 当 前 笔 录 内 容 ？ \r\n"));
    QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("打印提示："));
    QCOMPARE(app.dialogs.shown.size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty()) QCOMPARE(app.dialogs.lastText(), message);
    QCOMPARE(app.status(), status);
    const bool composed = !workUnit.isEmpty();
    QCOMPARE(QFile::exists(app.dir("BL/2026.9.15-某公司-张三.ini")), composed);
    if (composed) {
        QCOMPARE(app.office.calls.mid(app.office.calls.size() - 3),
                 (QStringList{"print", "close", "quit"}));
        QCOMPARE(app.pause.pauses, (QList<int>{1234, 1234, 1234}));
    } else {
        QVERIFY(!app.office.calls.contains("print"));
    }
}

// A Doc.doc that cannot be replaced serves while it is the blank; anything else there would be
// printed in place of the record.
void TestRecordCommands::printWithDocDocLocked_data() {
    QTest::addColumn<QByteArray>("docDoc");
    QTest::addColumn<bool>("printed");
    QTest::newRow("the blank") << shippedFile("document/Doc.doc") << true;
    QTest::newRow("another document") << QByteArray("another record") << false;
}

void TestRecordCommands::printWithDocDocLocked() {
    QFETCH(QByteArray, docDoc);
    QFETCH(bool, printed);
    Desk app;
    QDir().mkpath(app.dir("BL"));
    writeFileBytes(app.dir("BL/Doc.doc"), docDoc);
    LockedFolder bl(app.dir("BL"));
    if (!bl.locked) QSKIP("BL cannot be made unwritable here (chattr)");
    app.trigger(kPrint);
    QCOMPARE(app.office.calls.contains("print"), printed);
    QCOMPARE(app.status(), printed ? QStringLiteral("打 印 成 功！") : QStringLiteral("版本"));
    // The template cannot be written into BL either, and says so.
    QVERIFY(app.texts().value(1).startsWith("笔录模板没有保存"));
    QCOMPARE(app.texts().value(2).startsWith("笔录没有打印出来"), !printed);
}

void TestRecordCommands::printSavedDocument_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("office");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancelled") << "" << true
                               << "没有选择正确的笔录文件！笔录WORD文件保存在 <BL> 目录中。";
    QTest::newRow("doc only in capitals")
        << "/x/REC.DOC" << true << "打印笔录文档选择的不匹配 (要选doc文档).   请重新再选。";
    QTest::newRow("no office") << "/x/记录.doc" << false << "电 脑 没 有 安 装 WORD 办 公 软 件.";
    QTest::newRow("printed") << "/x/记录.doc" << true << "";
}

void TestRecordCommands::printSavedDocument() {
    QFETCH(QString, chosen);
    QFETCH(bool, office);
    QFETCH(QString, message);
    Desk app;
    if (!office) app.office.installedAt.clear();
    app.record().setHidden(Hidden::templatePath, QStringLiteral("/earlier.doc"));
    app.dialogs.answers << Answer::No;
    app.dialogs.files << chosen;
    app.trigger(kPrint);
    QCOMPARE(app.dialogs.fileDialogs.value(0).designName, QStringLiteral("通用对话框3"));
    QCOMPARE(app.dialogs.fileDialogs.value(0).filter,
             QStringLiteral("*.doc 选择要打印的笔录WORD文件|*.doc"));
    message.replace("<BL>", "<" + app.dir("BL/") + ">");
    QCOMPARE(app.dialogs.shown.size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty()) QCOMPARE(app.dialogs.lastText(), message);
    QCOMPARE(app.record().hidden(Hidden::templatePath),
             chosen.isEmpty() ? QStringLiteral("/earlier.doc") : chosen);
    if (message.isEmpty()) {
        QCOMPARE(app.office.calls, (QStringList{"check", "create", "attach", "open " + chosen,
                                                "visible 0", "print", "close", "quit"}));
        QCOMPARE(app.status(), QStringLiteral("打印笔录成功... "));
        // A later cancel prints nothing, whatever was chosen before.
        app.dialogs.answers << Answer::No;
        app.trigger(kPrint);
        QCOMPARE(app.office.callsStartingWith("print").size(), 1);
    } else {
        QVERIFY(!app.office.calls.contains("print"));
        QCOMPARE(app.status(), QStringLiteral("版本"));
    }
}

void TestRecordCommands::officeWorkLeavesTheWindowLive_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("asynchronous");
    QTest::addColumn<QList<int>>("pauses");
    QTest::addColumn<QString>("busyText");
    QTest::newRow("save") << kSave << false << QList<int>{} << "正在保存笔录……";
    QTest::newRow("save, office that needs the pauses")
        << kSave << true << QList<int>{888, 2222, 888, 888} << "正在保存笔录……";
    QTest::newRow("print") << kPrint << false << QList<int>{} << "正在打印……";
}

void TestRecordCommands::officeWorkLeavesTheWindowLive() {
    QFETCH(QString, item);
    QFETCH(bool, asynchronous);
    QFETCH(QList<int>, pauses);
    QFETCH(QString, busyText);
    Desk app;
    app.office.asynchronous = asynchronous;
    app.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(app.window.get()));
    auto* busy = app.find<QLabel>("状态条1.busy");
    QString shownWhileWorking;
    bool offGuiThread = false;
    app.office.whileWorking = [&] {
        offGuiThread = QThread::currentThread() != qApp->thread();
        QThread::msleep(300);
    };
    QTimer::singleShot(100, [&] {
        shownWhileWorking = busy->isVisible() ? busy->text() : QString();
        app.choose("文件", item);  // a second command while the first runs
    });
    QVERIFY(app.choose("文件", item));
    QVERIFY(offGuiThread);
    QCOMPARE(shownWhileWorking, busyText);
    QVERIFY(!busy->isVisible());
    QCOMPARE(app.office.callsStartingWith(item == kSave ? "save" : "print").size(), 1);
    QCOMPARE(app.pause.pauses, pauses);
}

QTEST_MAIN(TestRecordCommands)
#include "test_record_commands.moc"
