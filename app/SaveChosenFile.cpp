#include "app/SaveChosenFile.h"

#include "app/Dialogs.h"
#include "app/FileIO.h"
#include "files/Snapshot.h"

#include <QFileInfo>

namespace zq {

QString saveChosenFile(Dialogs& dialogs, const QString& chosen, const char* extension,
                    std::span<const std::uint8_t> bytes)
{
    const QString name = QString::fromStdString(forceExtension(chosen.toStdString(), extension));
    if (name == QLatin1String(extension))
        return {};
    const QFileInfo target(name);
    if (target.exists() || target.isSymLink()) {
        if (!dialogs.question("Overwrite?", "File already exists. Overwrite?"))
            return {};
        // A folder, a device, a write-protected file or a file in a folder
        // that may not be changed (so it could not be deleted) is not replaced.
        if (!target.isFile() || !target.isWritable() || !QFileInfo(target.absolutePath()).isWritable()) {
            dialogs.error("Error Saving Binary", "Could not overwrite your file.");
            return {};
        }
    }
    const QString failure = writeWholeFile(name, bytes);
    if (!failure.isEmpty()) {
        dialogs.error(QString::fromLatin1(kProgramTitle), failure);
        return {};
    }
    return name;
}

} // namespace zq
