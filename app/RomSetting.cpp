#include "app/RomSetting.h"

#include "emu/Rom.h"

#include <QFileInfo>
#include <QSettings>

namespace zq {

namespace {
const char* const kRomSetting = "play/rom";
} // namespace

RomChoice currentRom()
{
    const QString chosen = QSettings().value(kRomSetting).toString();
    if (chosen.isEmpty())
        return {QString::fromLatin1(emu::kOpenSeRomPath), QStringLiteral("OpenSE BASIC"), false};
    return {chosen, QFileInfo(chosen).fileName(), true};
}

void setOwnRom(const QString& path)
{
    QSettings().setValue(kRomSetting, QFileInfo(path).absoluteFilePath());
}

std::vector<std::uint8_t> readRom(const RomChoice& rom, QString* problem)
{
    std::vector<std::uint8_t> bytes = emu::readRomFile(rom.path.toStdString());
    if (bytes.empty() && problem)
        *problem = QStringLiteral("The ROM %1 is missing or is not a 16384-byte 48K ROM. Choose one with "
                                  "Play > Choose ROM..., or install the Debian package opense-basic.")
                       .arg(rom.path);
    return bytes;
}

} // namespace zq
