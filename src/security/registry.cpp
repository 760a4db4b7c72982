#include "security/registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/files.h"
#include "platform/ini.h"

namespace hb {
namespace {

const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER",
                              "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

QString rootOf(const QString& keyPath) {
    const QString root = keyPath.section(QLatin1Char('\\'), 0, 0);
    for (const char* known : kRoots)
        if (root == QLatin1String(known)) return root;
    return {};
}

QString subKey(const QString& keyPath) {
    return keyPath.section(QLatin1Char('\\'), 1);
}

}  // namespace

IniRegistry::IniRegistry(QString directory) : directory_(std::move(directory)) {}

QString IniRegistry::storeFile(const QString& keyPath) const {
    const QString root = rootOf(keyPath);
    return root.isEmpty() ? QString()
                          : directory_ + QLatin1Char('/') + root + QStringLiteral(".ini");
}

QString IniRegistry::damage(const QString& keyPath) const {
    const QString file = storeFile(keyPath);
    const QFileInfo info(file);
    if (file.isEmpty() || (!info.exists() && !info.isSymLink())) return {};
    QByteArray bytes;
    QString why;
    if (!readRegularFile(file, kMaxSettingsBytes, &bytes, &why)) return file + "：" + why;
    // Every line this store writes ends in CR LF and is a section or a key=value line.
    bool garbage = bytes.contains('\0') || !IniFile(bytes).hasSection(subKey(keyPath));
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith('[') && !t.startsWith(';') && !t.contains('='))
            garbage = true;
    }
    if (!bytes.endsWith('\n')) return file + QStringLiteral("：文件不完整（在中途被截断）");
    if (garbage) return file + QStringLiteral("：内容无法识别");
    return {};
}

QString IniRegistry::read(const QString& keyPath, const QString& valueName) {
    const QString file = storeFile(keyPath);
    if (file.isEmpty()) return {};
    // A unique default tells a missing value from an empty one.
    static const QString missing = QStringLiteral("\x01missing\x01");
    const QString value = IniFile::load(file).value(subKey(keyPath), valueName, missing);
    return value == missing ? QString() : value + QStringLiteral("\r\n");
}

bool IniRegistry::write(const QString& keyPath, const QString& valueName, const QString& text) {
    const QString file = storeFile(keyPath);
    error_.clear();
    if (file.isEmpty()) {
        error_ = QStringLiteral("未知的注册表根键：%1").arg(keyPath);
        return false;
    }
    if (!makePrivateDir(directory_)) {
        error_ = QStringLiteral("%1：无法建立文件夹").arg(directory_);
        return false;
    }
    QFile::setPermissions(directory_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // An unreadable store would be replaced by one holding this value alone.
    const QString unreadable = unreadableReason(file);
    if (!unreadable.isEmpty()) {
        error_ = QStringLiteral("%1：%2").arg(file, unreadable);
        return false;
    }
    IniFile store = IniFile::load(file);
    store.setValue(subKey(keyPath), valueName, text);
    QString why;
    if (!store.save(file, &why)) {
        error_ = QStringLiteral("%1：%2").arg(file, why);
        return false;
    }
    return QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace hb
