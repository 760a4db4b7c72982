// The lock in the system's registry, where the earlier 32-bit edition left it.
#include <windows.h>

#include <sddl.h>

#include <QtTest>

#include "security/password.h"
#include "security/registry.h"

using namespace hb;

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

}  // namespace

class TestRegistryWindows : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOldLock);
        RegDeleteTreeW(HKEY_CURRENT_USER, kVirtualLock);
    }
    void cleanup() { init(); }
    void earlierEditionsLock_data();
    void earlierEditionsLock();
    void refusedWriteIsReported();
};

void TestRegistryWindows::earlierEditionsLock_data() {
    QTest::addColumn<bool>("virtualised");
    QTest::newRow("machine-wide") << false;
    QTest::newRow("user's virtual copy") << true;
}

// Its plain password unlocks; what this edition writes lands where the earlier one reads.
void TestRegistryWindows::earlierEditionsLock() {
    QFETCH(bool, virtualised);
    const HKEY root = virtualised ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const wchar_t* key = virtualised ? kVirtualLock : kOldLock;
    putOld(root, key, L"XFQT", "1");
    putOld(root, key, L"MIMA", "密码Ab1 ");
    WindowsRegistry registry;
    QCOMPARE(registry.read(kLockKey, "XFQT"), QStringLiteral("1\r\n"));
    const QString stored = registry.read(kLockKey, "MIMA");
    QVERIFY(passwordMatches(stored, "密码Ab1"));
    QVERIFY(!passwordMatches(stored, "密码ab1"));

    const QString hash = hashPassword("新");
    QVERIFY(registry.write(kLockKey, "MIMA", hash));
    wchar_t raw[256] = {};
    DWORD size = sizeof raw;
    QCOMPARE(
        RegGetValueW(HKEY_LOCAL_MACHINE, kOldLock, L"MIMA", RRF_RT_REG_SZ, nullptr, raw, &size),
        ERROR_SUCCESS);
    QCOMPARE(QString::fromWCharArray(raw), hash);
    QCOMPARE(registry.read(kLockKey, "MIMA"), hash + "\r\n");
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
