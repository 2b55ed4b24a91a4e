// The play window's files: the ROM, screenshots and checkpoints. Everything
// it writes goes through the same save path as the editor's exports.

#include "app/PlayWindow.h"

#include "app/Dialogs.h"
#include "app/GameFiles.h"
#include "app/FileIO.h"
#include "app/MachineView.h"
#include "app/RomSetting.h"
#include "app/SaveChosenFile.h"
#include "emu/Rom.h"
#include "files/FileKind.h"
#include "files/SnapshotFormats.h"

#include <QBuffer>
#include <QFileInfo>
#include <QStatusBar>

namespace zq {

void PlayWindow::chooseRom()
{
    const QString name = dialogs_.openFileName("Choose a 48K ROM", "ZX Spectrum 48K ROM (*.rom *.bin);;All files (*)", ".");
    if (name.isEmpty())
        return;
    if (emu::readRomFile(name.toStdString()).empty()) {
        view_->setMessage(QStringLiteral("%1 is not a 16384-byte 48K ROM: the ROM in use stays.").arg(name));
        return;
    }
    setOwnRom(name);
    playGame();
}

void PlayWindow::saveScreenshot()
{
    const QString chosen = dialogs_.saveFileName("Save Screenshot", "PNG Pictures (*.png)", ".");
    if (chosen.isEmpty())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    view_->shownPicture().save(&buffer, "PNG");
    saveChosenFile(dialogs_, chosen, ".png", byteSpan(png));
}

void PlayWindow::saveCheckpointAs()
{
    if (!romReady_)
        return;
    if (session_.checkpointCount() == 0)
        takeCheckpoint();
    const emu::Checkpoint& newest = session_.checkpoint(0);
    const QString chosen = dialogs_.saveFileName("Save Checkpoint As", "Checkpoints (*.szx)", ".");
    if (chosen.isEmpty())
        return;
    const std::vector<std::uint8_t> bytes = encodeRunState(newest.state);
    if (bytes.empty()) {
        dialogs_.error(QString::fromLatin1(kProgramTitle), "The checkpoint could not be written as a .szx file.");
        return;
    }
    if (!saveChosenFile(dialogs_, chosen, ".szx", bytes).isEmpty())
        statusBar()->showMessage(QStringLiteral("Saved %1").arg(QString::fromStdString(newest.name)), kNoticeMs);
}

void PlayWindow::openCheckpoint()
{
    const QString name =
        dialogs_.openFileName("Open Checkpoint", "Checkpoints (*.szx);;ZX Spectrum snapshots (*.sna *.z80 *.szx)", ".");
    if (name.isEmpty())
        return;
    const std::optional<QByteArray> file = readShowingErrors(name, acceptedForOpen, dialogs_);
    if (!file)
        return;
    RunState state;
    if (!decodeRunState(byteSpan(*file), kindFromName(name.toStdString()), state).empty()) {
        dialogs_.message("File is not a ZX Spectrum snapshot");
        return;
    }
    const emu::Checkpoint& added = session_.addCheckpoint(QFileInfo(name).completeBaseName().toStdString(), state);
    statusBar()->showMessage(QStringLiteral("Opened %1").arg(QString::fromStdString(added.name)), kNoticeMs);
    emit checkpointsChanged();
}

} // namespace zq
