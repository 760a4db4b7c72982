#pragma once
// The inquiry record: one table lists every field once (name, design name, kind, template
// key); layout, the record template, New and the document composer all walk it.
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

namespace hb {

enum class FieldKind { Edit, List, Notes };

struct FieldSpec {
    QString name;        // startYear … caseNotes
    QString designName;  // objectName of the control: 编辑框1 …
    FieldKind kind;
    QString key;  // template key: num1 … num70, beizu
};

inline constexpr int kLineCount = 24;
inline constexpr int kFieldCount = 71;

// Index into fields(), in template key order.
enum class Field : int {
    startYear,
    startMonth,
    startDay,
    startHour,
    startMinute,
    endHour,
    endMinute,
    place,
    placeDetail,
    personName,
    sex,
    household,
    householdDetail,
    idKind,
    idNumber,
    workUnit,
    position,
    phone,
    otherContact,
    officer,
    otherParticipants,
    recordKeeper,
    firstLine,  // question 1; line k's question is firstLine + 2(k-1), its answer one after
    caseNotes = firstLine + 2 * kLineCount,
};

const std::array<FieldSpec, kFieldCount>& fields();
inline const FieldSpec& fieldSpec(Field f) {
    return fields()[static_cast<int>(f)];
}
Field question(int line);  // line 1..24
Field answer(int line);

// The window's hidden state values.
enum class Hidden {
    statusMessage,
    officePath,
    textFilePath,
    templatePath,
    ftpLocalPath,
    audioFilePath
};
QString designName(Hidden h);

// The record as the texts of its fields. A list field's value is the text of its edit part.
class InquiryRecord {
  public:
    virtual ~InquiryRecord() = default;
    virtual QString text(Field f) const = 0;
    virtual void setText(Field f, const QString& text) = 0;
    // List fields only. Inserting never changes the text shown.
    virtual QStringList items(Field f) const = 0;
    virtual void insertItems(Field f, int position, const QStringList& items) = 0;
    void insertItem(Field f, int position, const QString& item) {
        insertItems(f, position, {item});
    }
    virtual void clearItems(Field f) = 0;

    virtual QString hidden(Hidden h) const = 0;
    virtual void setHidden(Hidden h, const QString& text) = 0;
    // Part 0 of the status bar, until the clock's next tick.
    virtual void setStatusText(const QString& text) = 0;

    // startYear.startMonth.startDay-workUnit-personName, the texts unchanged.
    QString fileStem() const;
};

// A record without a window: the batch command and tests.
class MemoryRecord : public InquiryRecord {
  public:
    QString text(Field f) const override { return texts_[static_cast<int>(f)]; }
    void setText(Field f, const QString& text) override { texts_[static_cast<int>(f)] = text; }
    QStringList items(Field f) const override { return items_[static_cast<int>(f)]; }
    void insertItems(Field f, int position, const QStringList& items) override {
        QStringList& list = items_[static_cast<int>(f)];
        for (const QString& item : items) list.insert(position++, item);
    }
    void clearItems(Field f) override { items_[static_cast<int>(f)].clear(); }
    QString hidden(Hidden h) const override { return hidden_.value(h); }
    void setHidden(Hidden h, const QString& text) override { hidden_[h] = text; }
    void setStatusText(const QString& text) override { status_ = text; }
    QString statusText() const { return status_; }

  private:
    std::array<QString, kFieldCount> texts_;
    std::array<QStringList, kFieldCount> items_;
    QHash<Hidden, QString> hidden_;
    QString status_;
};

}  // namespace hb
