#include "app/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zq {

QString QtDialogs::openFileName(const QString& title, const QString& filter, const QString& directory)
{
    return QFileDialog::getOpenFileName(owner_, title, directory, filter);
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter, const QString& directory)
{
    // The editor forces the extension and asks before overwriting itself.
    return QFileDialog::getSaveFileName(owner_, title, directory, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtDialogs::message(const QString& text)
{
    QMessageBox::information(owner_, QString::fromLatin1(kProgramTitle), text);
}

bool QtDialogs::question(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel, owner_);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void QtDialogs::error(const QString& caption, const QString& text)
{
    QMessageBox::critical(owner_, caption, text);
}

} // namespace zq
