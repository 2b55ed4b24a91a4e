#include "app/Dialogs.h"

#include <QFileDialog>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace zq {

QString QtDialogs::openFileName(const QString& title, const QString& filter, const QString& directory)
{
    return QFileDialog::getOpenFileName(owner_, title, directory, filter);
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter, const QString& directory,
                               QString* selectedFilter)
{
    // The editor forces the extension and asks before overwriting itself.
    return QFileDialog::getSaveFileName(owner_, title, directory, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtDialogs::folderName(const QString& title, const QString& directory)
{
    return QFileDialog::getExistingDirectory(owner_, title, directory);
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

bool QtDialogs::ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<int> QtDialogs::number(const QString& title, const QString& label, int value, int minimum, int maximum)
{
    bool ok = false;
    const int chosen = QInputDialog::getInt(owner_, title, label, value, minimum, maximum, 1, &ok);
    if (!ok)
        return std::nullopt;
    return chosen;
}

bool QtDialogs::progress(const QString& title, const QString& label, const std::function<bool(double&)>& step)
{
    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 1000, owner_);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    double done = 0;
    while (step(done)) {
        dialog.setValue(int(done * 1000));
        QCoreApplication::processEvents();
        if (dialog.wasCanceled())
            return false;
    }
    return true;
}

} // namespace zq
