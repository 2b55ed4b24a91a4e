#include "pack/JsonChecks.h"

#include "pack/PackCodec.h"
#include "pack/PackNames.h"

#include <algorithm>

namespace zq {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view text)
{
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(std::uint8_t(hi * 16 + lo));
    }
    return bytes;
}

} // namespace

std::string quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

bool JsonChecks::fail(const std::string& where, const std::string& what)
{
    if (error.empty())
        error = where.empty() ? what : where + ": " + what;
    return false;
}

void JsonChecks::knownKeys(const Json& object, const std::string& path, std::initializer_list<std::string_view> keys)
{
    for (auto it = object.begin(); it != object.end(); ++it)
        if (std::find(keys.begin(), keys.end(), it.key()) == keys.end())
            unknown.push_back(path.empty() ? it.key() : path + "." + it.key());
}

const JsonChecks::Json* JsonChecks::member(const Json& object, std::string_view key)
{
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

bool JsonChecks::number(const Json& v, std::string_view key, const std::string& where, long long low, long long high, int& out)
{
    bool inRange = false;
    if (v.is_number_unsigned())
        inRange = v.get<unsigned long long>() <= static_cast<unsigned long long>(high) &&
                  static_cast<long long>(v.get<unsigned long long>()) >= low;
    else if (v.is_number_integer())
        inRange = v.get<long long>() >= low && v.get<long long>() <= high;
    if (!inRange)
        return fail(where, quoted(key) + " must be a whole number from " + std::to_string(low) + " to " +
                               std::to_string(high));
    out = int(v.get<long long>());
    return true;
}

bool JsonChecks::number(const Json& object, std::string_view key, const std::string& where, long long low, long long high,
                        std::optional<int>& out)
{
    const Json* v = member(object, key);
    if (!v)
        return true;
    int value = 0;
    if (!number(*v, key, where, low, high, value))
        return false;
    out = value;
    return true;
}

bool JsonChecks::required(const Json& object, std::string_view key, const std::string& where, const Json*& out)
{
    out = member(object, key);
    return out ? true : fail(where, quoted(key) + " is missing");
}

bool JsonChecks::name(const Json& v, std::string_view key, const std::string& where, std::span<const char* const> names, int& out)
{
    const std::optional<int> index = v.is_string() ? nameIndex(names, v.get_ref<const std::string&>()) : std::nullopt;
    if (!index) {
        std::string list;
        for (const char* n : names)
            list += (list.empty() ? "" : ", ") + std::string(n);
        return fail(where, quoted(key) + " must be one of " + list);
    }
    out = *index;
    return true;
}

bool JsonChecks::hex(const Json& v, std::string_view key, const std::string& where, std::size_t size, std::size_t maxSize,
                     std::vector<std::uint8_t>& out)
{
    std::optional<std::vector<std::uint8_t>> bytes;
    if (v.is_string())
        bytes = parseHex(v.get_ref<const std::string&>());
    const bool fits = bytes && (size ? bytes->size() == size : !bytes->empty() && bytes->size() <= maxSize);
    if (!fits)
        return fail(where, quoted(key) + " must be " +
                               (size ? std::to_string(size) : "1 to " + std::to_string(maxSize)) +
                               " bytes in hex");
    out = std::move(*bytes);
    return true;
}

bool JsonChecks::value(const Json& v, std::string_view key, const std::string& where, int high, int& out)
{
    if (v.is_string()) {
        std::string_view text = v.get_ref<const std::string&>();
        if (text.starts_with("0x") || text.starts_with("0X"))
            text.remove_prefix(2);
        int read = text.empty() || text.size() > 4 ? -1 : 0;
        for (char c : text)
            read = read < 0 || hexDigit(c) < 0 ? -1 : read * 16 + hexDigit(c);
        if (read >= 0 && read <= high) {
            out = read;
            return true;
        }
        return fail(where, quoted(key) + " must be a number from 0 to " + std::to_string(high));
    }
    return number(v, key, where, 0, high, out);
}

bool JsonChecks::rows(const Json& v, std::string_view key, const std::string& where, std::size_t count,
                      std::initializer_list<std::size_t> widths, std::vector<std::string>& out)
{
    if (!v.is_array() || v.size() != count)
        return fail(where, quoted(key) + " must be " + std::to_string(count) + " rows");
    for (std::size_t r = 0; r < count; ++r) {
        const Json& row = v[r];
        const bool text = row.is_string();
        const std::string& s = text ? row.get_ref<const std::string&>() : std::string();
        const bool ok = text && std::find(widths.begin(), widths.end(), s.size()) != widths.end() &&
                        (r == 0 || s.size() == out[0].size()) &&
                        s.find_first_not_of(std::string{kBlockChar, kOpenChar}) == std::string::npos;
        if (!ok)
            return fail(where, quoted(key) + " row " + std::to_string(r + 1) + " must be " +
                                   std::to_string(r == 0 ? *widths.begin() : out[0].size()) +
                                   (widths.size() > 1 && r == 0 ? " or " + std::to_string(*(widths.begin() + 1)) : "") +
                                   " characters of '#' and '.'");
        out.push_back(s);
    }
    return true;
}

} // namespace zq
