#include "platform/ini.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>

#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimBlanks(QByteArrayView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.sliced(b, e - b);
}

bool enclosedInQuotes(QByteArrayView v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// A line from at, without its line end: CR LF or LF, and a last line without either.
QByteArrayView lineFrom(QByteArrayView bytes, qsizetype at, qsizetype* next) {
    qsizetype end = bytes.indexOf('\n', at);
    *next = end < 0 ? bytes.size() : end + 1;
    if (end < 0) return bytes.sliced(at);
    return bytes.sliced(at, end - at - (end > at && bytes[end - 1] == '\r' ? 1 : 0));
}

// A section line's name, or a key line's key (the text before "=", or the whole line).
struct Shape {
    bool isSection = false;
    bool isKey = false;
    QByteArrayView name;
};

Shape shapeOf(QByteArrayView raw) {
    const QByteArrayView t = trimBlanks(raw);
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        return {true, false, trimBlanks(close < 0 ? t.sliced(1) : t.sliced(1, close - 1))};
    }
    if (t.isEmpty()) return {};
    const qsizetype eq = t.indexOf('=');
    return {false, true, trimBlanks(eq < 0 ? t : t.first(eq))};
}

// The value of a key line, as a read returns it.
QString valueOf(QByteArrayView raw) {
    const qsizetype eq = raw.indexOf('=');
    QByteArrayView v = eq < 0 ? QByteArrayView() : trimBlanks(raw.sliced(eq + 1));
    if (enclosedInQuotes(v)) v = v.sliced(1, v.size() - 2);
    return fromGbk(cutGbk(v.toByteArray(), IniFile::kMaxValueBytes));
}

// Names match without regard to ASCII case.
QByteArray folded(QByteArrayView name) {
    QByteArray f = name.toByteArray();
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = char(c + ('a' - 'A'));
    return f;
}

bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
        const Shape shape = shapeOf(line.raw);
        line.isSection = shape.isSection;
        line.isKey = shape.isKey;
        (shape.isSection ? line.section : line.key) = shape.name.toByteArray();
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
    return k < 0 ? defaultValue : valueOf(lines_[k].raw);
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

IniIndex::IniIndex(QByteArray bytes) : bytes_(std::move(bytes)) {
    // Sections are found by their "[" alone, at memchr's pace: the lines of an office's long
    // phrase lists are read only when a value of their section is asked for.
    const QByteArrayView all(bytes_);
    Section* open = nullptr;
    for (qsizetype bracket = all.indexOf('['); bracket >= 0;
         bracket = all.indexOf('[', bracket + 1)) {
        qsizetype at = bracket;
        while (at > 0 && isBlank(all[at - 1])) --at;
        if (at > 0 && all[at - 1] != '\n') continue;  // a bracket within a line
        qsizetype next = 0;
        const QByteArrayView line = lineFrom(all, at, &next);
        if (open) open->end = at;
        open = nullptr;
        const QByteArray name = folded(shapeOf(line).name);
        if (!sections_.contains(name)) {
            open = &sections_[name];
            open->begin = next;
        }
        bracket = next - 1;
    }
    if (open) open->end = all.size();
}

IniIndex IniIndex::load(const QString& path, QString* unreadable) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) return IniIndex(file.readAll());
    if (unreadable) *unreadable = unreadableReason(path);
    return {};
}

QString IniIndex::value(const QString& section, const QString& key,
                        const QString& defaultValue) const {
    const auto s = sections_.constFind(folded(toGb18030(section)));
    if (s == sections_.cend()) return defaultValue;
    const QByteArrayView body = QByteArrayView(bytes_).first(s->end);
    qsizetype next = 0;
    if (!s->indexed) {
        for (qsizetype at = s->begin; at < s->end; at = next) {
            const Shape shape = shapeOf(lineFrom(body, at, &next));
            if (!shape.isKey) continue;
            const QByteArray name = folded(shape.name);
            if (!s->keys.contains(name)) s->keys.insert(name, at);
        }
        s->indexed = true;
    }
    const auto k = s->keys.constFind(folded(toGb18030(key)));
    return k == s->keys.cend() ? defaultValue : valueOf(lineFrom(body, *k, &next));
}

QString readIniValue(const QString& path, const QString& section, const QString& key,
                     const QString& defaultValue) {
    return IniFile::load(path).value(section, key, defaultValue);
}

}  // namespace hb
