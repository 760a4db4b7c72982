#include "app/navigation.h"

#include <QGroupBox>
#include <QPushButton>

#include "app/main_window.h"

namespace hb {
namespace {

const QRect kLeftPage(1, 59, 517, 510);
const QRect kRightPage(519, 59, 500, 510);

QWidget* part(MainWindow& w, const char* name) {
    return w.control<QWidget>(QString::fromUtf8(name));
}

// The notes panel lies over the right-hand page; the right-edge buttons over both.
void restack(MainWindow& w) {
    part(w, "分组框6")->raise();
    for (const char* button : {"按钮5", "按钮2", "按钮1"}) part(w, button)->raise();
}

}  // namespace

void showSecondScreen(MainWindow& w) {
    w.completeControls();  // the lines of these pages
    part(w, "分组框1")->hide();
    part(w, "分组框2")->hide();
    part(w, "按钮1")->setEnabled(false);
    part(w, "按钮2")->setEnabled(true);
    part(w, "分组框3")->setGeometry(kLeftPage);
    part(w, "分组框4")->setGeometry(kRightPage);
    part(w, "分组框3")->show();
    part(w, "分组框4")->show();
    restack(w);
}

void showFirstScreen(MainWindow& w) {
    part(w, "分组框1")->show();
    part(w, "分组框2")->show();
    part(w, "按钮1")->setEnabled(true);
    part(w, "按钮2")->setEnabled(false);
    // Hidden as well as moved away: Tab must not reach lines nobody sees.
    for (const char* page : {"分组框3", "分组框4"}) {
        QWidget* g = part(w, page);
        g->move(1660, g->y());
        g->hide();
    }
    restack(w);
}

void toggleNotes(MainWindow& w) {
    QWidget* notes = part(w, "分组框6");
    notes->setGeometry(kRightPage);
    notes->setVisible(notes->isHidden());
    restack(w);
}

QString statusClockText(const QString& statusMessage, const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const QString date = QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day());
    QString time;
    if (t.second() != 0)
        time = QStringLiteral("%1时%2分%3秒").arg(t.hour()).arg(t.minute()).arg(t.second());
    else if (t.minute() != 0)
        time = QStringLiteral("%1时%2分").arg(t.hour()).arg(t.minute());
    else if (t.hour() != 0)
        time = QStringLiteral("%1时").arg(t.hour());
    return statusMessage + QString(14, QLatin1Char(' ')) + QStringLiteral("当前日期： ") + date +
           QString(4, QLatin1Char(' ')) + time;
}

}  // namespace hb
