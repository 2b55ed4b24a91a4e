#include "files/FileKind.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

namespace zq {

namespace {

constexpr std::array<std::pair<FileKind, std::string_view>, 5> kExtensions = {{
    {FileKind::Sna, ".sna"},
    {FileKind::Z80, ".z80"},
    {FileKind::Szx, ".szx"},
    {FileKind::Tap, ".tap"},
    {FileKind::Tzx, ".tzx"},
}};

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace

bool isCompressed(std::span<const std::uint8_t> file)
{
    const auto startsWith = [file](std::initializer_list<std::uint8_t> signature) {
        return file.size() >= signature.size() && std::equal(signature.begin(), signature.end(), file.begin());
    };
    return startsWith({'B', 'Z', 'h'}) || startsWith({0x1F, 0x8B});
}

FileKind kindFromName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return FileKind::Unknown;
    for (const auto& [kind, extension] : kExtensions)
        if (sameIgnoringCase(name.substr(dot), extension))
            return kind;
    return FileKind::Unknown;
}

std::string_view extensionOf(FileKind kind)
{
    for (const auto& [k, extension] : kExtensions)
        if (k == kind)
            return extension;
    return {};
}

} // namespace zq
