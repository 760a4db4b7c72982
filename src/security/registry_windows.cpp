#include <windows.h>

#include "platform/registry_value_windows.h"
#include "platform/system_error_windows.h"
#include "security/registry.h"

namespace hb {
namespace {

struct Root {
    const char* name;
    HKEY key;
};
const Root kRoots[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                       {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
                       {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                       {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                       {"HKEY_USERS", HKEY_USERS}};

HKEY rootOf(const QString& keyPath) {
    const QString root = keyPath.section(QLatin1Char('\\'), 0, 0);
    for (const Root& known : kRoots)
        if (root == QLatin1String(known.name)) return known.key;
    return nullptr;
}

QString subKey(const QString& keyPath) {
    return keyPath.section(QLatin1Char('\\'), 1);
}

QString systemMessage(LSTATUS status) {
    return QStringLiteral("%1（错误 %2）").arg(systemErrorText(DWORD(status))).arg(status);
}

}  // namespace

QString WindowsRegistry::read(const QString& keyPath, const QString& valueName) {
    const HKEY root = rootOf(keyPath);
    if (!root) return {};
    const QString path = subKey(keyPath);
    // The earlier edition was a 32-bit program: its values sit in the 32-bit view, where this
    // one writes too. A 64-bit program (a 64-bit Office) registers in the other view. A 32-bit
    // program without administrator rights had its machine-wide writes turned into the user's
    // own copy: the officer's lock from then still holds.
    QString text = readRegistryString(root, path, valueName, KEY_WOW64_32KEY);
    if (text.isNull()) text = readRegistryString(root, path, valueName, KEY_WOW64_64KEY);
    const QString software = QStringLiteral("SOFTWARE\\");
    if (text.isNull() && root == HKEY_LOCAL_MACHINE &&
        path.startsWith(software, Qt::CaseInsensitive)) {
        const QString below = path.mid(software.size());
        const QString store =
            QStringLiteral("Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\");
        for (const QString& copy :
             {store + QStringLiteral("WOW6432Node\\") + below, store + below}) {
            text = readRegistryString(HKEY_CURRENT_USER, copy, valueName, 0);
            if (!text.isNull()) break;
        }
    }
    if (text.isNull()) return {};
    // Read as the Windows edition read it: every NUL a line break, the terminator too.
    return text.replace(QChar(u'\0'), QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool WindowsRegistry::write(const QString& keyPath, const QString& valueName, const QString& text) {
    error_.clear();
    const HKEY root = rootOf(keyPath);
    if (!root) {
        error_ = QStringLiteral("未知的注册表根键：%1").arg(keyPath);
        return false;
    }
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(root, subKey(keyPath).toStdWString().c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        const std::wstring data = text.toStdWString();
        status = RegSetValueExW(key, valueName.toStdWString().c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(data.c_str()),
                                DWORD((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS) return true;
    error_ = keyPath + QStringLiteral("：") +
             (status == ERROR_ACCESS_DENIED
                  ? QStringLiteral("没有写入权限。这一项只有计算机管理员能改：请右击衡笔，"
                                   "选“以管理员身份运行”，再做一次。")
                  : systemMessage(status));
    return false;
}

}  // namespace hb
