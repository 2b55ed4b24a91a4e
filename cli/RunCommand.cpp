#include "cli/RunCommand.h"

#include "cli/Inputs.h"
#include "files/Png.h"

#include "emu/Machine48.h"
#include "emu/PlaySession.h"
#include "files/SnapshotFormats.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>

namespace zq::cli {

namespace {

// Key names in the order of emu::Key.
constexpr std::array<std::string_view, emu::kKeyCount> kKeyNames = {
    "CAPS", "Z", "X", "C", "V", "A", "S", "D", "F", "G",               // 0xFEFE, 0xFDFE
    "Q", "W", "E", "R", "T", "1", "2", "3", "4", "5",                  // 0xFBFE, 0xF7FE
    "0", "9", "8", "7", "6", "P", "O", "I", "U", "Y",                  // 0xEFFE, 0xDFFE
    "ENTER", "L", "K", "J", "H", "SPACE", "SYMBOL", "M", "N", "B",     // 0xBFFE, 0x7FFE
};

constexpr std::array<std::pair<std::string_view, std::uint8_t>, 5> kJoystickNames = {{
    {"JLEFT", emu::kempston::Left},
    {"JRIGHT", emu::kempston::Right},
    {"JUP", emu::kempston::Up},
    {"JDOWN", emu::kempston::Down},
    {"JFIRE", emu::kempston::Fire},
}};

std::string upper(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

bool addKey(std::string_view name, KeyPress& press)
{
    const std::string n = upper(name);
    for (std::size_t i = 0; i < kKeyNames.size(); ++i)
        if (kKeyNames[i] == n) {
            press.keys.push_back(emu::Key(i));
            return true;
        }
    for (const auto& [joystickName, bit] : kJoystickNames)
        if (joystickName == n) {
            press.joystick |= bit;
            return true;
        }
    return false;
}

std::string parseItem(std::string_view item, KeyPress& press)
{
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos)
        return "'" + std::string(item) + "' is not FRAME:KEYS";
    const std::string_view when = item.substr(0, colon);
    const std::size_t dash = when.find('-');
    if (!parseNumber(std::string(when.substr(0, dash)), 0, kMaxRunFrames, press.from))
        return "'" + std::string(when) + "' is not a frame number";
    press.to = press.from + kDefaultHoldFrames;
    if (dash != std::string_view::npos &&
        (!parseNumber(std::string(when.substr(dash + 1)), 0, kMaxRunFrames, press.to) || press.to <= press.from))
        return "'" + std::string(when) + "' is not a range FROM-TO with FROM below TO";
    std::string_view keys = item.substr(colon + 1);
    while (true) {
        const std::size_t plus = keys.find('+');
        if (!addKey(keys.substr(0, plus), press))
            return "unknown key '" + std::string(keys.substr(0, plus)) + "'";
        if (plus == std::string_view::npos)
            return {};
        keys.remove_prefix(plus + 1);
    }
}

void holdKeys(emu::Machine48& machine, const std::vector<KeyPress>& presses, int frame)
{
    machine.releaseAllKeys();
    std::uint8_t joystick = 0;
    for (const KeyPress& press : presses)
        if (frame >= press.from && frame < press.to) {
            for (const emu::Key k : press.keys)
                machine.setKey(k, true);
            joystick |= press.joystick;
        }
    machine.setKempston(joystick);
}

} // namespace

std::string parseKeyPresses(const std::string& list, std::vector<KeyPress>& presses)
{
    presses.clear();
    std::string_view rest = list;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        KeyPress press;
        const std::string error = parseItem(rest.substr(0, comma), press);
        if (!error.empty())
            return error;
        presses.push_back(std::move(press));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
        if (rest.empty())
            return "a comma ends the list";
    }
    return {};
}

int runRun(const Parsed& p)
{
    int frames = 0;
    if (!p.has("--frames") || !parseNumber(p.value("--frames"), 0, kMaxRunFrames, frames)) {
        printError("run: --frames N is required, N from 0 to " + std::to_string(kMaxRunFrames));
        return kUsage;
    }
    const std::string picture = p.value("--output");
    const std::string stateOut = p.value("--save-state");
    if (picture.empty() && stateOut.empty()) {
        printError("run: -o OUT.png or --save-state OUT.szx is required");
        return kUsage;
    }
    std::vector<KeyPress> presses;
    const std::string error = parseKeyPresses(p.value("--keys"), presses);
    if (!error.empty()) {
        printError("run: --keys: " + error);
        return kUsage;
    }

    GameImage image;
    std::vector<std::uint8_t> rom;
    if (!loadImage(p.positional[0], p, image) || !loadRom(p, rom))
        return kFailure;
    auto from = std::make_unique<RunState>();
    if (p.has("--from") && !loadRunState(p.value("--from"), *from))
        return kFailure;

    emu::Machine48 machine;
    machine.loadRom(rom);
    emu::PlaySession session(machine);
    // As Play from Checkpoint: the state, with IMAGE's game data over it.
    if (p.has("--from")) {
        session.addCheckpoint(p.value("--from"), *from);
        session.startFromCheckpoint(0, image);
    } else {
        session.startFromImage(image);
    }
    for (int frame = 0; frame < frames; ++frame) {
        holdKeys(machine, presses, frame);
        machine.runFrame();
    }
    if (!stateOut.empty()) {
        machine.takeState(*from);
        const int written = writeOutput(stateOut, encodeRunState(*from));
        if (written != kSuccess)
            return written;
    }
    if (picture.empty())
        return kSuccess;
    TFastDIB shot;
    machine.renderScreen(shot);
    return writeOutput(picture, encodePng(shot));
}

} // namespace zq::cli
