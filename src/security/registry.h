#pragma once
// Registry values: the system's registry on Windows, one GBK INI store per root key elsewhere.
#include <QString>

namespace hb {

class Registry {
  public:
    virtual ~Registry() = default;
    // The value followed by a line break (the Windows string terminator reads back as one);
    // empty when the key or value is missing.
    virtual QString read(const QString& keyPath, const QString& valueName) = 0;
    // False when the value could not be stored.
    virtual bool write(const QString& keyPath, const QString& valueName, const QString& text) = 0;
    // Why the last write failed: the store's file and the reason.
    virtual QString lastError() const { return {}; }
    // Where the values of keyPath are kept, for the officer's messages.
    virtual QString storeFile(const QString&) const { return {}; }
    // Why the store of keyPath is there but cannot be what this program wrote (a folder, cut
    // off, garbage): its file and the reason. Empty when it is sound or missing.
    virtual QString damage(const QString&) const { return {}; }
};

// <dir>/<ROOT>.ini, section = key path below the root, key = value name, mode 0600.
class IniRegistry : public Registry {
  public:
    explicit IniRegistry(QString directory);
    QString read(const QString& keyPath, const QString& valueName) override;
    bool write(const QString& keyPath, const QString& valueName, const QString& text) override;
    QString storeFile(const QString& keyPath) const override;  // empty for an unknown root
    QString damage(const QString& keyPath) const override;
    QString lastError() const override { return error_; }

  private:
    QString directory_;
    QString error_;
};

#ifdef Q_OS_WIN
class WindowsRegistry : public Registry {
  public:
    QString read(const QString& keyPath, const QString& valueName) override;
    bool write(const QString& keyPath, const QString& valueName, const QString& text) override;
    QString storeFile(const QString& keyPath) const override { return keyPath; }
    QString lastError() const override { return error_; }

  private:
    QString error_;
};
#endif

}  // namespace hb
