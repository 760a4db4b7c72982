#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

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

Answer QtDialogs::message(const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    QMessageBox box(QApplication::activeWindow());
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
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setObjectName(request.designName);
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
    if (!request.suggestedName.isEmpty()) dialog.selectFile(request.suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace hb
