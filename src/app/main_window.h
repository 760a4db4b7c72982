#pragma once
#include <QMainWindow>
#include <functional>
#include <memory>
#include <vector>

#include "record/inquiry_record.h"

class QLabel;
class QTimer;

namespace hb {

class WidgetRecord;

// The main window with every control of its design; behaviour is wired from outside.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kMenuBarHeight = 23;
    static constexpr int kStatusBarHeight = 24;
    static const QString kDesignTitle;
    static const QString kCodeOfConduct;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Parent of every control: positions are relative to it.
    QWidget* client() const { return client_; }
    // The menu item with this caption.
    QAction* action(const QString& caption) const;
    InquiryRecord& record();
    QTimer* statusClock() const { return clock_; }
    QString statusText() const;
    void setStatusText(const QString& text);

    // Once the window has been drawn: work that nothing drawn needs waits for it.
    bool drawn() const { return drawn_; }
    // Runs work just after the first paint, in the order given (soon, when already drawn).
    void whenDrawn(std::function<void()> work);
    // The lines of the third and fourth pages and the notes, all hidden at first, are made
    // once the window has been drawn, or here, when they are needed before that.
    void completeControls();

    template <class T>
    T* control(const QString& designName) {
        T* found = findChild<T*>(designName);
        if (found || controlsComplete_) return found;
        completeControls();
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
    void buildLines(int first, int last);
    QList<QWidget*> tabStops() const;

    QWidget* client_ = nullptr;
    QLabel* statusPart0_ = nullptr;
    QTimer* clock_ = nullptr;
    std::unique_ptr<WidgetRecord> record_;
    bool drawn_ = false;
    bool controlsComplete_ = false;
    std::vector<std::function<void()>> whenDrawn_;
};

}  // namespace hb
