#include "document/composer.h"

#include <QDir>
#include <algorithm>

#include "document/office.h"
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

// Printed lines on the first page below the title and header, and on every further one,
// with room left for the two closing lines (see the line heights of the document model).
constexpr int kFirstPageLines = 8;
constexpr int kPageLines = 20;

// 14 pt text on the blank page (9411 twips wide) in SimSun's widths: a half-width character
// takes 140 twips, so 67 fit; one is kept spare for faces that round their widths up.
constexpr int kLineHalfWidths = 66;

int halfWidths(QChar c) {
    return c.unicode() < 0x80 ? 1 : 2;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// Characters that never start a line, and those that never end one.
bool closesLine(QChar c) {
    static const QString set = QStringLiteral("，。、；：？！）》」』】〕〉”’…—·％,.;:?!)]}%");
    return set.contains(c);
}
bool opensLine(QChar c) {
    static const QString set = QStringLiteral("（《「『【〔〈“‘([{");
    return set.contains(c);
}

class Typist {
  public:
    explicit Typist(AppContext& ctx) : ctx_(ctx), office_(*ctx.office), record_(*ctx.record) {}

    void compose() {
        title();
        tracking_ = true;
        header();
        plain(QStringLiteral("笔 录 内 容：") + kCrLf);
        tracking_ = false;
        office_.setUnderline(true);
        lines();
        ending();
    }

  private:
    QString text(Field f) const { return record_.text(f); }
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
        office_.setSize(22);
        office_.setBold(true);
        office_.type(QStringLiteral("劳动保障监察询问笔录") + kCrLf + kCrLf);
        office_.setBold(false);
        office_.setSize(14);
        office_.setAlignment(Alignment::Left);
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
        underlined(text(Field::place) + text(Field::placeDetail) + spaces(33) + kCrLf);

        plain(QStringLiteral("被询问人姓名："));
        underlined(QLatin1Char(' ') + text(Field::personName) + QLatin1Char(' '));
        plain(QStringLiteral(" 性别："));
        underlined(QLatin1Char(' ') + text(Field::sex) + QLatin1Char(' '));
        plain(QStringLiteral(" 户籍所在地："));
        underlined(text(Field::household) + text(Field::householdDetail) + spaces(12) + kCrLf);

        plain(QStringLiteral("身份证件种类："));
        underlined(QLatin1Char(' ') + text(Field::idKind) + QLatin1Char(' '));
        plain(QStringLiteral(" 号码："));
        underlined(text(Field::idNumber) + spaces(36) + kCrLf);

        plain(QStringLiteral("工作单位："));
        underlined(text(Field::workUnit));
        plain(QStringLiteral("     职务："));
        underlined(text(Field::position) + spaces(62) + kCrLf);

        plain(QStringLiteral("电话："));
        underlined(text(Field::phone));
        plain(QStringLiteral("   其他联系方式："));
        underlined(text(Field::otherContact) + spaces(80) + kCrLf);

        plain(QStringLiteral("询问监察员姓名："));
        underlined(two + text(Field::officer) + two);
        plain(QStringLiteral(" 其他参加人："));
        underlined(two + text(Field::otherParticipants) + two);
        plain(QStringLiteral(" 记录人："));
        underlined(two + text(Field::recordKeeper) + spaces(17) + kCrLf + kCrLf);
    }

    // The two closing lines, read from Set.ini at every close as the officer may change it.
    void closingLines(bool endOfDocument) {
        const IniFile settings = IniFile::load(ctx_.paths.settingsFile());
        const QString two = spaces(2);
        plain(two + settings.value(QStringLiteral("fenye"), QStringLiteral("hang1")) + kCrLf);
        plain(two + settings.value(QStringLiteral("fenye"), QStringLiteral("hang2")) +
              (endOfDocument ? QString() : kCrLf));
    }

    // Printed lines beyond one of the closing lines take room from every page.
    int closingExtraLines() const {
        const IniFile settings = IniFile::load(ctx_.paths.settingsFile());
        int extra = 0;
        for (const char* key : {"hang1", "hang2"})
            extra += int(printedLines(spaces(2) + settings.value(QStringLiteral("fenye"),
                                                                 QString::fromLatin1(key)))
                             .size()) -
                     1;
        return extra;
    }

    void pageClose(bool endOfDocument) {
        office_.setUnderline(false);
        closingLines(endOfDocument);
        office_.setUnderline(true);
    }

    // Every question and answer in printed lines, each typed as a ruled line of its own; a
    // page closes when it is full. A page after the first that ends the record leaves out the
    // last line end, so no empty page follows it.
    void lines() {
        QStringList printed;
        for (int k = 1; k <= kLineCount; ++k) {
            if (text(question(k)).isEmpty()) continue;
            printed << printedLines(text(question(k))) << printedLines(text(answer(k)));
        }
        const int closing = closingExtraLines();
        capacity_ = std::max(1, kFirstPageLines - extraLines_ - closing);
        for (qsizetype i = 0; i < printed.size(); ++i) {
            office_.type(printed[i] + spaces(66) + kCrLf);
            if (++count_ < capacity_) continue;
            pageClose(!firstPage_ && i == printed.size() - 1);
            firstPage_ = false;
            count_ = 0;
            capacity_ = std::max(1, kPageLines - closing);
        }
    }

    void ending() {
        if (count_ == 0) return;
        office_.setUnderline(true);
        for (int i = count_; i < capacity_; ++i) office_.type(spaces(69) + kCrLf);
        office_.setUnderline(false);
        closingLines(true);
    }

    AppContext& ctx_;
    OfficeSuite& office_;
    InquiryRecord& record_;
    bool tracking_ = false;
    QString paragraph_;
    bool afterCr_ = false;
    int extraLines_ = 0;
    bool firstPage_ = true;
    int count_ = 0;
    int capacity_ = kFirstPageLines;
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
    auto breaksBefore = [&text](qsizetype i) {
        const QChar c = text[i];
        const QChar before = text[i - 1];
        if (isBlank(c) || closesLine(c) || opensLine(before)) return false;
        if (isBlank(before)) return true;
        return c.unicode() >= 0x80 || before.unicode() >= 0x80;  // not inside a Latin word
    };
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        // Blanks at a break hang past the margin: a continued line starts at its text.
        if (start > 0) {
            while (start < text.size() && isBlank(text[start])) ++start;
            if (start == text.size()) break;
        }
        int width = 0;
        qsizetype lastBreak = -1;
        qsizetype i = start;
        for (; i < text.size(); ++i) {
            if (i > start && breaksBefore(i)) lastBreak = i;
            width += halfWidths(text[i]);
            if (width > kLineHalfWidths && !isBlank(text[i])) break;
        }
        if (i == text.size()) {
            lines << (start == 0 ? text : text.mid(start));
            break;
        }
        const qsizetype end = lastBreak > start ? lastBreak : std::max(i, start + 1);
        QString line = text.mid(start, end - start);
        while (line.endsWith(QLatin1Char(' '))) line.chop(1);
        lines << line;
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
    for (Field f : {Field::startYear, Field::startMonth, Field::startDay, Field::workUnit,
                    Field::personName}) {
        const QString reason = unsafeFileNameReason(record.text(f));
        if (!reason.isEmpty())
            return QStringLiteral("“%1”%2，不能用作笔录文件名。\n请修改后再保存或打印。")
                .arg(stemFieldLabel(f), reason);
    }
    return {};
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
