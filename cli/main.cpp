// zelquor-cli: the editor's file work and level pictures from the command
// line. Every input snapshot passes the same checks as the editor's Open,
// against the signature of the game image the program carries; every output
// is written whole to a temporary file and then renamed over the target.
//
// Exit status: 0 success, 1 a file or data error, 2 a usage error.

#include "cli/FileAccess.h"
#include "cli/LevelPicture.h"
#include "cli/Png.h"
#include "cli/Report.h"

#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/Tape.h"
#include "image/GameImage.h"
#include "image/MemoryMap.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#ifndef ZELQUOR_VERSION
#define ZELQUOR_VERSION "unknown"
#endif

namespace zq::cli {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char* const kProgram = "zelquor-cli";

void printError(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
}

// ---------------------------------------------------------------------------
// Command lines

struct OptionInfo {
    std::string_view name; // "--level"
    std::string_view alias; // "-o", or empty
    bool takesValue = false;
};

struct Parsed {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options; // by long name; "" for a flag
    bool help = false;

    bool has(std::string_view name) const { return options.find(name) != options.end(); }
    std::string value(std::string_view name) const
    {
        const auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }
};

struct Command {
    std::string_view name;
    std::string_view synopsis; // after the command name
    std::string_view summary;
    std::string_view details;
    std::vector<OptionInfo> options;
    std::size_t positionalCount;
    int (*run)(const Parsed&);
};

// Splits the words after the command name into options and operands. Options
// may come anywhere; "--name=value" and "--name value" are both taken; "--"
// ends the options. Returns an error message, or an empty string.
std::string parseArguments(const Command& command, const std::vector<std::string>& words, Parsed& parsed)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            parsed.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const OptionInfo* known = nullptr;
        for (const OptionInfo& option : command.options)
            if (key == option.name || (!option.alias.empty() && key == option.alias))
                known = &option;
        if (!known)
            return "unknown option '" + key + "' for '" + std::string(command.name) + "'";
        const std::string name(known->name);
        if (parsed.has(name))
            return "option '" + name + "' given twice";
        if (!known->takesValue) {
            if (equals != std::string::npos)
                return "option '" + name + "' takes no value";
            parsed.options[name] = "";
        } else if (equals != std::string::npos) {
            parsed.options[name] = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            parsed.options[name] = words[++i];
        } else {
            return "option '" + name + "' needs a value";
        }
    }
    return {};
}

// A whole decimal number in [low, high], or false.
bool parseNumber(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high)
        return false;
    value = v;
    return true;
}

// ---------------------------------------------------------------------------
// Files

// Reads a whole file whose size is accepted, reporting a wrong size as the
// editor does ("File size incorrect") and any system error as it stands.
bool readAccepted(const std::string& name, bool (*acceptedSize)(std::uint64_t), ReadResult& read)
{
    read = readWholeFile(name, acceptedSize);
    if (read.status == ReadResult::WrongSize) {
        printError(name + ": File size incorrect");
        return false;
    }
    if (read.status != ReadResult::Ok) {
        printError(read.error);
        return false;
    }
    return true;
}

// Reads a snapshot of the game into `image` with the checks of the editor's
// Open: size first (nothing read for a wrong size), the whole file, then the
// ten signature bytes against those of the image the program carries.
bool loadSnapshot(const std::string& name, GameImage& image)
{
    GameImage reference;
    if (!reference.loadDefault()) {
        printError("this build carries no default game image to check snapshots against");
        return false;
    }
    ReadResult read;
    if (!readAccepted(name, acceptedSnapshotSize, read))
        return false;
    switch (checkSnapshot(read.bytes.size(), read.bytes, reference)) {
    case OpenCheck::Ok:
        break;
    case OpenCheck::WrongSize:
        printError(name + ": File size incorrect");
        return false;
    case OpenCheck::NotTheGame:
        printError(name + ": File selected is not a Zelquor snapshot");
        return false;
    }
    return openSnapshot(image, read.bytes);
}

bool loadScreen(const std::string& name, std::vector<std::uint8_t>& screen)
{
    ReadResult read;
    if (!readAccepted(name, acceptedScreenSize, read))
        return false;
    screen = std::move(read.bytes);
    return true;
}

int writeOutput(const std::string& name, std::span<const std::uint8_t> bytes)
{
    const std::string error = writeFileAtomically(name, bytes);
    if (!error.empty()) {
        printError(error);
        return kFailure;
    }
    return kSuccess;
}

