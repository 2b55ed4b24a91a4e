// zelquor-cli: the editor's file work, level pictures and play-test runs from
// the command line. Every input image passes the same checks as the editor's
// Open, against the signature of the game image the program carries (or of
// the one --game names); every output is written whole to a temporary file
// and then renamed over the target.
//
// Exit status: 0 success, 1 a file or data error, 2 a usage error.

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "cli/Inputs.h"
#include "cli/PackCommands.h"
#include "cli/RunCommand.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#ifndef ZELQUOR_VERSION
#define ZELQUOR_VERSION "unknown"
#endif

namespace zq::cli {
namespace {

// The options of a command that reads a game image: its own, --game, --rom.
std::vector<OptionInfo> imageOptions(std::vector<OptionInfo> own = {})
{
    own.push_back(kGameOption);
    own.push_back(kRomOption);
    return own;
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
         imageOptions(), 1, runInfo},
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
         imageOptions({{"--level", "", true},
                       {"--enemies", "", false},
                       {"--items", "", false},
                       {"--airflow", "", false},
                       {"--scale", "", true},
                       {"--output", "-o", true}}),
         1, runRender},
        {"save48", "IN OUT.sna", "write the game image as a 48K snapshot",
         "Writes the game image of IN as a 48K snapshot: for a .sna input (48K or 128K)\n"
         "its first 49179 bytes, byte for byte.\n",
         imageOptions(), 2, runSave48},
        {"save128", "IN OUT.sna", "write the game image as a 128K snapshot",
         "Writes a 131103-byte 128K snapshot: the ROM swap routine goes into the image\n"
         "at 0x5B00 first, and the snapshot starts there.\n",
         imageOptions(), 2, runSave128},
        {"tap", "IN OUT.tap [--screen S.scr]", "write the game as a tape file",
         "Writes the 47688-byte tape: the BASIC loader, the loading screen and the code\n"
         "block taken from IN. The loading screen is S.scr (6912 bytes) when given,\n"
         "else IN's screen memory.\n",
         imageOptions({{"--screen", "", true}}), 2, runTap},
        {"import-scr", "IN S.scr OUT.sna", "put a screen file into the image",
         "Copies the 6912 bytes of S.scr into the screen memory of IN and writes the\n"
         "result as a 48K snapshot.\n",
         imageOptions(), 3, runImportScr},
        {"convert", "IN OUT", "write the game image in the format of OUT's extension",
         "Writes the game image of IN as OUT's extension says:\n"
         "  .sna  the 48K snapshot (as save48)\n"
         "  .z80  .szx  a 48K snapshot of the same machine state\n"
         "  .tap  the game's tape (as tap, with IN's screen memory as loading screen)\n"
         "  .tzx  the same six blocks as standard-speed data blocks\n",
         imageOptions(), 2, runConvert},
        {"pack", "IN OUT.zqpack [--changes] [--level N]", "write the game's data as a level pack",
         "Writes a level pack (JSON) of IN: the whole game's data, or\n"
         "  --changes   only the levels and tables that differ from the default game\n"
         "              (the one --game names, else the one this program carries): a mod\n"
         "  --level N   level N (1..79) with its enemies, item and bubble, and its\n"
         "              attribute, pattern and air-flow record where it owns them\n",
         imageOptions({{"--changes", "", false}, {"--level", "", true}}), 2, runPack},
        {"apply", "IN PACK OUT", "apply a level pack and write the result",
         "Applies the level pack PACK to IN and writes OUT in the format of its\n"
         "extension (.sna, .z80, .szx, .tap, .tzx). A pack of another game, a layout\n"
         "of the other kind than the level's, air-flow areas that do not fit, values\n"
         "out of range, an unknown format version or malformed JSON refuse the whole\n"
         "pack: exit status 2, nothing written. Unknown keys are ignored with a warning.\n",
         imageOptions(), 3, runApply},
        {"diff", "A B", "list the differences between two games' data",
         "Prints one line per changed field, such as \"level 37: layout row 5\" or\n"
         "\"level 2: ink Yellow -> Red\". Exit status 0 when the game data are the same,\n"
         "1 when they differ, 2 on an error, as diff(1).\n",
         imageOptions(), 2, runDiff},
        {"dump", "FILE", "print the whole game's level pack",
         "Prints the level pack of the whole game on the standard output: with\n"
         "  git config diff.zelquor.textconv \"zelquor-cli dump\"\n"
         "and '*.sna diff=zelquor' (and the other kinds) in .gitattributes, git diff\n"
         "shows snapshots and tapes as pack lines.\n",
         imageOptions(), 1, runDump},
        {"pok", "IN OUT.pok", "write IN's changes as a POKE file",
         "Writes the changes of IN against the default game as a POKE file (.pok) for\n"
         "emulators: an N line with the trainer's name (OUT's name), one M line per\n"
         "poke and a Z line for the last, each \"8 address value original\", then Y.\n",
         imageOptions(), 2, runPok},
        {"run", "IMAGE --frames N [--keys PRESSES] [--from STATE.szx] [--save-state OUT.szx] [-o OUT.png]",
         "run the game image in the embedded Spectrum and save its picture or state",
         "Resumes IMAGE in the embedded Spectrum 48K (OpenSE BASIC, or --rom FILE),\n"
         "runs N frames (0..1000000, 50 a second), then writes the picture with its\n"
         "border: 320 x 256, the 256 x 192 screen in the middle.\n"
         "  --keys PRESSES keys to hold, as items separated by commas:\n"
         "                FRAME:KEYS holds KEYS during frames FRAME..FRAME+4,\n"
         "                FROM-TO:KEYS from frame FROM up to, not including, TO;\n"
         "                KEYS are names joined by '+': A..Z 0..9 ENTER SPACE CAPS\n"
         "                SYMBOL, and the Kempston joystick's JLEFT JRIGHT JUP JDOWN\n"
         "                JFIRE. Frames count from 0. Example: \"100:N,200-260:P+JFIRE\"\n"
         "  --from STATE.szx   start from a saved machine state (a checkpoint of the\n"
         "                play window, or any .szx, .z80 or .sna) with IMAGE's game\n"
         "                data written over it, instead of from IMAGE itself\n"
         "  --save-state OUT.szx   write the machine's state after the last frame\n"
         "  -o, --output OUT.png   the picture to write\n"
         "At least one of -o and --save-state is required.\n",
         imageOptions({{"--frames", "", true},
                       {"--keys", "", true},
                       {"--from", "", true},
                       {"--save-state", "", true},
                       {"--output", "-o", true}}),
         1, runRun},
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
                 "\nInputs may be .sna (48K or 128K), .z80, .szx, .tap or .tzx files of the game;\n"
                 "tapes are loaded in the embedded Spectrum. Every command that reads one takes\n"
                 "  --game FILE   the game image whose signature inputs must carry (default:\n"
                 "                the image this program carries)\n"
                 "  --rom FILE    the 16K ROM for tapes and 'run' (default: OpenSE BASIC)\n"
                 "Outputs are replaced only once written whole.\n"
                 "'%s COMMAND --help' describes a command.\n"
                 "Exit status: 0 success, 1 a file or data error, 2 a usage error.\n",
                 kProgram);
}

