#include "platform/ini.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool enclosedInQuotes(const QByteArray& v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// One line whatever the text holds, and read back exactly: a line break would end the value
// and start a line of its own, and the reader drops blanks and one pair of quotes.
QByteArray storedValue(const QString& value) {
    const QByteArray v = toGb18030(onOneLine(value));
    if (v.isEmpty() || (!isBlank(v.front()) && !isBlank(v.back()) && !enclosedInQuotes(v)))
        return v;
    return '"' + v + '"';
}

}  // namespace

QString onOneLine(QString text) {
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    return text.replace(lineBreaks, QStringLiteral(" "));
}

IniFile::IniFile(const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    const QList<QByteArray> raw = bytes.split('\n');
    const qsizetype count = raw.back().isEmpty() ? raw.size() - 1 : raw.size();
    lines_.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        Line line;
        line.raw = raw[i];
        if (i + 1 < raw.size()) line.eol = "\n";
        if (line.raw.endsWith('\r') && !line.eol.isEmpty()) {
            line.raw.chop(1);
            line.eol = "\r\n";
        }
        const QByteArray t = trimBlanks(line.raw);
        if (t.startsWith('[')) {
            const qsizetype close = t.indexOf(']');
            line.isSection = true;
            line.section = trimBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        } else if (!t.isEmpty()) {
            const qsizetype eq = t.indexOf('=');
            line.isKey = true;
            line.key = trimBlanks(eq < 0 ? t : t.left(eq));
        }
        lines_.append(std::move(line));
    }
}

IniFile IniFile::load(const QString& path, QString* error) {
    QByteArray bytes;
    QString why;
    if (!readRegularFile(path, kMaxSettingsBytes, &bytes, &why) && error && QFileInfo::exists(path))
        *error = why;
    return IniFile(bytes);
}

qsizetype IniFile::findSection(const QByteArray& section) const {
    for (qsizetype i = 0; i < lines_.size(); ++i)
        if (lines_[i].isSection && sameName(lines_[i].section, section)) return i;
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype sectionLine) const {
    qsizetype i = sectionLine + 1;
    while (i < lines_.size() && !lines_[i].isSection) ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype sectionLine, const QByteArray& key) const {
    const qsizetype end = sectionEnd(sectionLine);
    for (qsizetype i = sectionLine + 1; i < end; ++i)
        if (lines_[i].isKey && sameName(lines_[i].key, key)) return i;
    return -1;
}

bool IniFile::hasSection(const QString& section) const {
    return findSection(toGb18030(section)) >= 0;
}

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    const qsizetype s = findSection(toGb18030(section));
    if (s < 0) return defaultValue;
    const qsizetype k = findKey(s, toGb18030(key));
    if (k < 0) return defaultValue;
    const QByteArray& raw = lines_[k].raw;
    const qsizetype eq = raw.indexOf('=');
    QByteArray v = eq < 0 ? QByteArray() : trimBlanks(raw.mid(eq + 1));
    if (enclosedInQuotes(v)) v = v.mid(1, v.size() - 2);
    return fromGbk(cutGbk(v, kMaxValueBytes));
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QByteArray sec = toGb18030(section);
    const QByteArray k = toGb18030(key);
    const QByteArray v = storedValue(value);
    qsizetype s = findSection(sec);
    if (s < 0) {
        if (!lines_.isEmpty() && !trimBlanks(lines_.back().raw).isEmpty())
            insertLine(lines_.size(), Line{});
        insertLine(lines_.size(), Line{'[' + sec + ']', {}, sec, {}, true, false});
        insertLine(lines_.size(), Line{k + '=' + v, {}, {}, k, false, true});
        return;
    }
    const qsizetype found = findKey(s, k);
    if (found >= 0) {
        lines_[found].raw = lines_[found].key + '=' + v;
        return;
    }
    // After the section's last non-blank line, so blank separators stay before the next one.
    qsizetype at = sectionEnd(s);
    while (at > s + 1 && trimBlanks(lines_[at - 1].raw).isEmpty()) --at;
    insertLine(at, Line{k + '=' + v, {}, {}, k, false, true});
}

void IniFile::insertLine(qsizetype at, Line line) {
    line.eol = "\r\n";
    if (at > 0 && lines_[at - 1].eol.isEmpty()) lines_[at - 1].eol = "\r\n";
    lines_.insert(at, std::move(line));
}

QByteArray IniFile::bytes() const {
    QByteArray out;
    for (const Line& line : lines_) out += line.raw + line.eol;
    return out;
}

bool IniFile::save(const QString& path, QString* error) const {
    return writeFileBytes(path, bytes(), error);
}

QString readIniValue(const QString& path, const QString& section, const QString& key,
                     const QString& defaultValue) {
    return IniFile::load(path).value(section, key, defaultValue);
}

}  // namespace hb
