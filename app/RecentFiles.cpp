#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace zq {

namespace {
const char* const kRecentFilesSetting = "files/recent";
} // namespace

QStringList RecentFiles::files() const
{
    QStringList files = QSettings().value(kRecentFilesSetting).toStringList();
    files.removeAll(QString());
    files.removeDuplicates();
    return files.mid(0, kMax);
}

void RecentFiles::add(const QString& name)
{
    const QString path = QFileInfo(name).absoluteFilePath();
    QStringList list = files();
    list.removeAll(path);
    list.prepend(path);
    store(list);
}

void RecentFiles::remove(const QString& name)
{
    QStringList list = files();
    list.removeAll(name);
    store(list);
}

void RecentFiles::clear()
{
    QSettings().remove(kRecentFilesSetting);
}

void RecentFiles::store(const QStringList& files)
{
    QSettings().setValue(kRecentFilesSetting, files.mid(0, kMax));
}

} // namespace zq
