#include "app/widget_record.h"

#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <utility>

#include "app/main_window.h"
#include "app/record_fields.h"

namespace hb {

WidgetRecord::WidgetRecord(MainWindow& window) : window_(window) {
    findWidgets();
}

void WidgetRecord::findWidgets() {
    // One walk of the window for every field, not one per field.
    QHash<QString, QWidget*> named;
    for (QWidget* w : window_.findChildren<QWidget*>())
        if (!named.contains(w->objectName())) named.insert(w->objectName(), w);
    for (int i = 0; i < kFieldCount; ++i)
        if (!widgets_[i]) widgets_[i] = named.value(fields()[i].designName);
}

QWidget* WidgetRecord::widget(Field f) const {
    QWidget* w = widgets_[static_cast<int>(f)];
    if (w) return w;
    window_.completeControls();
    return widgets_[static_cast<int>(f)];
}

void WidgetRecord::controlsCompleted() {
    findWidgets();
    for (const Pending& p : std::exchange(pending_, {}))
        if (auto* c = qobject_cast<ListField*>(widgets_[static_cast<int>(p.field)]))
            c->insertItemsLater(p.position, p.items);
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
    if (auto* c = list(f))
        for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

void WidgetRecord::insertItems(Field f, int position, const QStringList& items) {
    if (window_.drawn()) {
        if (ListField* c = list(f)) c->insertItemsKeepingText(position, items);
        return;
    }
    // Not seen before the window is drawn: kept until then, the list not made for it.
    if (QWidget* w = widgets_[static_cast<int>(f)]) {
        if (auto* c = qobject_cast<ListField*>(w)) c->insertItemsLater(position, items);
        return;
    }
    pending_.append({f, position, items});
}

void WidgetRecord::clearItems(Field f) {
    ListField* c = list(f);
    if (!c) return;
    const QString shown = c->currentText();
    c->clear();
    c->setEditText(shown);
}

// The list with every item given to it in place.
ListField* WidgetRecord::list(Field f) const {
    auto* c = qobject_cast<ListField*>(widget(f));
    if (c) c->insertPendingItems();
    return c;
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
