#include "document/composer.h"

#include <QDir>

#include "record/inquiry_record.h"
#include "document/office.h"
#include "platform/context.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/ini.h"
#include "record/template.h"
#include "resources/resources.h"

namespace hb {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

// Lines counted on the first page and on every further one.
constexpr int kFirstPageLines = 8;
constexpr int kPageLines = 20;

class Typist {
  public:
    explicit Typist(AppContext& ctx) : ctx_(ctx), office_(*ctx.office), record_(*ctx.record) {}

    void compose() {
        title();
        header();
        office_.type(QStringLiteral("笔 录 内 容：") + kCrLf);
        office_.setUnderline(true);
        lines();
        ending();
    }

  private:
    QString text(Field f) const { return record_.text(f); }
    void plain(const QString& t) { office_.type(t); }
    void underlined(const QString& t) {
        office_.setUnderline(true);
        office_.type(t);
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

    bool laterLinesEmpty(int k) const {
        for (int j = k + 1; j <= kLineCount; ++j)
            if (!text(question(j)).isEmpty() || !text(answer(j)).isEmpty()) return false;
        return true;
    }

    // The two closing lines, read from Set.ini at every close as the officer may change it.
    void closingLines(bool endOfDocument) {
        const IniFile settings = IniFile::load(ctx_.paths.settingsFile());
        const QString two = spaces(2);
        plain(two + settings.value(QStringLiteral("fenye"), QStringLiteral("hang1")) + kCrLf);
        plain(two + settings.value(QStringLiteral("fenye"), QStringLiteral("hang2")) +
              (endOfDocument ? QString() : kCrLf));
    }

    void pageClose(int k, bool lastPageForm) {
        office_.setUnderline(false);
        closingLines(lastPageForm && laterLinesEmpty(k));
        office_.setUnderline(true);
        count_ = 0;
    }

    void lines() {
        for (int k = 1; k <= kLineCount; ++k) {
            if (!text(question(k)).isEmpty()) {
                count_ += 2;
                office_.type(text(question(k)) + spaces(66) + kCrLf);
                office_.type(text(answer(k)) + spaces(66) + kCrLf);
            }
            if (k >= 4 && k <= 6 && count_ == kFirstPageLines) pageClose(k, false);
            if (k >= 12 && k <= 18 && count_ == kPageLines) pageClose(k, true);
            if (k >= 21 && k <= 23 && count_ == kPageLines) pageClose(k, false);
        }
    }

    void ending() {
        if (count_ == 0) return;
        office_.setUnderline(true);
        for (int i = count_; i < kPageLines; ++i) office_.type(spaces(69) + kCrLf);
        office_.setUnderline(false);
        closingLines(true);
    }

    AppContext& ctx_;
    OfficeSuite& office_;
    InquiryRecord& record_;
    int count_ = 0;
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
            return QStringLiteral("“%1”的内容%2，不能用作笔录文件名。\n请修改后再保存或打印。")
                .arg(stemFieldLabel(f), reason);
    }
    return {};
}

Composition composeRecordDocument(AppContext& ctx) {
    Composition result;
    InquiryRecord& record = *ctx.record;
    OfficeSuite& office = *ctx.office;
    const QString bl = ctx.paths.blDir();
    QDir().mkpath(bl);
    const QString blank = bl + QStringLiteral("/Doc.doc");
    QString why;
    if (!writeFileBytes(blank, shippedFile(QStringLiteral("document/Doc.doc")), &why))
        result.documentError = QStringLiteral("无法写入 %1：%2").arg(blank, why);

    office.create();
    office.attach();
    if (office.open(blank)) {
        office.setVisible(false);
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
