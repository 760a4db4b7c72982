#pragma once
// The officer's input as the window system delivers it: a click goes to the window at a
// point and reaches whatever is drawn on top there; keys go to the focused window; a pick
// chooses an item of the list field's open popup.
#include <QPoint>
#include <QString>
#include <Qt>

class QComboBox;
class QWidget;

namespace hb::test {

// The widget a click at pos (in ref's coordinates) reaches: the top-most visible one there.
QWidget* widgetAt(QWidget* ref, QPoint pos);
// A left click at pos (in ref's coordinates), delivered to ref's window.
void clickAt(QWidget* ref, QPoint pos);
// A click in the middle of where w is drawn; whatever lies on top there gets it.
void click(QWidget* w);
// Text typed into the focused control, one key event a character.
void type(const QString& text);
void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Opens the list by its arrow and clicks the row in the open list.
void pick(QComboBox* field, int row);
// Opens the list by its arrow, moves to the row with the arrow keys and presses Enter.
void pickWithKeys(QComboBox* field, int row);

}  // namespace hb::test
