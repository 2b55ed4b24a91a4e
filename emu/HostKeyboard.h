#pragma once
// The PC keyboard as a Spectrum player expects it: letters, digits, Enter and
// Space on their keys; Shift is CAPS SHIFT, Ctrl or Alt SYMBOL SHIFT;
// Backspace is CAPS SHIFT + 0; the arrows are the Kempston directions and the
// cursor keys CAPS SHIFT + 5..8; a fire key is Kempston fire. A symbol typed
// on the PC ('"', '!', ';', ...) is its SYMBOL SHIFT key on the Spectrum,
// with CAPS SHIFT held up even while the PC's Shift is down.
//
// Every press is remembered by the host's id for it (a scan code), and its
// release lets go of exactly what that press held, whatever the modifiers
// did in between.

#include "emu/Keyboard.h"

#include <cstdint>
#include <map>
#include <vector>

namespace zq::emu {

class Machine48;

enum class HostKey { Character, Shift, Symbol, Enter, Space, Backspace, Up, Down, Left, Right, Fire };

// How the host numbers its keys: X11 and Wayland key codes (evdev + 8) on
// Linux, scan code set 1 on Windows.
enum class ScanCodes { None, Xkb, Windows };

// The letter ('a'..'z') or digit ('0'..'9') on the key at `code` of a US
// keyboard, or 0 for any other key: where a game's Q, A, O, P and 1..5 are,
// whatever the layout prints on them (AZERTY, QWERTZ, Cyrillic, ...).
char32_t usLetterOrDigitAt(ScanCodes codes, std::uint32_t code);

// True for a character printed in red on a Spectrum key (SYMBOL SHIFT + key).
bool isSpectrumSymbol(char32_t ch);

class HostKeyboard {
public:
    // A key went down. For HostKey::Character, `ch` is the character the
    // key types ('a'..'z' in either case, '0'..'9', or a symbol). Returns
    // false, remembering nothing, for a character the Spectrum has no key for.
    bool press(int id, HostKey key, char32_t ch = 0);
    // Returns false when no press with that id is held.
    bool release(int id);
    void releaseAll() { held_.clear(); }

    // The keys and joystick bits all the held presses make.
    void applyTo(Machine48& machine) const;

private:
    struct Press {
        std::vector<Key> keys;
        std::uint8_t joystick = 0;
        bool symbol = false; // a symbol character: keeps CAPS SHIFT up
        bool shift = false;  // the PC's Shift itself
    };
    std::map<int, Press> held_;
};

} // namespace zq::emu
