#pragma once
// Reading a game file of any kind a modder has, with the editor's messages:
// a .sna as it stands (48K or 128K, read whole as the editor has always read
// it), a .z80 or .szx decoded into the 48K image, a .tap or .tzx loaded in
// the embedded Spectrum until the game starts (with a progress dialog and
// Cancel). The game's signature is the caller's check.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zq {

class Dialogs;
class GameImage;

inline constexpr const char* kGameFileFilters =
    "ZX Spectrum snapshots and tapes (*.sna *.z80 *.szx *.tap *.tzx);;"
    "ZX Spectrum 48k /128k Snapshots (*.sna);;ZX Spectrum .z80 Snapshots (*.z80);;"
    "ZX Spectrum .szx Snapshots (*.szx);;ZX Spectrum Tape Files (*.tap);;ZX Spectrum TZX Tapes (*.tzx)";

// The file `name` read whole when acceptedSize(its size) holds. Nothing
// when it was refused: "File size incorrect" for a size not accepted, the
// reason of a failed read on the general error display.
std::optional<QByteArray> readShowingErrors(const QString& name, const std::function<bool(std::uint64_t)>& acceptedSize,
                                            Dialogs& dialogs);

// The bytes to open: the file's own for a .sna (49179 or 131103), the 49179
// bytes of the decoded or loaded machine for the other kinds. Nothing when
// the file was refused or the load cancelled; the user has been told why.
std::optional<std::vector<std::uint8_t>> readGameFile(const QString& name, Dialogs& dialogs);

// readGameFile, then the checks Open makes against the game held: "File
// size incorrect" or "File selected is not a Zelquor snapshot" and nothing
// when they fail.
std::optional<std::vector<std::uint8_t>> readGameFileOf(const QString& name, const GameImage& held, Dialogs& dialogs);

} // namespace zq
