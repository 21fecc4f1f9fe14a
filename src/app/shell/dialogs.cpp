#include "app/shell/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace busmason::app {

Dialogs::Answer QtDialogs::message(QWidget* parent, Icon icon, const QString& caption,
                                   const QString& text, Buttons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

QString QtDialogs::openFile(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

int QtDialogs::exec(QDialog& dialog) {
    return dialog.exec();
}

} // namespace busmason::app
