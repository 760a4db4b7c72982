#pragma once
#include <QMainWindow>
#include <memory>

#include "record/inquiry_record.h"

class QLabel;
class QTimer;

namespace hb {

// The main window with every control of its design; behaviour is wired from outside.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kMenuBarHeight = 23;
    static const QString kDesignTitle;
    static const QString kCodeOfConduct;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Parent of every control: positions are relative to it.
    QWidget* client() const { return client_; }
    // The menu item with this caption.
    QAction* action(const QString& caption) const;
    InquiryRecord& record() { return *record_; }
    QTimer* statusClock() const { return clock_; }
    QString statusText() const;
    void setStatusText(const QString& text);

    // Once the window has been drawn: work that nothing drawn needs waits for it.
    bool drawn() const { return drawn_; }

    template <class T>
    T* control(const QString& designName) const {
        return findChild<T*>(designName);
    }

  signals:
    // The window is being closed by its close box: the exit hook runs.
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void buildMenus();
    void buildControls();
    QList<QWidget*> tabStops() const;

    QWidget* client_ = nullptr;
    QLabel* statusPart0_ = nullptr;
    QTimer* clock_ = nullptr;
    std::unique_ptr<InquiryRecord> record_;
    bool drawn_ = false;
};

}  // namespace hb
