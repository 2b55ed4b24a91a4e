#pragma once
// Writing a file the user named in a save dialog, as every export of the
// editor does: the extension added when the name lacks it, the overwrite
// question when the file exists, an atomic write (a failed one leaves the old
// file), and a message for whatever goes wrong.

#include <QString>

#include <cstdint>
#include <span>

namespace zq {

class Dialogs;

// The name written, with its extension; empty when nothing was written:
// cancelled (an empty name), declined, or failed (said in a message).
QString saveChosenFile(Dialogs& dialogs, const QString& chosen, const char* extension,
                    std::span<const std::uint8_t> bytes);

} // namespace zq
