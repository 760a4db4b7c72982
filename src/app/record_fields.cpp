#include "app/record_fields.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>
#include <QWheelEvent>

namespace hb {
namespace {

class OneLineValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
        if (input.contains(lineBreaks)) {
            pos = int(input.left(pos).replace(lineBreaks, QStringLiteral(" ")).size());
            input.replace(lineBreaks, QStringLiteral(" "));
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

void keepOnOneLine(QLineEdit* edit) {
    edit->setValidator(new OneLineValidator(edit));
}

}  // namespace hb
