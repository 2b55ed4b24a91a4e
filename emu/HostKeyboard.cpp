#include "emu/HostKeyboard.h"

#include "emu/Machine48.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace zq::emu {

namespace {

constexpr std::array<Key, 26> kLetters = {
    Key::A, Key::B, Key::C, Key::D, Key::E, Key::F, Key::G, Key::H, Key::I, Key::J, Key::K, Key::L, Key::M,
    Key::N, Key::O, Key::P, Key::Q, Key::R, Key::S, Key::T, Key::U, Key::V, Key::W, Key::X, Key::Y, Key::Z,
};
constexpr std::array<Key, 10> kDigits = {
    Key::N0, Key::N1, Key::N2, Key::N3, Key::N4, Key::N5, Key::N6, Key::N7, Key::N8, Key::N9,
};

// The symbols printed in red on the Spectrum's keys: SYMBOL SHIFT + key.
constexpr std::array<std::pair<char32_t, Key>, 25> kSymbols = {{
    {'!', Key::N1}, {'@', Key::N2}, {'#', Key::N3}, {'$', Key::N4}, {'%', Key::N5},
    {'&', Key::N6}, {'\'', Key::N7}, {'(', Key::N8}, {')', Key::N9}, {'_', Key::N0},
    {'<', Key::R}, {'>', Key::T}, {';', Key::O}, {'"', Key::P}, {'^', Key::H},
    {'-', Key::J}, {'+', Key::K}, {'=', Key::L}, {':', Key::Z}, {'?', Key::C},
    {'/', Key::V}, {'*', Key::B}, {',', Key::N}, {'.', Key::M}, {'\\', Key::D},
}};

// The rows of a US keyboard from the digits down, as their scan codes run.
constexpr std::string_view kDigitRow = "1234567890";
constexpr std::string_view kTopRow = "qwertyuiop";
constexpr std::string_view kHomeRow = "asdfghjkl";
constexpr std::string_view kBottomRow = "zxcvbnm";

struct RowStart {
    std::string_view keys;
    std::uint32_t xkb;     // first key's X11 key code
    std::uint32_t windows; // first key's set 1 scan code
};
constexpr std::array<RowStart, 4> kRows = {{
    {kDigitRow, 10, 0x02},
    {kTopRow, 24, 0x10},
    {kHomeRow, 38, 0x1E},
    {kBottomRow, 52, 0x2C},
}};

bool characterPress(char32_t ch, std::vector<Key>& keys, bool& symbol)
{
    if (ch >= 'A' && ch <= 'Z')
        ch += 'a' - 'A';
    if (ch >= 'a' && ch <= 'z') {
        keys = {kLetters[std::size_t(ch - 'a')]};
        return true;
    }
    if (ch >= '0' && ch <= '9') {
        keys = {kDigits[std::size_t(ch - '0')]};
        return true;
    }
    const auto* it = std::find_if(kSymbols.begin(), kSymbols.end(), [ch](const auto& s) { return s.first == ch; });
    if (it == kSymbols.end())
        return false;
    keys = {Key::SymbolShift, it->second};
    symbol = true;
    return true;
}

} // namespace

char32_t usLetterOrDigitAt(ScanCodes codes, std::uint32_t code)
{
    if (codes == ScanCodes::None)
        return 0;
    for (const RowStart& row : kRows) {
        const std::uint32_t first = codes == ScanCodes::Xkb ? row.xkb : row.windows;
        if (code >= first && code - first < row.keys.size())
            return char32_t(row.keys[code - first]);
    }
    return 0;
}

bool isSpectrumSymbol(char32_t ch)
{
    return std::any_of(kSymbols.begin(), kSymbols.end(), [ch](const auto& s) { return s.first == ch; });
}

bool HostKeyboard::press(int id, HostKey key, char32_t ch)
{
    Press p;
    switch (key) {
    case HostKey::Character:
        if (!characterPress(ch, p.keys, p.symbol))
            return false;
        break;
    case HostKey::Shift: p.keys = {Key::CapsShift}; p.shift = true; break;
    case HostKey::Symbol: p.keys = {Key::SymbolShift}; break;
    case HostKey::Enter: p.keys = {Key::Enter}; break;
    case HostKey::Space: p.keys = {Key::Space}; break;
    case HostKey::Backspace: p.keys = {Key::CapsShift, Key::N0}; break;
    case HostKey::Left: p.keys = {Key::CapsShift, Key::N5}; p.joystick = kempston::Left; break;
    case HostKey::Down: p.keys = {Key::CapsShift, Key::N6}; p.joystick = kempston::Down; break;
    case HostKey::Up: p.keys = {Key::CapsShift, Key::N7}; p.joystick = kempston::Up; break;
    case HostKey::Right: p.keys = {Key::CapsShift, Key::N8}; p.joystick = kempston::Right; break;
    case HostKey::Fire: p.joystick = kempston::Fire; break;
    }
    held_[id] = std::move(p);
    return true;
}

bool HostKeyboard::release(int id)
{
    return held_.erase(id) > 0;
}

void HostKeyboard::applyTo(Machine48& machine) const
{
    const bool symbolHeld = std::any_of(held_.begin(), held_.end(), [](const auto& h) { return h.second.symbol; });
    machine.releaseAllKeys();
    std::uint8_t joystick = 0;
    for (const auto& [id, p] : held_) {
        joystick |= p.joystick;
        if (p.shift && symbolHeld)
            continue;
        for (Key k : p.keys)
            machine.setKey(k, true);
    }
    machine.setKempston(joystick);
}

} // namespace zq::emu
