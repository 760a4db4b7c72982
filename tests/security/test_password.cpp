#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "security/password.h"
#include "security/registry.h"
#ifdef Q_OS_LINUX
#include "support/file_size_limit.h"
#endif
#include "support/test_app.h"
#include "support/ui.h"

using namespace hb;
using hb::test::onNextModal;
using hb::test::TestApp;

namespace {

const QString kFlagKey = kLockKey + "|XFQT";
const QString kPasswordKey = kLockKey + "|MIMA";

// Into the box where it is drawn, replacing what it held.
void type(QWidget* window, const char* box, const QString& text) {
    test::click(window->findChild<QLineEdit*>(QString::fromUtf8(box)));
    test::key(Qt::Key_A, Qt::ControlModifier);
    test::key(Qt::Key_Delete);
    test::type(text);
}

void press(QWidget* window) {
    test::click(window->findChild<QPushButton*>(QStringLiteral("按钮1")));
}

// Opens 加密 and enters the two boxes; the window is closed afterwards either way.
void setPassword(TestApp& app, const QString& first, const QString& second) {
    onNextModal(app.window.get(), [&](QWidget* w) {
        type(w, "编辑框1", first);
        type(w, "编辑框2", second);
        press(w);
        if (w->isVisible()) static_cast<QDialog*>(w)->reject();
    });
    app.trigger("加密");
}

}  // namespace

class TestPassword : public QObject {
    Q_OBJECT
  private slots:
    void setting_data();
    void setting();
    void alreadyOn();
    void refusedWriteReportsFailure();
    void clearing();
    void normalisation_data();
    void normalisation();
    void gate_data();
    void gate();
    void wrongThenRight();
    void closingTheLoginEndsStartUp();
    void registryStore();
    void enterSetsAndStarsMask();
    void hashOfTheTypedText_data();
    void hashOfTheTypedText();
    void fullDiskKeepsTheStore();
    void damagedStoreKeepsLocked_data();
    void damagedStoreKeepsLocked();
};

void TestPassword::setting_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("equal") << "Ab1"
                           << "Ab1" << true;
    QTest::newRow("blanks kept") << " 密 "
                                 << " 密 " << true;
    QTest::newRow("mismatch") << "Ab1"
                              << "ab1" << false;
    QTest::newRow("both empty") << ""
                                << "" << false;
    QTest::newRow("second empty") << "x"
                                  << "" << false;
}

void TestPassword::setting() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, accepted);
    TestApp app;
    setPassword(app, first, second);
    if (!accepted) {
        QCOMPARE(app.dialogs.lastText(), QStringLiteral(" 没有输入密码 或 2遍密码输入不相符！"));
        QCOMPARE(app.dialogs.shown.last().caption, QStringLiteral("请 检 查："));
        QVERIFY(app.registry.values.isEmpty());
        return;
    }
    QCOMPARE(app.dialogs.lastText(), QStringLiteral(" 加密成功！ 软件下次打开时必需输入密码。"));
    QCOMPARE(app.registry.values.value(kFlagKey), QStringLiteral("1\r\n"));
    const QString stored = app.registry.values.value(kPasswordKey);
    QVERIFY2(stored.startsWith("$argon2id$"), qPrintable(stored));
    QVERIFY(!stored.contains(first));
    QVERIFY(passwordMatches(stored, first));
    QVERIFY(first.trimmed() == first || !passwordMatches(stored, first.trimmed()));
    QVERIFY(first.toLower() == first || !passwordMatches(stored, first.toLower()));
}

void TestPassword::alreadyOn() {
    TestApp app;
    app.registry.values[kFlagKey] = "1\r\n";
    bool opened = false;
    onNextModal(app.window.get(), [&](QWidget* w) {
        opened = true;
        static_cast<QDialog*>(w)->reject();
    });
    app.trigger("加密");
    QCOMPARE(app.dialogs.lastText(), QStringLiteral(" 软件以经加过密码了！"));
    QCoreApplication::processEvents();
    QVERIFY(!opened);
}

void TestPassword::refusedWriteReportsFailure() {
    TestApp app;
    app.registry.refuseWrites = true;
    setPassword(app, "pw", "pw");
    QVERIFY(!app.dialogs.lastText().contains("成功"));
    QVERIFY(app.registry.values.isEmpty());
    app.trigger("解密");
    QVERIFY(!app.dialogs.lastText().contains("成功"));
}

void TestPassword::clearing() {
    TestApp app;
    app.registry.values[kFlagKey] = "1\r\n";
    app.registry.values[kPasswordKey] = hashPassword("pw") + "\r\n";
    app.trigger("解密");
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("软件解密成功，下次运行软件无需密码！"));
    QCOMPARE(app.registry.values.value(kFlagKey), QStringLiteral("0\r\n"));
    QVERIFY(app.registry.values.contains(kPasswordKey));
    QVERIFY(app.start());
    QVERIFY(app.window->isVisible());
}

