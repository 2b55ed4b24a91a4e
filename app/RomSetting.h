#pragma once
// Which 48K ROM the embedded Spectrum runs: OpenSE BASIC from Debian's
// opense-basic unless the user chose their own file (remembered between
// runs). The play window and the tape loader use the same one.

#include <QString>

#include <cstdint>
#include <vector>

namespace zq {

struct RomChoice {
    QString path; // the file read
    QString name; // as the user sees it: "OpenSE BASIC" or the file's name
    bool own = false;
};

RomChoice currentRom();
void setOwnRom(const QString& path);

// The ROM's 16384 bytes; empty (and `problem` says why, for the user) when
// the file is missing or has another size.
std::vector<std::uint8_t> readRom(const RomChoice& rom, QString* problem = nullptr);

} // namespace zq
