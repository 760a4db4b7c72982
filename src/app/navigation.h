#pragma once
// The two screens of the record, the notes panel and the status clock.
#include <QDateTime>
#include <QString>

namespace hb {

class MainWindow;

void showSecondScreen(MainWindow& window);
void showFirstScreen(MainWindow& window);
void toggleNotes(MainWindow& window);
// statusMessage, 14 blanks, 当前日期：, the date, four blanks, the time.
QString statusClockText(const QString& statusMessage, const QDateTime& now);

}  // namespace hb