// ---------------------------------------------------------------------------
// Commands

int runInfo(const Parsed& p)
{
    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    const std::string text = describeImage(image);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError("cannot write to the standard output");
        return kFailure;
    }
    return kSuccess;
}

int runRender(const Parsed& p)
{
    int level = 0;
    if (!p.has("--level")) {
        printError("render: --level N is required");
        return kUsage;
    }
    if (!parseNumber(p.value("--level"), 1, kLevelCount, level)) {
        printError("render: the level must be a number from 1 to " + std::to_string(kLevelCount) + ", not '" +
                   p.value("--level") + "'");
        return kUsage;
    }
    int scale = 1;
    if (p.has("--scale") && !parseNumber(p.value("--scale"), 1, 2, scale)) {
        printError("render: the scale must be 1 or 2, not '" + p.value("--scale") + "'");
        return kUsage;
    }
    if (!p.has("--output") || p.value("--output").empty()) {
        printError("render: -o OUT.png is required");
        return kUsage;
    }
    Overlay overlay = Overlay::None;
    int overlays = 0;
    for (const auto& [option, kind] : {std::pair{"--enemies", Overlay::Enemies}, std::pair{"--items", Overlay::Items},
                                       std::pair{"--airflow", Overlay::Airflow}})
        if (p.has(option)) {
            overlay = kind;
            ++overlays;
        }
    if (overlays > 1) {
        printError("render: choose at most one of --enemies, --items and --airflow");
        return kUsage;
    }

    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    TFastDIB picture;
    drawLevelPicture(image, level - 1, overlay, scale, picture);
    return writeOutput(p.value("--output"), encodePng(picture));
}

int runSave48(const Parsed& p)
{
    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    return writeOutput(p.positional[1], save48(image));
}

int runSave128(const Parsed& p)
{
    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    return writeOutput(p.positional[1], export128(image));
}

int runTap(const Parsed& p)
{
    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    LoadingScreen screen = LoadingScreen::fromImage(image);
    if (p.has("--screen")) {
        std::vector<std::uint8_t> scr;
        if (!loadScreen(p.value("--screen"), scr))
            return kFailure;
        screen.assign(scr);
    }
    return writeOutput(p.positional[1], buildTape(image, screen));
}

int runImportScr(const Parsed& p)
{
    GameImage image;
    if (!loadSnapshot(p.positional[0], image))
        return kFailure;
    std::vector<std::uint8_t> scr;
    if (!loadScreen(p.positional[1], scr))
        return kFailure;
    LoadingScreen loadingScreen;
    importScreen(scr, loadingScreen, image);
    return writeOutput(p.positional[2], save48(image));
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> list = {
        {"info", "FILE", "describe the levels, air-flow records and credits of a snapshot",
         "Prints one line per level (kind, record offset, colours, Big Border, enemies,\n"
         "enemies pattern as the editor shows it (1..8), burst time, special bubble,\n"
         "item byte and item position on the 256 x 192 picture), then every air-flow\n"
         "record with the levels using it, the spare bytes of the special bubble table\n"
         "and the three credit texts.\n",
         {}, 1, runInfo},
        {"render", "FILE --level N [--enemies|--items|--airflow] [--scale 2] -o OUT.png",
         "draw a level as the editor shows it, into a PNG file",
         "Draws level N (1..79) as the editor's level view does: side walls as the\n"
         "level's Big Border asks, the top band, the blocks, and at most one overlay:\n"
         "  --enemies   the enemy marks (\"Edit Enemies\")\n"
         "  --items     the item markers (\"Edit Items\")\n"
         "  --airflow   the air-flow arrows and, unless the level shares a lower\n"
         "              level's record, the highlight of its first area (\"Edit Airflow\")\n"
         "  --scale 2   512 x 384, every pixel doubled, as the level view shows it\n"
         "              (default 1: 256 x 192)\n"
         "  -o, --output OUT.png   the file to write\n",
         {{"--level", "", true},
          {"--enemies", "", false},
          {"--items", "", false},
          {"--airflow", "", false},
          {"--scale", "", true},
          {"--output", "-o", true}},
         1, runRender},
        {"save48", "IN.sna OUT.sna", "write the game image as a 48K snapshot",
         "Writes the first 49179 bytes of IN (a 48K or 128K snapshot of the game) as a\n"
         "48K snapshot, byte for byte.\n",
         {}, 2, runSave48},
        {"save128", "IN.sna OUT.sna", "write the game image as a 128K snapshot",
         "Writes a 131103-byte 128K snapshot: the ROM swap routine goes into the image\n"
         "at 0x5B00 first, and the snapshot starts there.\n",
         {}, 2, runSave128},
        {"tap", "IN.sna OUT.tap [--screen S.scr]", "write the game as a tape file",
         "Writes the 47688-byte tape: the BASIC loader, the loading screen and the code\n"
         "block taken from IN. The loading screen is S.scr (6912 bytes) when given,\n"
         "else IN's screen memory.\n",
         {{"--screen", "", true}}, 2, runTap},
        {"import-scr", "IN.sna S.scr OUT.sna", "put a screen file into the image",
         "Copies the 6912 bytes of S.scr into the screen memory of IN and writes the\n"
         "result as a 48K snapshot.\n",
         {}, 3, runImportScr},
    };
    return list;
}

