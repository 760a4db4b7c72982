#include "support/ui.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QWindow>
#include <QtTest>

namespace hb::test {
namespace {

QWindow* windowOf(QWidget* w) {
    QWidget* top = w->window();
    if (!top->isVisible())
        qWarning("input to a window that is not shown: %s", qPrintable(top->objectName()));
    return top->windowHandle();
}

QPoint inWindow(QWidget* ref, QPoint pos) {
    return ref->mapTo(ref->window(), pos);
}

QAbstractItemView* openList(QComboBox* field) {
    QStyleOptionComboBox option;
    option.initFrom(field);
    option.editable = field->isEditable();
    option.subControls = QStyle::SC_All;
    const QRect arrow = field->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxArrow, field);
    clickAt(field, arrow.center());
    QAbstractItemView* view = field->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 2000))
        qWarning("the list of %s did not open", qPrintable(field->objectName()));
    return view;
}

}  // namespace

QWidget* widgetAt(QWidget* ref, QPoint pos) {
    QWidget* top = ref->window();
    QWidget* hit = top->childAt(inWindow(ref, pos));
    return hit ? hit : top;
}

void clickAt(QWidget* ref, QPoint pos) {
    QTest::mouseClick(windowOf(ref), Qt::LeftButton, {}, inWindow(ref, pos));
}

void click(QWidget* w) {
    clickAt(w, w->rect().center());
}

void type(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, QGuiApplication::focusWindow(), Qt::Key_unknown,
                            text.mid(i, n), Qt::NoModifier);
        i += n - 1;
    }
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(QGuiApplication::focusWindow(), k, modifiers);
}

void pick(QComboBox* field, int row) {
    QAbstractItemView* view = openList(field);
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    // The hand moves onto the item before it clicks.
    QTest::mouseMove(windowOf(view), inWindow(view->viewport(), at));
    clickAt(view->viewport(), at);
}

void pickWithKeys(QComboBox* field, int row) {
    openList(field);
    const int from = field->currentIndex();
    for (int i = from; i < row; ++i) key(Qt::Key_Down);
    for (int i = row; i < from; ++i) key(Qt::Key_Up);
    key(Qt::Key_Return);
}

}  // namespace hb::test
