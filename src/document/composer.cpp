#include "document/composer.h"

#include <QDir>
#include <QTextBoundaryFinder>
#include <algorithm>

#include "office/office.h"
#include "platform/context.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/ini.h"
#include "record/inquiry_record.h"
#include "record/template.h"
#include "resources/resources.h"

namespace hb {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

// A line of blanks alone takes an office's own height for blanks, not the paragraph's.
QString withoutTrailingBlanks(QString line) {
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    return line;
}

// Printed lines on the first page below the title and header, and on every further one,
// with room left for the two closing lines (see the line heights of the document model).
constexpr int kFirstPageLines = 8;
constexpr int kPageLines = 20;

// 14 pt text on the blank page (9411 twips wide) in SimSun's widths: a half-width character
// takes 140 twips, so 67 fit; one is kept spare for faces that round their widths up.
constexpr int kLineHalfWidths = 66;
constexpr int kFullLineHalfWidths = 67;

// Exact line heights: two pitches of the blank page's grid (312 twips), three for the title.
constexpr double kLinePt = 31.2;
constexpr double kTitleLinePt = 46.8;

// Full-width characters (Chinese, and whatever lies beyond the Basic Multilingual Plane, as
// an emoji) take two half-widths, whatever number of UTF-16 units they are made of.
int halfWidths(QStringView cluster) {
    return cluster.isEmpty() || cluster.front().unicode() < 0x80 ? 1 : 2;
}
int halfWidths(const QStringList& clusters) {
    int width = 0;
    for (const QString& c : clusters) width += halfWidths(c);
    return width;
}

// The characters as the reader sees them: a surrogate pair, or a base with its combining
// marks and joiners, is one and never broken apart.
QStringList clustersOf(const QString& text) {
    QStringList out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() >= 0) {
        out << text.mid(start, finder.position() - start);
        start = finder.position();
    }
    return out;
}

bool isBlank(QStringView c) {
    return c == u" ";
}

// Characters that never start a line, and those that never end one.
bool closesLine(QStringView c) {
    static const QString set = QStringLiteral("，。、；：？！）》」』】〕〉”’…—·％,.;:?!)]}%");
    return c.size() == 1 && set.contains(c.front());
}
bool opensLine(QStringView c) {
    static const QString set = QStringLiteral("（《「『【〔〈“‘([{");
    return c.size() == 1 && set.contains(c.front());
}

class Typist {
  public:
    explicit Typist(AppContext& ctx) : ctx_(ctx), office_(*ctx.office), record_(*ctx.record) {
        // One read of Set.ini a composition, however long its phrase lists.
        const IniIndex settings = IniIndex::load(ctx_.paths.settingsFile());
        for (const char* key : {"hang1", "hang2"})
            closing_ << settings.value(QStringLiteral("fenye"), QString::fromLatin1(key));
    }

    void compose() {
        title();
        tracking_ = true;
        header();
        plain(QStringLiteral("笔 录 内 容：") + kCrLf);
        tracking_ = false;
        office_.setRuled(true);
        lines();
        ending();
    }

  private:
    // A tab, pasted or from a template, would jump to the office's tab stops: a blank here.
    QString text(Field f) const {
        return record_.text(f).replace(QLatin1Char('\t'), QLatin1Char(' '));
    }
    // Typed text; after the title its printed lines beyond one a paragraph are counted.
    void plain(const QString& t) {
        office_.type(t);
        if (!tracking_) return;
        for (const QChar c : t) {
            const bool lf = c == QLatin1Char('\n');
            if (c == QLatin1Char('\r') || (lf && !afterCr_)) {
                extraLines_ += int(printedLines(paragraph_).size()) - 1;
                paragraph_.clear();
            } else if (!lf) {
                paragraph_ += c;
            }
            afterCr_ = c == QLatin1Char('\r');
        }
    }
    void underlined(const QString& t) {
        office_.setUnderline(true);
        plain(t);
        office_.setUnderline(false);
    }