void printUsage(std::FILE* to)
{
    std::fprintf(to, "Usage: %s COMMAND [ARGUMENTS]\n\n", kProgram);
    std::fprintf(to, "Works on snapshots of the game Zelquor without the editor's window.\n\nCommands:\n");
    for (const Command& c : commands())
        std::fprintf(to, "  %-11s %s\n  %-11s   %s\n", std::string(c.name).c_str(), std::string(c.synopsis).c_str(),
                     "", std::string(c.summary).c_str());
    std::fprintf(to,
                 "\nInput snapshots must be 48K (49179 bytes) or 128K (131103 bytes) snapshots\n"
                 "of the game; outputs are replaced only once written whole.\n"
                 "'%s COMMAND --help' describes a command.\n"
                 "Exit status: 0 success, 1 a file or data error, 2 a usage error.\n",
                 kProgram);
}

void printCommandHelp(const Command& c)
{
    std::printf("Usage: %s %s %s\n\n%s", kProgram, std::string(c.name).c_str(), std::string(c.synopsis).c_str(),
                std::string(c.details).c_str());
}

const Command* findCommand(std::string_view name)
{
    for (const Command& c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

int usageError(const std::string& text, const Command* command)
{
    printError(text);
    if (command)
        std::fprintf(stderr, "Usage: %s %s %s\n", kProgram, std::string(command->name).c_str(),
                     std::string(command->synopsis).c_str());
    else
        std::fprintf(stderr, "Run '%s --help' for the commands.\n", kProgram);
    return kUsage;
}

int run(int argc, char** argv)
{
    std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty())
        return usageError("no command given", nullptr);
    const std::string& first = words[0];
    if (first == "--help" || first == "-h" || first == "help") {
        if (words.size() > 1) {
            const Command* c = findCommand(words[1]);
            if (!c)
                return usageError("unknown command '" + words[1] + "'", nullptr);
            printCommandHelp(*c);
        } else {
            printUsage(stdout);
        }
        return kSuccess;
    }
    if (first == "--version") {
        std::printf("%s %s\n", kProgram, ZELQUOR_VERSION);
        return kSuccess;
    }
    const Command* command = findCommand(first);
    if (!command)
        return usageError("unknown command '" + first + "'", nullptr);

    Parsed parsed;
    const std::string error = parseArguments(*command, {words.begin() + 1, words.end()}, parsed);
    if (parsed.help) {
        printCommandHelp(*command);
        return kSuccess;
    }
    if (!error.empty())
        return usageError(error, command);
    if (parsed.positional.size() < command->positionalCount)
        return usageError(std::string(command->name) + ": missing arguments", command);
    if (parsed.positional.size() > command->positionalCount)
        return usageError(std::string(command->name) + ": too many arguments ('" +
                              parsed.positional[command->positionalCount] + "')",
                          command);
    for (const std::string& operand : parsed.positional)
        if (operand.empty())
            return usageError(std::string(command->name) + ": an empty file name", command);
    return command->run(parsed);
}

} // namespace
} // namespace zq::cli

int main(int argc, char** argv)
{
    // A file size limit then fails the write (EFBIG) instead of killing the
    // program halfway through, so the temporary file is still removed.
    std::signal(SIGXFSZ, SIG_IGN);
    return zq::cli::run(argc, argv);
}