void TestPassword::normalisation_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("line break of the terminator") << "abc\r\n"
                                                  << "abc";
    QTest::newRow("only the first CR and LF") << "a\r\nb\r\n"
                                              << "ab\r\n";
    QTest::newRow("ASCII and full-width blanks") << " \u3000abc\u3000 \r\n"
                                                 << "abc";
    QTest::newRow("missing") << ""
                             << "";
}

void TestPassword::normalisation() {
    QFETCH(QString, stored);
    QFETCH(QString, normalised);
    QCOMPARE(normaliseStoredPassword(stored), normalised);
}

void TestPassword::gate_data() {
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("asks");
    QTest::newRow("1") << "1\r\n" << true;
    QTest::newRow("1x") << "1x\r\n" << true;
    QTest::newRow("0") << "0\r\n" << false;
    QTest::newRow("x1") << "x1\r\n" << false;
    QTest::newRow("missing") << "" << false;
}

void TestPassword::gate() {
    QFETCH(QString, flag);
    QFETCH(bool, asks);
    TestApp app;
    if (!flag.isEmpty()) app.registry.values[kFlagKey] = flag;
    // Lock on with no stored password: the empty entry opens.
    bool asked = false;
    onNextModal(app.window.get(), [&](QWidget* w) {
        asked = w->objectName() == QLatin1String("LoginWindow");
        QVERIFY(!app.window->isVisible());
        press(w);
    });
    QVERIFY(app.start());
    QCoreApplication::processEvents();
    QCOMPARE(asked, asks);
    QVERIFY(app.window->isVisible());
}

void TestPassword::wrongThenRight() {
    TestApp app;
    app.registry.values[kFlagKey] = "1\r\n";
    app.registry.values[kPasswordKey] = hashPassword("Secret") + "\r\n";
    QStringList boxAfterWrong;
    bool hiddenDuringPrompt = false;
    onNextModal(app.window.get(), [&](QWidget* w) {
        type(w, "编辑框1", "secret");
        press(w);
        boxAfterWrong << w->findChild<QLineEdit*>("编辑框1")->text();
        hiddenDuringPrompt = !app.window->isVisible() && w->isVisible();
        type(w, "编辑框1", "Secret");
        press(w);
    });
    QVERIFY(app.start());
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("密码输入错误！ 重新输入..."));
    QCOMPARE(app.dialogs.shown[0].caption, QStringLiteral("请 注 意："));
    QCOMPARE(boxAfterWrong, QStringList{""});
    QVERIFY(hiddenDuringPrompt);
    QVERIFY(app.window->isVisible());
}

void TestPassword::closingTheLoginEndsStartUp() {
    TestApp app;
    app.registry.values[kFlagKey] = "1\r\n";
    onNextModal(app.window.get(), [](QWidget* w) { w->close(); });
    QVERIFY(!app.start());
    QVERIFY(!app.window->isVisible());
    QCOMPARE(app.window->record().text(Field::startYear), QString());
    QCOMPARE(app.window->record().items(Field::placeDetail), QStringList());
}

void TestPassword::registryStore() {
    QTemporaryDir dir;
    IniRegistry registry(dir.filePath("registry"));
    QCOMPARE(registry.read(kLockKey, "XFQT"), QString());
    QVERIFY(registry.write(kLockKey, "XFQT", "1"));
    QVERIFY(registry.write(kLockKey, "MIMA", "  密码 "));
    QCOMPARE(registry.read(kLockKey, "XFQT"), QStringLiteral("1\r\n"));
    QCOMPARE(registry.read("hkey_local_machine\\SOFTWARE\\QMX", "XFQT"), QString());
    QCOMPARE(registry.read("HKEY_LOCAL_MACHINE\\software\\qmx", "xfqt"), QStringLiteral("1\r\n"));
    QCOMPARE(registry.read(kLockKey, "MIMA"), QStringLiteral("  密码 \r\n"));
    QVERIFY(!registry.write("HKEY_NOWHERE\\X", "v", "1"));
    const QString file = dir.filePath("registry/HKEY_LOCAL_MACHINE.ini");
    QVERIFY(readFileBytes(file).contains("[SOFTWARE\\QMX]\r\n"));
#ifdef Q_OS_LINUX
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(file) & others, QFile::Permissions());
    QVERIFY(QFile::permissions(file) & QFile::WriteOwner);
#endif
}

