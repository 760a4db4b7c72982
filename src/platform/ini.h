#pragma once
// INI files over GBK bytes with the Windows profile-string rules: names match without
// regard to ASCII case, blanks around names and values are dropped, one pair of enclosing
// quotes is dropped, the first match wins, a read gives at most 10,239 bytes. Writing keeps
// every other line of the file as it was and ends lines with CR LF; a written value reads back
// as it was given (GB18030, quoted when blanks or quotes at its ends would be dropped), except
// that each run of line breaks becomes one blank.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace hb {

// Each run of CR/LF as one blank: what a value, or a single-line field, holds of a text.
QString onOneLine(QString text);

class IniFile {
  public:
    static constexpr qsizetype kMaxValueBytes = 10239;

    IniFile() = default;
    explicit IniFile(const QByteArray& bytes);
    // A missing or unreadable file reads as empty; *error (when given) says why one that is
    // there was not read: no regular file, or larger than a settings file can be.
    static IniFile load(const QString& path, QString* error = nullptr);

    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = {}) const;
    bool hasSection(const QString& section) const;

    void setValue(const QString& section, const QString& key, const QString& value);
    QByteArray bytes() const;
    bool save(const QString& path, QString* error = nullptr) const;

  private:
    struct Line {
        QByteArray raw;      // the line as found, without its line end
        QByteArray eol;      // its line end as found ("\r\n", "\n" or none at the end)
        QByteArray section;  // for a section line: its trimmed name
        QByteArray key;      // for a key line: its trimmed name
        bool isSection = false;
        bool isKey = false;
    };
    qsizetype findSection(const QByteArray& section) const;
    qsizetype findKey(qsizetype sectionLine, const QByteArray& key) const;
    qsizetype sectionEnd(qsizetype sectionLine) const;

    void insertLine(qsizetype at, Line line);

    QList<Line> lines_;
};

// A file read once for many reads by the same rules, such as a settings file of long phrase
// lists: its sections are indexed as it is read, the keys of a section when it is first read.
class IniIndex {
  public:
    IniIndex() = default;
    explicit IniIndex(QByteArray bytes);
    // A missing file reads as empty; one that is there but cannot be read leaves the reason
    // in *unreadable.
    static IniIndex load(const QString& path, QString* unreadable = nullptr);

    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = {}) const;

  private:
    struct Section {
        qsizetype begin = 0;  // its first line after the section line
        qsizetype end = 0;
        mutable QHash<QByteArray, qsizetype> keys;  // folded name: its line; filled when read
        mutable bool indexed = false;
    };
    QByteArray bytes_;
    QHash<QByteArray, Section> sections_;  // by folded name, the first of that name
};

// Reads one value of one file (parsing it once per call); use IniFile for several.
QString readIniValue(const QString& path, const QString& section, const QString& key,
                     const QString& defaultValue = {});

}  // namespace hb
