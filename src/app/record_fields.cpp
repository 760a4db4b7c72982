#include "app/record_fields.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <QWheelEvent>

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

}  // namespace

ListField::ListField(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    keepOnOneLine(lineEdit());
    // activated() also follows a typed text that equals an item when the field is left, and
    // arrow keys on the closed field; only the open list's own choice is a pick.
    connect(view()->parentWidget(), SIGNAL(itemSelected(QModelIndex)), this,
            SLOT(onItemSelected(QModelIndex)));
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
