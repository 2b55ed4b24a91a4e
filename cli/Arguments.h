#pragma once
// The command table and command-line parsing of zelquor-cli.
//
// Exit status: 0 success, 1 a file or data error, 2 a usage error.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zq::cli {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

inline constexpr const char* kProgram = "zelquor-cli";

// "zelquor-cli: TEXT" on the standard error.
void printError(const std::string& text);

struct OptionInfo {
    std::string_view name;  // "--level"
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
std::string parseArguments(const Command& command, const std::vector<std::string>& words, Parsed& parsed);

// A whole decimal number in [low, high] (at most 9 digits), or false.
bool parseNumber(const std::string& text, int low, int high, int& value);

} // namespace zq::cli
