// Writing level packs: the pack as an ordered JSON tree, then printed with
// a layout of its own (nlohmann's dump puts every value on a line of its
// own, which makes a whole game several times larger and its diffs long).

#include "pack/PackJson.h"

#include "pack/PackCodec.h"
#include "pack/PackNames.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace zq {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kLineWidth = 100;

template <typename Bytes>
std::string hexOf(const Bytes& bytes)
{
    return hexString(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

std::string hexValue(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

Json enemiesJson(const PackEnemies& enemies)
{
    Json slots = Json::array();
    for (const PackEnemy& e : enemies.slot)
        slots.push_back(e.type == kEmptyEnemyType ? Json("empty") : Json::array({e.type, e.column, e.row}));
    return slots;
}

Json airflowJson(const PackAirflow& airflow)
{
    Json areas = Json::array();
    for (const PackArea& a : airflow.areas)
        areas.push_back({{"rect", Json::array({a.column, a.row, a.width, a.height})},
                         {"direction", directionName(a.direction)}});
    Json out{{"gapSet", airflow.gapSet}, {"areas", std::move(areas)}};
    if (airflow.raw)
        out["raw"] = hexOf(*airflow.raw);
    return out;
}

Json levelJson(const PackLevel& level)
{
    Json out{{"level", level.level}};
    if (level.mirrored)
        out["kind"] = kindName(*level.mirrored);
    if (level.layout)
        out["layout"] = *level.layout;
    if (level.layoutLastByte)
        out["layoutLastByte"] = hexValue(*level.layoutLastByte, 2);
    if (level.enemies) {
        out["enemies"] = enemiesJson(*level.enemies);
        out["enemiesPattern"] = level.enemies->pattern;
        out["burstTime"] = level.enemies->burstTime;
        if (level.enemies->raw)
            out["enemiesRaw"] = hexOf(*level.enemies->raw);
    }
    if (level.item) {
        Json item{{"byte", hexValue(level.item->byte, 2)}};
        if (level.item->x && level.item->y) {
            item["x"] = *level.item->x;
            item["y"] = *level.item->y;
        }
        out["item"] = std::move(item);
    }
    if (level.bubble)
        out["bubble"] = bubbleName(*level.bubble);
    if (level.airflow)
        out["airflow"] = airflowJson(*level.airflow);
    return out;
}

Json attributeJson(const PackAttribute& a)
{
    Json out{{"level", a.level}, {"ink", colourName(a.ink)}, {"paper", colourName(a.paper)}, {"bigBorder", a.bigBorder}};
    if (a.raw)
        out["raw"] = hexValue(*a.raw, 2);
    return out;
}

constexpr const char* kCreditKeys[kCreditFieldCount] = {"title", "company", "author"};

Json creditsJson(const LevelPack& pack)
{
    Json out = Json::object();
    for (int f = 0; f < kCreditFieldCount; ++f) {
        const std::optional<PackCredit>& credit = pack.credits[std::size_t(f)];
        if (!credit)
            continue;
        out[kCreditKeys[f]] = credit->text;
        if (credit->raw)
            out[std::string(kCreditKeys[f]) + "Raw"] = hexOf(*credit->raw);
    }
    return out;
}

Json packJson(const LevelPack& pack)
{
    Json root{{"format", kPackFormatName}, {"version", kPackVersion}, {"game", hexOf(pack.game)}};
    if (!pack.levels.empty()) {
        Json& levels = root["levels"] = Json::array();
        for (const PackLevel& level : pack.levels)
            levels.push_back(levelJson(level));
    }
    if (!pack.attributes.empty()) {
        Json& attributes = root["attributes"] = Json::array();
        for (const PackAttribute& a : pack.attributes)
            attributes.push_back(attributeJson(a));
    }
    if (!pack.patterns.empty()) {
        Json& patterns = root["patterns"] = Json::array();
        for (const PackPattern& p : pack.patterns)
            patterns.push_back({{"level", p.level}, {"rows", p.rows}});
    }
    if (Json credits = creditsJson(pack); !credits.empty())
        root["credits"] = std::move(credits);
    if (pack.bubbleTable)
        root["bubbleTable"] = hexOf(*pack.bubbleTable);
    if (pack.lowerItemList)
        root["lowerItemList"] = *pack.lowerItemList;
    if (!pack.unused.empty()) {
        Json& unused = root["unused"] = Json::array();
        for (const PackUnused& u : pack.unused) {
            const bool fill = u.bytes.size() >= kUnusedFillRun &&
                              std::all_of(u.bytes.begin(), u.bytes.end(), [&](std::uint8_t b) { return b == u.bytes[0]; });
            if (fill)
                unused.push_back({{"address", hexValue(u.address, 4)}, {"fill", hexValue(u.bytes[0], 2)}, {"length", u.bytes.size()}});
            else
                unused.push_back({{"address", hexValue(u.address, 4)}, {"bytes", hexOf(u.bytes)}});
        }
    }
    return root;
}

// ---------------------------------------------------------------------------
// Printing. A container goes on one line when it fits in kLineWidth columns,
// except that a list of rows, slots, areas or entries (an array of strings,
// arrays or objects) always takes a line for each.
// Inside the objects of such an array (a level), members that go on one line
// share lines up to kLineWidth. An array of broken objects (the levels, the
// patterns) joins its elements as "}, {" so that their members sit one
// indent deeper than the array's key.

std::string scalar(const Json& v) { return v.dump(-1, ' ', false, Json::error_handler_t::replace); }

bool mustBreak(const Json& v)
{
    if (v.is_array() && !v.empty() && std::none_of(v.begin(), v.end(), [](const Json& e) { return e.is_primitive() && !e.is_string(); }))
        return true;
    return v.is_structured() && std::any_of(v.begin(), v.end(), [](const Json& e) { return mustBreak(e); });
}

void compact(const Json& v, std::string& out)
{
    if (!v.is_structured()) {
        out += scalar(v);
        return;
    }
    out += v.is_object() ? '{' : '[';
    bool first = true;
    for (auto it = v.begin(); it != v.end(); ++it) {
        if (!first)
            out += ", ";
        first = false;
        if (v.is_object())
            out += scalar(it.key()) + ": ";
        compact(*it, out);
    }
    out += v.is_object() ? '}' : ']';
}

// The one-line form of v when it may take one line from `column` on.
std::optional<std::string> inlineForm(const Json& v, std::size_t column)
{
    if (v.is_structured() && !v.empty() && mustBreak(v))
        return std::nullopt;
    std::string line;
    compact(v, line);
    if (v.is_structured() && !v.empty() && column + line.size() + 1 > kLineWidth)
        return std::nullopt;
    return line;
}

void newline(std::size_t indent, std::string& out)
{
    out += '\n';
    out.append(indent, ' ');
}

void print(const Json& v, std::size_t indent, std::size_t column, std::string& out);

void printMembers(const Json& v, std::size_t indent, bool share, std::string& out)
{
    std::size_t column = kLineWidth; // forces a new line for the first member
    for (auto it = v.begin(); it != v.end(); ++it) {
        const std::string key = scalar(it.key()) + ": ";
        const std::optional<std::string> one = inlineForm(*it, indent + key.size());
        const std::size_t width = key.size() + (one ? one->size() : 0) + 2;
        if (it != v.begin())
            out += ',';
        if (share && one && column + 1 + width <= kLineWidth) {
            out += ' ' + key + *one;
            column += 1 + key.size() + one->size() + 1;
            continue;
        }
        newline(indent, out);
        out += key;
        if (one) {
            out += *one;
            column = indent + key.size() + one->size() + 1;
        } else {
            print(*it, indent, indent + key.size(), out);
            column = kLineWidth;
        }
    }
}

void print(const Json& v, std::size_t indent, std::size_t column, std::string& out)
{
    if (const std::optional<std::string> one = inlineForm(v, column)) {
        out += *one;
        return;
    }
    if (v.is_object()) {
        out += '{';
        printMembers(v, indent + 2, false, out);
        newline(indent, out);
        out += '}';
        return;
    }
    const bool cuddled =
        std::all_of(v.begin(), v.end(), [](const Json& e) { return e.is_object() && !e.empty() && mustBreak(e); });
    out += '[';
    for (auto it = v.begin(); it != v.end(); ++it) {
        if (cuddled) {
            out += it == v.begin() ? "{" : ", {";
            printMembers(*it, indent + 2, true, out);
            newline(indent, out);
            out += '}';
            continue;
        }
        if (it != v.begin())
            out += ',';
        newline(indent + 2, out);
        print(*it, indent + 2, indent + 2, out);
    }
    if (!cuddled)
        newline(indent, out);
    out += ']';
}

} // namespace

std::string writePackJson(const LevelPack& pack)
{
    std::string out;
    out.reserve(96 * 1024);
    out += '{';
    printMembers(packJson(pack), 2, false, out);
    out += "\n}\n";
    return out;
}

std::string unknownKeysWarning(const std::vector<std::string>& keys)
{
    constexpr std::size_t kNamed = 3;
    std::string text = "The level pack has keys this version does not know; they were ignored: ";
    for (std::size_t i = 0; i < keys.size() && i < kNamed; ++i)
        text += (i ? ", " : "") + keys[i];
    if (keys.size() > kNamed)
        text += " and " + std::to_string(keys.size() - kNamed) + " more";
    return text;
}

} // namespace zq
