#include "cli/Arguments.h"

#include <cstdio>

namespace zq::cli {

void printError(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
}

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

} // namespace zq::cli
