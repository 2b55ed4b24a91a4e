// Level pictures as PNG files: the current level as the level view shows it
// (with the overlay of the ticked edit mode), or all 79 into a folder; the
// same pictures and the same encoder as zelquor-cli's render.

#include "app/MainForm.h"

#include "app/FileIO.h"
#include "app/UpDown.h"
#include "render/LevelScene.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace zq {

namespace {

const char* const kPictureFilters[] = {
    "PNG Picture, as the level view shows it (*.png)",
    "PNG Picture, at the Spectrum's size (*.png)",
};

QString levelPictureName(int levelIndex)
{
    return QStringLiteral("level%1.png").arg(levelIndex + 1, 2, 10, QLatin1Char('0'));
}

} // namespace

void TForm1::ExportPicture1Click()
{
    finishDrags();
    const QStringList filters{QString::fromLatin1(kPictureFilters[0]), QString::fromLatin1(kPictureFilters[1])};
    QString selected;
    const QString chosen = dialogs_->saveFileName("Export Level Picture", filters.join(";;"), ".", &selected);
    const int scale = selected == filters[1] ? 1 : 2;
    saveTo(chosen, ".png",
           levelPicturePng(document_.image(), state_.level.levelIndex, editMode(), scale, AreaUD->position()));
}

void TForm1::ExportAll1Click()
{
    finishDrags();
    const QString folder = dialogs_->folderName("Export All Levels", ".");
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    bool exists = false;
    for (int i = 0; i < kLevelCount && !exists; ++i)
        exists = QFileInfo::exists(dir.filePath(levelPictureName(i)));
    if (exists && !dialogs_->question("Overwrite?", "File already exists. Overwrite?"))
        return;
    // Each level at 2x with the overlay of the edit mode, as the level view
    // would show it there (the first air-flow area highlighted).
    for (int i = 0; i < kLevelCount; ++i) {
        const QString failure = writeWholeFile(dir.filePath(levelPictureName(i)),
                                               levelPicturePng(document_.image(), i, editMode(), 2, 0));
        if (!failure.isEmpty()) {
            dialogs_->error(QString::fromLatin1(kProgramTitle), failure);
            return;
        }
    }
}

} // namespace zq
