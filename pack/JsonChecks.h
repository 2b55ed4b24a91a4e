#pragma once
// The checks the level pack reader makes on each JSON value: its type and
// range, with the first error met and the keys no check knew. Used by
// pack/PackReader only.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

class JsonChecks {
public:
    using Json = nlohmann::json;

    std::string error;                // the first failure, "where: what"
    std::vector<std::string> unknown; // paths of keys no check knew

    bool fail(const std::string& where, const std::string& what);
    // Notes the keys of `object` that are not among `keys`.
    void knownKeys(const Json& object, const std::string& path, std::initializer_list<std::string_view> keys);
    static const Json* member(const Json& object, std::string_view key);
    bool required(const Json& object, std::string_view key, const std::string& where, const Json*& out);

    // A whole number in [low, high]; the optional form leaves `out` empty
    // when the member is absent.
    bool number(const Json& v, std::string_view key, const std::string& where, long long low, long long high, int& out);
    bool number(const Json& object, std::string_view key, const std::string& where, long long low, long long high,
                std::optional<int>& out);
    // One of `names`, compared exactly.
    bool name(const Json& v, std::string_view key, const std::string& where, std::span<const char* const> names, int& out);
    // Hex bytes: exactly `size` of them, or 1..maxSize with size 0.
    bool hex(const Json& v, std::string_view key, const std::string& where, std::size_t size, std::size_t maxSize,
             std::vector<std::uint8_t>& out);
    // A byte or an address: a number, or its hex digits with or without 0x.
    bool value(const Json& v, std::string_view key, const std::string& where, int high, int& out);
    // `count` strings of '#' and '.', all of one of the widths.
    bool rows(const Json& v, std::string_view key, const std::string& where, std::size_t count,
              std::initializer_list<std::size_t> widths, std::vector<std::string>& out);
};

std::string quoted(std::string_view key);

} // namespace zq