    void title() {
        office_.setAlignment(Alignment::Centre);
        office_.setLineHeight(kTitleLinePt);
        office_.setSize(22);
        office_.setBold(true);
        office_.type(QStringLiteral("劳动保障监察询问笔录") + kCrLf + kCrLf);
        office_.setBold(false);
        office_.setSize(14);
        office_.setAlignment(Alignment::Left);
        office_.setLineHeight(kLinePt);
    }

    // Blanks that rule a header field to the margin, never past it: blanks beyond the margin
    // are each office's own affair.
    QString padded(const QString& field, int n) const {
        const QStringList printed = printedLines(paragraph_ + field);
        const int room = kFullLineHalfWidths - halfWidths(clustersOf(printed.last()));
        return field + spaces(std::clamp(room, 0, n));
    }

    void header() {
        const QString two = spaces(2);
        plain(QStringLiteral("笔录起至时间："));
        underlined(two + text(Field::startYear));
        plain(QStringLiteral("年"));
        underlined(two + text(Field::startMonth));
        plain(QStringLiteral("月"));
        underlined(two + text(Field::startDay));
        plain(QStringLiteral("日"));
        underlined(two + text(Field::startHour));
        plain(QStringLiteral("时"));
        underlined(two + text(Field::startMinute));
        plain(timeSeparator(text(Field::startMonth), text(Field::startDay)));
        underlined(two + text(Field::endHour));
        plain(QStringLiteral("时"));
        underlined(two + text(Field::endMinute));
        plain(QStringLiteral("分") + kCrLf);

        plain(QStringLiteral("笔录地点："));
        underlined(padded(text(Field::place) + text(Field::placeDetail), 33) + kCrLf);

        plain(QStringLiteral("被询问人姓名："));
        underlined(QLatin1Char(' ') + text(Field::personName) + QLatin1Char(' '));
        plain(QStringLiteral(" 性别："));
        underlined(QLatin1Char(' ') + text(Field::sex) + QLatin1Char(' '));
        plain(QStringLiteral(" 户籍所在地："));
        underlined(padded(text(Field::household) + text(Field::householdDetail), 12) + kCrLf);

        plain(QStringLiteral("身份证件种类："));
        underlined(QLatin1Char(' ') + text(Field::idKind) + QLatin1Char(' '));
        plain(QStringLiteral(" 号码："));
        underlined(padded(text(Field::idNumber), 36) + kCrLf);

        plain(QStringLiteral("工作单位："));
        underlined(text(Field::workUnit));
        plain(QStringLiteral("     职务："));
        underlined(padded(text(Field::position), 62) + kCrLf);

        plain(QStringLiteral("电话："));
        underlined(text(Field::phone));
        plain(QStringLiteral("   其他联系方式："));
        underlined(padded(text(Field::otherContact), 80) + kCrLf);

        plain(QStringLiteral("询问监察员姓名："));
        underlined(two + text(Field::officer) + two);
        plain(QStringLiteral(" 其他参加人："));
        underlined(two + text(Field::otherParticipants) + two);
        plain(QStringLiteral(" 记录人："));
        underlined(padded(two + text(Field::recordKeeper), 17) + kCrLf + kCrLf);
    }

    void closingLines(bool endOfDocument) {
        const auto line = [this](int i) { return withoutTrailingBlanks(spaces(2) + closing_[i]); };
        plain(line(0) + kCrLf);
        plain(line(1) + (endOfDocument ? QString() : kCrLf));
    }

    // Printed lines beyond one of the closing lines take room from every page.
    int closingExtraLines() const {
        int extra = 0;
        for (const QString& line : closing_)
            extra += int(printedLines(spaces(2) + line).size()) - 1;
        return extra;
    }

    void pageClose(bool endOfDocument) {
        office_.setRuled(false);
        closingLines(endOfDocument);
        if (!endOfDocument) office_.setRuled(true);
        count_ = 0;
        capacity_ = std::max(1, kPageLines - closingExtra_);
    }

    // Empty ruled lines up to the foot of the page.
    void fillPage() {
        for (; count_ < capacity_; ++count_) office_.type(kCrLf);
    }

