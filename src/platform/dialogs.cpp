#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

namespace hb {

QString qtFileFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns);
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// Boxes and dialogs open over the window they concern: a modal window that is open, else the
// main window, whichever window the desktop takes as active (often none, after a click in a
// panel), so that none lands at the centre of the screen.
QWidget* owner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
    return QApplication::activeWindow();
}

}  // namespace

Answer QtDialogs::message(const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    QMessageBox box(owner());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    QPushButton* yes = nullptr;
    QPushButton* ok = nullptr;
    switch (buttons) {
        case Buttons::Ok:
            ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
            box.setEscapeButton(ok);
            break;
        case Buttons::OkCancel:
            ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
            box.setEscapeButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
            break;
        case Buttons::YesNo:
            yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
            box.setEscapeButton(box.addButton(QStringLiteral("否"), QMessageBox::NoRole));
            break;
    }
    box.setDefaultButton(ok ? ok : yes);
    box.exec();
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (buttons == Buttons::OkCancel)
        return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

QString QtDialogs::chooseFile(const FileDialogSpec& request) {
    QFileDialog dialog(owner(), request.title);
    dialog.setObjectName(request.designName);
    // Qt's own dialog: the desktop's may ignore the side bar and the column width.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(qtFileFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    switch (request.mode) {
        case FileDialogSpec::Mode::Open:
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileDialogSpec::Mode::Save:
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            break;
        case FileDialogSpec::Mode::BrowseFiles:
            // Files and folders, with a name field, as the officers' browse dialog has.
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setNameFilter(QString());
            break;
    }
    QList<QUrl> side = dialog.sidebarUrls();
    for (const QString& place : request.places) {
        const QUrl url = QUrl::fromLocalFile(place);
        if (QFileInfo(place).isDir() && !side.contains(url)) side.append(url);
    }
    dialog.setSidebarUrls(side);
    const QString key = request.designName + QLatin1Char('|') + request.startDir;
    const QString last = lastChoice_.value(key);
    if (!last.isEmpty() && QFileInfo(last).absoluteDir().exists())
        dialog.setDirectory(QFileInfo(last).absolutePath());
    else if (!request.startDir.isEmpty() && QFileInfo(request.startDir).isDir())
        dialog.setDirectory(request.startDir);
    if (!request.suggestedName.isEmpty())
        dialog.selectFile(request.suggestedName);
    else if (QFileInfo(last).isFile())
        dialog.selectFile(last);  // the name is kept from one use to the next
    // Record names are long and alike at the start: the name column shows them whole.
    dialog.resize(860, 500);
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView")))
        details->header()->resizeSection(0, 480);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    lastChoice_.insert(key, chosen);
    return chosen;
}

}  // namespace hb