void TestPassword::enterSetsAndStarsMask() {
    TestApp app;
    app.start();
    QString shown;
    onNextModal(app.window.get(), [&](QWidget* w) {
        type(w, "编辑框1", "密码1");
        type(w, "编辑框2", "密码1");
        shown = w->findChild<QLineEdit*>("编辑框2")->displayText();
        test::key(Qt::Key_Return);
        if (w->isVisible()) static_cast<QDialog*>(w)->reject();
    });
    app.trigger("加密");
    QCOMPARE(shown, QStringLiteral("***"));
    QCOMPARE(app.dialogs.lastText(), QStringLiteral(" 加密成功！ 软件下次打开时必需输入密码。"));
    QVERIFY(passwordMatches(app.registry.values.value(kPasswordKey), "密码1"));
}

void TestPassword::hashOfTheTypedText_data() {
    QTest::addColumn<QString>("stored");  // a hash, or the password to hash now
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");
    QTest::newRow("outside GBK") << "王𠮷"
                                 << "王𠮷" << true;
    QTest::newRow("not the lost character") << "王𠮷"
                                            << "王?" << false;
    QTest::newRow("two characters outside GBK") << "𠮷"
                                                << "😀" << false;
    // Stored by the earlier version, hashed from the GBK bytes of 密码Ab1.
    QTest::newRow("hash of GBK bytes stored earlier")
        << "$argon2id$v=19$m=65536,t=2,p=1$ja++HoYyQWnYWivm5+Y0Zw$"
           "wBGClsdR6BJhKl6jHH/dUfK0vqIzRqrm3n/eT5n8DH4"
        << "密码Ab1" << true;
}

void TestPassword::hashOfTheTypedText() {
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, matches);
    const QString hash = stored.startsWith('$') ? stored : hashPassword(stored);
    QCOMPARE(passwordMatches(hash + "\r\n", typed), matches);
}

// "加密成功" only over a store that holds the password: on a full disk it stays as it was.
void TestPassword::fullDiskKeepsTheStore() {
#ifndef Q_OS_LINUX
    QSKIP("a full disk is made with Linux's file size limit");
#else
    TestApp app;
    IniRegistry registry(app.dir("registry"));
    app.ctx.registry = &registry;
    QVERIFY(registry.write(kLockKey, "XFQT", "0"));
    const QString store = registry.storeFile(kLockKey);
    const QByteArray earlier = readFileBytes(store);
    {
        hb::test::FileSizeLimit full(earlier.size() + 8);
        setPassword(app, "pw", "pw");
    }
    QCOMPARE(readFileBytes(store), earlier);
    QCOMPARE(app.dialogs.lastText(),
             "无法保存密码设置：密码锁没有开启。\n" + store + "：文件超过了系统允许的大小");
#endif
}

void TestPassword::damagedStoreKeepsLocked_data() {
    QTest::addColumn<QByteArray>("store");  // "<dir>": a folder in its place
    QTest::addColumn<QString>("reason");    // empty: not damaged
    const QByteArray sound =
        "[SOFTWARE\\QMX]\r\nMIMA=" + hashPassword("pw").toLatin1() + "\r\nXFQT=1\r\n";
    QTest::newRow("truncated") << sound.left(sound.size() - 3) << "截断";
    QTest::newRow("garbage") << QByteArray("\x8b\x1f\x00PK\x03\x04 zz\n", 11) << "无法识别";
    QTest::newRow("folder") << QByteArray("<dir>") << "这是一个文件夹";
    QTest::newRow("garbled hash") << QByteArray(sound).replace("$argon2id$v=19", "$argon2id$v=1?")
                                  << "保存的密码已损坏";
    QTest::newRow("lock off, sound") << QByteArray("[SOFTWARE\\QMX]\r\nXFQT=0\r\n") << "";
    QTest::newRow("missing") << QByteArray() << "";
}

void TestPassword::damagedStoreKeepsLocked() {
    QFETCH(QByteArray, store);
    QFETCH(QString, reason);
    TestApp app;
    IniRegistry registry(app.dir("registry"));
    app.ctx.registry = &registry;
    const QString file = registry.storeFile(kLockKey);
    QDir().mkpath(app.dir("registry"));
    if (store == "<dir>")
        QDir().mkpath(file);
    else if (!store.isEmpty())
        QVERIFY(writeFileBytes(file, store));
    QCOMPARE(app.start(), reason.isEmpty());
    QCOMPARE(app.window->isVisible(), reason.isEmpty());
    if (reason.isEmpty()) {
        QVERIFY(app.dialogs.shown.isEmpty());
        return;
    }
    QCOMPARE(app.dialogs.shown.size(), 1);
    const QString text = app.dialogs.lastText();
    QVERIFY2(text.contains(file + "：") && text.contains(reason) && text.contains("管理员删除"),
             qPrintable(text));
}

QTEST_MAIN(TestPassword)
#include "test_password.moc"