    // Every question and answer in printed lines, each a ruled line of its own; a page closes
    // when it is full. A question goes to the next page with its answer when its answer's
    // first line would not follow it on this one and the two fit on a page. The close that
    // ends the record leaves out its last line end, so no empty page follows it.
    void lines() {
        struct Pair {
            QStringList question, answer;
        };
        QList<Pair> pairs;
        qsizetype total = 0;
        for (int k = 1; k <= kLineCount; ++k) {
            if (text(question(k)).isEmpty()) continue;
            pairs.append({printedLines(text(question(k))), printedLines(text(answer(k)))});
            total += pairs.back().question.size() + pairs.back().answer.size();
        }
        closingExtra_ = closingExtraLines();
        capacity_ = std::max(1, kFirstPageLines - extraLines_ - closingExtra_);
        qsizetype typed = 0;
        for (const Pair& pair : pairs) {
            const qsizetype together = pair.question.size() + 1;
            if (count_ > 0 && count_ + together > capacity_ &&
                together <= std::max(1, kPageLines - closingExtra_)) {
                fillPage();
                pageClose(false);
            }
            for (const QString& line : pair.question + pair.answer) {
                office_.type(withoutTrailingBlanks(line) + kCrLf);
                ++typed;
                if (++count_ == capacity_) pageClose(typed == total);
            }
        }
    }

    void ending() {
        if (count_ == 0) return;
        fillPage();
        office_.setRuled(false);
        closingLines(true);
    }

    AppContext& ctx_;
    OfficeSuite& office_;
    InquiryRecord& record_;
    QStringList closing_;  // the two closing lines of a page
    bool tracking_ = false;
    QString paragraph_;
    bool afterCr_ = false;
    int extraLines_ = 0;
    int count_ = 0;
    int capacity_ = kFirstPageLines;
    int closingExtra_ = 0;  // printed lines of the closing lines beyond their two
};

QString stemFieldLabel(Field f) {
    switch (f) {
        case Field::startYear:
            return QStringLiteral("笔录起始时间（年）");
        case Field::startMonth:
            return QStringLiteral("笔录起始时间（月）");
        case Field::startDay:
            return QStringLiteral("笔录起始时间（日）");
        case Field::workUnit:
            return QStringLiteral("工作单位");
        default:
            return QStringLiteral("被询问人姓名");
    }
}

}  // namespace

QStringList printedLines(const QString& text) {
    const QStringList chars = clustersOf(text);
    auto breaksBefore = [&chars](qsizetype i) {
        const QString& c = chars[i];
        const QString& before = chars[i - 1];
        if (isBlank(c) || closesLine(c) || opensLine(before)) return false;
        if (isBlank(before)) return true;
        return halfWidths(c) == 2 || halfWidths(before) == 2;  // not inside a Latin word
    };
    auto joined = [&chars](qsizetype from, qsizetype to) {
        QString out;
        for (qsizetype i = from; i < to; ++i) out += chars[i];
        return out;
    };
    QStringList lines;
    qsizetype start = 0;
    while (start < chars.size()) {
        // Blanks at a break hang past the margin: a continued line starts at its text.
        if (start > 0) {
            while (start < chars.size() && isBlank(chars[start])) ++start;
            if (start == chars.size()) break;
        }
        int width = 0;
        qsizetype lastBreak = -1;
        qsizetype i = start;
        for (; i < chars.size(); ++i) {
            if (i > start && breaksBefore(i)) lastBreak = i;
            width += halfWidths(chars[i]);
            if (width > kLineHalfWidths && !isBlank(chars[i])) break;
        }
        if (i == chars.size()) {
            lines << (start == 0 ? text : joined(start, i));
            break;
        }
        const qsizetype end = lastBreak > start ? lastBreak : std::max(i, start + 1);
        lines << withoutTrailingBlanks(joined(start, end));
        start = end;
    }
    if (lines.isEmpty()) lines << text;
    return lines;
}

QString timeSeparator(const QString& month, const QString& day) {
    const int twos = (toGbk(month).size() == 2) + (toGbk(day).size() == 2);
    if (twos == 2) return QStringLiteral("分  至  ");
    if (twos == 1) return QStringLiteral("分   至  ");
    return QStringLiteral("分   至   ");
}

