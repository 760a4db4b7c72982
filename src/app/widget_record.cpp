#include "app/widget_record.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/main_window.h"

namespace hb {

WidgetRecord::WidgetRecord(MainWindow& window) : window_(window) {
    for (int i = 0; i < kFieldCount; ++i)
        widgets_[i] = window.findChild<QWidget*>(fields()[i].designName);
}

QWidget* WidgetRecord::widget(Field f) const {
    return widgets_[static_cast<int>(f)];
}

QString WidgetRecord::text(Field f) const {
    QWidget* w = widget(f);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
    return {};
}

void WidgetRecord::setText(Field f, const QString& text) {
    QWidget* w = widget(f);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        // The shown text alone, not a pick: no item becomes current.
        c->setCurrentIndex(-1);
        c->setEditText(text);
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) p->setPlainText(text);
}

QStringList WidgetRecord::items(Field f) const {
    QStringList out;
    if (auto* c = qobject_cast<QComboBox*>(widget(f)))
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

void WidgetRecord::insertItems(Field f, int position, const QStringList& items) {
    auto* c = qobject_cast<QComboBox*>(widget(f));
    if (!c) return;
    // QComboBox selects the first item of an empty list by itself; the shown text must stay.
    const QString shown = c->currentText();
    const int current = c->currentIndex();
    c->insertItems(position, items);
    if (current < 0) {
        c->setCurrentIndex(-1);
        c->setEditText(shown);
    }
}

void WidgetRecord::clearItems(Field f) {
    auto* c = qobject_cast<QComboBox*>(widget(f));
    if (!c) return;
    const QString shown = c->currentText();
    c->clear();
    c->setEditText(shown);
}

QString WidgetRecord::hidden(Hidden h) const {
    auto* e = window_.findChild<QLineEdit*>(designName(h));
    return e ? e->text() : QString();
}

void WidgetRecord::setHidden(Hidden h, const QString& text) {
    if (auto* e = window_.findChild<QLineEdit*>(designName(h))) e->setText(text);
}

void WidgetRecord::setStatusText(const QString& text) {
    window_.setStatusText(text);
}

}  // namespace hb
