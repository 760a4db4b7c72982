#include "app/record_fields.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>
#include <QWheelEvent>
#include <utility>

#include "platform/ini.h"

namespace hb {
namespace {

class OneLineValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QString joined = onOneLine(input);
        if (joined != input) {
            pos = int(onOneLine(input.left(pos)).size());
            input = joined;
        }
        return Acceptable;
    }
};

// A line edit that arrives with a completer keeps Qt from making one for the field, each with
// its own models, only to be set aside at once: one stand-in serves every field.
QCompleter* standInCompleter() {
    static QPointer<QCompleter> standIn;
    if (!standIn) standIn = new QCompleter(QCoreApplication::instance());
    return standIn;
}

}  // namespace

ListField::ListField(QWidget* parent) : QComboBox(parent) {
    // Editable through the line edit alone: setEditable() would also build the popup list,
    // which Qt otherwise builds when it is first opened, and size the field to its items.
    auto* edit = new QLineEdit(this);
    edit->setCompleter(standInCompleter());
    setLineEdit(edit);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    keepOnOneLine(edit);
}

void ListField::insertItemsKeepingText(int position, const QStringList& items) {
    insertPendingItems();
    // QComboBox selects the first item of an empty list by itself; the shown text must stay.
    const QString shown = currentText();
    const int current = currentIndex();
    insertItems(position, items);
    if (current < 0) {
        setCurrentIndex(-1);
        setEditText(shown);
    }
}

void ListField::insertItemsLater(int position, const QStringList& items) {
    insertPendingItems();
    pendingAt_ = position;
    pending_ = items;
}

void ListField::insertPendingItems() {
    if (pending_.isEmpty()) return;
    const QStringList items = std::exchange(pending_, {});
    insertItemsKeepingText(pendingAt_, items);
}

void ListField::showPopup() {
    insertPendingItems();
    // activated() also follows a typed text that equals an item when the field is left, and
    // arrow keys on the closed field; only the open list's own choice is a pick.
    if (!picksWatched_) {
        picksWatched_ = true;
        connect(view()->parentWidget(), SIGNAL(itemSelected(QModelIndex)), this,
                SLOT(onItemSelected(QModelIndex)));
    }
    QComboBox::showPopup();
}

void ListField::onItemSelected(const QModelIndex& index) {
    emit picked(index.row());
}

void ListField::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void ListField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool opens = key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (!opens && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                   key == Qt::Key_PageDown)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void keepOnOneLine(QLineEdit* edit) {
    edit->setValidator(new OneLineValidator(edit));
}

}  // namespace hb
