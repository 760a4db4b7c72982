#pragma once
// The record's input controls as the officer uses them: what is typed stays as typed.
#include <QComboBox>

class QLineEdit;

namespace hb {

// An editable list field. Its list shows only when opened: no inline completion. picked()
// is a choice of an item of the open list (mouse, or Enter on a highlighted item); typing,
// Tab, focus changes, Escape, arrow keys on the closed field and the wheel are not picks.
class ListField : public QComboBox {
    Q_OBJECT
  public:
    explicit ListField(QWidget* parent = nullptr);
    void showPopup() override;

    // Inserts items without changing the text shown. Later: when the list is first needed
    // (opened, or its items asked for) or once the window has been drawn, since the lists
    // are not seen before that.
    void insertItemsKeepingText(int position, const QStringList& items);
    void insertItemsLater(int position, const QStringList& items);
    void insertPendingItems();

  signals:
    void picked(int index);

  protected:
    // The wheel would replace the text unseen while the officer scrolls over the form.
    void wheelEvent(QWheelEvent* event) override;
    // The arrow keys on the closed field would replace the typed text with an item, beyond
    // undo; Alt+Down and F4 open the list.
    void keyPressEvent(QKeyEvent* event) override;

  private slots:
    void onItemSelected(const QModelIndex& index);

  private:
    bool picksWatched_ = false;
    int pendingAt_ = 0;
    QStringList pending_;
};

// Pasted or dropped line breaks become one blank per run: a single-line field never holds one.
void keepOnOneLine(QLineEdit* edit);

}  // namespace hb
