#pragma once
#include "record/inquiry_record.h"

class QWidget;

namespace hb {

class ListField;
class MainWindow;

// The record as a view over the window's controls.
class WidgetRecord : public InquiryRecord {
  public:
    explicit WidgetRecord(MainWindow& window);
    QString text(Field f) const override;
    void setText(Field f, const QString& text) override;
    QStringList items(Field f) const override;
    void insertItems(Field f, int position, const QStringList& items) override;
    void clearItems(Field f) override;
    QString hidden(Hidden h) const override;
    void setHidden(Hidden h, const QString& text) override;
    void setStatusText(const QString& text) override;
    // The window has made the controls it had left for later.
    void controlsCompleted();

  private:
    void findWidgets();
    QWidget* widget(Field f) const;
    ListField* list(Field f) const;
    MainWindow& window_;
    std::array<QWidget*, kFieldCount> widgets_{};
    // Items for lists the window has not made yet, in the order given.
    struct Pending {
        Field field;
        int position;
        QStringList items;
    };
    QList<Pending> pending_;
};

}  // namespace hb