QString unsafeStemMessage(const InquiryRecord& record) {
    const auto refused = [](Field f, const QString& why) {
        return QStringLiteral("“%1”%2，不能用作笔录文件名。\n请修改后再保存或打印。")
            .arg(stemFieldLabel(f), why);
    };
    // Empty parts still make a valid name ("2026.12.9-单位-"); a leading "." hides the file.
    const QString year = record.text(Field::startYear);
    if (year.isEmpty())
        return refused(Field::startYear, QStringLiteral("没有填写，文件名会以“.”开头"));
    if (year.startsWith(QLatin1Char('.')))
        return refused(Field::startYear, QStringLiteral("以“.”开头"));
    const Field parts[] = {Field::startYear, Field::startMonth, Field::startDay, Field::workUnit,
                           Field::personName};
    for (Field f : parts) {
        const QString reason = unsafeCharacterReason(record.text(f));
        if (!reason.isEmpty()) return refused(f, reason);
    }
    // Checked before anything is composed: a name the file system refuses would fail the
    // template and the document only at the end. ".ini" and ".doc" are equally long.
    const int over =
        fileNameLength(record.fileStem() + QStringLiteral(".ini")) - kMaxFileNameLength;
    if (over <= 0) return {};
    const Field widest =
        *std::max_element(std::begin(parts), std::end(parts), [&](Field a, Field b) {
            return fileNameLength(record.text(a)) < fileNameLength(record.text(b));
        });
    const QString text = record.text(widest);
    int room = fileNameLength(text) - over;
    int fits = 0;
    for (const char32_t c : text.toUcs4()) {
        room -= fileNameLength(QString::fromUcs4(&c, 1));
        if (room < 0) break;
        ++fits;
    }
#ifdef Q_OS_WIN
    const QString limit = QStringLiteral("%1 个字符").arg(kMaxFileNameLength);
#else
    const QString limit = QStringLiteral("%1 字节（一个汉字占 3 字节）").arg(kMaxFileNameLength);
#endif
    return QStringLiteral(
               "“%1”太长，笔录文件名最长 %2。\n在其他各项不变时，"
               "“%1”最多可以写 %3 个字。请修改后再保存或打印。")
        .arg(stemFieldLabel(widest), limit)
        .arg(fits);
}

Composition composeRecordDocument(AppContext& ctx) {
    Composition result;
    InquiryRecord& record = *ctx.record;
    OfficeSuite& office = *ctx.office;
    const QString bl = ctx.paths.blDir();
    makePrivateDir(bl);  // names and ID numbers go into it
    const QString blank = bl + QStringLiteral("/Doc.doc");
    const QByteArray blankBytes = shippedFile(QStringLiteral("document/Doc.doc"));
    QString why;
    // A Doc.doc that cannot be replaced serves as long as it is the blank; another document
    // there would be printed or saved in place of the record.
    if (!writeFileBytes(blank, blankBytes, &why) && readFileBytes(blank) != blankBytes)
        result.documentError = QStringLiteral("无法写入 %1：%2").arg(blank, why);

    office.create();
    office.attach();
    if (result.documentError.isEmpty() && office.open(blank)) {
        office.setVisible(false);
        // Print queues show it: two records must not share a name there.
        office.setTitle(record.fileStem());
        Typist(ctx).compose();
        result.documentReady = true;
    } else if (result.documentError.isEmpty()) {
        result.documentError = office.lastError();
    }

    QString notes = record.text(Field::caseNotes);
    notes.replace(QLatin1Char('\r'), QLatin1Char(' '));
    notes.replace(QLatin1Char('\n'), QLatin1Char(' '));
    record.setText(Field::caseNotes, notes);

    const QString stem = record.fileStem();
    result.templatePath = bl + QLatin1Char('/') + stem + QStringLiteral(".ini");
    if (!unsafeStemMessage(record).isEmpty())
        result.templateError = QStringLiteral("文件名不可用");
    else if (!writeTemplate(record, result.templatePath, &why))
        result.templateError = why;
    return result;
}

}  // namespace hb
