// The lock in the system's registry, where the earlier 32-bit edition left it.
#include <windows.h>

#include <sddl.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "security/password.h"
#include "security/registry.h"
#include "support/test_app.h"
#include "support/ui.h"

using namespace hb;
using hb::test::onNextModal;
using hb::test::TestApp;

namespace {

// Where a 32-bit program's HKEY_LOCAL_MACHINE\SOFTWARE\QMX lands, and the copy a 32-bit
// program without administrator rights was given instead.
const wchar_t* const kOldLock = L"SOFTWARE\\WOW6432Node\\QMX";
const wchar_t* const kVirtualLock =
    L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\QMX";

// As RegSetValueExA of the earlier edition stored it: the text's length, no terminator.
void putOld(HKEY root, const wchar_t* key, const wchar_t* name, const QString& text) {
    HKEY k = nullptr;
    QCOMPARE(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                             &k, nullptr),
             ERROR_SUCCESS);
    const std::wstring data = text.toStdWString();
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   DWORD(data.size() * sizeof(wchar_t)));
    RegCloseKey(k);
}

void type(QWidget* window, const char* box, const QString& text) {
    test::click(window->findChild<QLineEdit*>(QString::fromUtf8(box)));
    test::type(text);
}

void press(QWidget* window) {
    test::click(window->findChild<QPushButton*>(QStringLiteral("按钮1")));
}

}  // namespace

class TestRegistryWindows : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOldLock);
        RegDeleteTreeW(HKEY_CURRENT_USER, kVirtualLock);
    }
    void cleanup() { init(); }
    void oldPlainPasswordUnlocksAndIsHashedAtNextSet_data();
    void oldPlainPasswordUnlocksAndIsHashedAtNextSet();
    void refusedWriteIsReported();
};

void TestRegistryWindows::oldPlainPasswordUnlocksAndIsHashedAtNextSet_data() {
    QTest::addColumn<bool>("virtualised");
    QTest::newRow("machine-wide") << false;
    QTest::newRow("user's virtual copy") << true;
}

void TestRegistryWindows::oldPlainPasswordUnlocksAndIsHashedAtNextSet() {
    QFETCH(bool, virtualised);
    const HKEY root = virtualised ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const wchar_t* key = virtualised ? kVirtualLock : kOldLock;
    putOld(root, key, L"XFQT", "1");
    putOld(root, key, L"MIMA", "密码Ab1 ");
    WindowsRegistry registry;
    TestApp app;
    app.ctx.registry = &registry;
    onNextModal(app.window.get(), [&](QWidget* w) {
        type(w, "编辑框1", "密码ab1");
        press(w);
        type(w, "编辑框1", "密码Ab1");
        press(w);
        if (w->isVisible()) static_cast<QDialog*>(w)->reject();
    });
    QVERIFY(app.start());
    QCOMPARE(app.dialogs.lastText(), QStringLiteral("密码输入错误！ 重新输入..."));

    app.trigger("解密");
    onNextModal(app.window.get(), [&](QWidget* w) {
        type(w, "编辑框1", "新");
        type(w, "编辑框2", "新");
        press(w);
    });
    app.trigger("加密");
    QCOMPARE(app.dialogs.lastText(), QStringLiteral(" 加密成功！ 软件下次打开时必需输入密码。"));
    // In the machine-wide place the earlier edition reads, as a hash, ahead of any copy.
    wchar_t stored[256] = {};
    DWORD size = sizeof stored;
    QCOMPARE(
        RegGetValueW(HKEY_LOCAL_MACHINE, kOldLock, L"MIMA", RRF_RT_REG_SZ, nullptr, stored, &size),
        ERROR_SUCCESS);
    QVERIFY(QString::fromWCharArray(stored).startsWith("$argon2id$"));
    QVERIFY(passwordMatches(registry.read(kLockKey, "MIMA"), "新"));
    QCOMPARE(registry.read(kLockKey, "XFQT"), QStringLiteral("1\r\n"));
}

// A key the officer may not write: no success, and the reason names the key.
void TestRegistryWindows::refusedWriteIsReported() {
    putOld(HKEY_LOCAL_MACHINE, kOldLock, L"XFQT", "0");
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    HKEY k = nullptr;
    QCOMPARE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOldLock, 0, WRITE_DAC | KEY_WOW64_64KEY, &k),
             ERROR_SUCCESS);
    QCOMPARE(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    RegCloseKey(k);
    LocalFree(readOnly);
    WindowsRegistry registry;
    QVERIFY(!registry.write(kLockKey, "XFQT", "1"));
    QVERIFY2(registry.lastError().startsWith(kLockKey + "：") &&
                 registry.lastError().contains("管理员身份运行"),
             qPrintable(registry.lastError()));
    QCOMPARE(registry.read(kLockKey, "XFQT"), QStringLiteral("0\r\n"));
}

QTEST_MAIN(TestRegistryWindows)
#include "test_registry_windows.moc"