void printCommandHelp(const Command& c)
{
    std::printf("Usage: %s %s %s\n\n%s", kProgram, std::string(c.name).c_str(), std::string(c.synopsis).c_str(),
                std::string(c.details).c_str());
    std::printf("  --game FILE   check inputs against this game image's signature\n"
                "  --rom FILE    the 16K ROM for loading tapes%s (default: OpenSE BASIC)\n",
                c.name == "run" ? " and running" : "");
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

int runCommand(const Command& command, const std::vector<std::string>& words)
{
    Parsed parsed;
    const std::string error = parseArguments(command, words, parsed);
    if (parsed.help) {
        printCommandHelp(command);
        return kSuccess;
    }
    if (!error.empty())
        return usageError(error, &command);
    if (parsed.positional.size() < command.positionalCount)
        return usageError(std::string(command.name) + ": missing arguments", &command);
    if (parsed.positional.size() > command.positionalCount)
        return usageError(std::string(command.name) + ": too many arguments ('" +
                              parsed.positional[command.positionalCount] + "')",
                          &command);
    for (const std::string& operand : parsed.positional)
        if (operand.empty())
            return usageError(std::string(command.name) + ": an empty file name", &command);
    return command.run(parsed);
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
    return runCommand(*command, {words.begin() + 1, words.end()});
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
