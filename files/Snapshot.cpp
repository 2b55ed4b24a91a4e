#include "files/Snapshot.h"

#include <algorithm>

namespace zq {

OpenCheck checkSnapshot(std::uint64_t fileSize, std::span<const std::uint8_t> fileBytes, const GameImage& held)
{
    if (!acceptedSnapshotSize(fileSize) || fileBytes.size() != fileSize)
        return OpenCheck::WrongSize;
    const auto theirs = fileBytes.subspan(off::Signature, kSignatureSize);
    const auto ours = held.view(off::Signature, kSignatureSize);
    return std::equal(theirs.begin(), theirs.end(), ours.begin(), ours.end()) ? OpenCheck::Ok : OpenCheck::NotTheGame;
}

bool openSnapshot(GameImage& image, std::span<const std::uint8_t> fileBytes)
{
    if (!acceptedSnapshotSize(fileBytes.size()))
        return false;
    image.assign(fileBytes.first(kImageSize));
    return true;
}

std::vector<std::uint8_t> save48(const GameImage& image)
{
    const auto bytes = image.bytes();
    return {bytes.begin(), bytes.end()};
}

void writeRomSwapRoutine(GameImage& image)
{
    std::ranges::copy(kRomSwapRoutine, image.view(off::RomSwap, kRomSwapSize).begin());
}

void save128(const GameImage& image, std::vector<std::uint8_t>& file)
{
    file.reserve(kSnapshot128Size);
    file.assign(image.bytes().begin(), image.bytes().end());
    const std::uint16_t pc = addr::RomSwap;
    file.push_back(std::uint8_t(pc & 0xFF));
    file.push_back(std::uint8_t(pc >> 8));
    file.push_back(0x00); // port 0x7FFD: bank 0 at 0xC000, ROM 0, normal screen, unlocked
    file.push_back(0x00); // TR-DOS ROM not paged
    file.resize(kSnapshot128Size, 0x00); // banks 1, 3, 4, 6, 7
}

std::vector<std::uint8_t> save128(const GameImage& image)
{
    std::vector<std::uint8_t> file;
    save128(image, file);
    return file;
}

void export128(GameImage& image, std::vector<std::uint8_t>& file)
{
    writeRomSwapRoutine(image);
    save128(image, file);
}

std::vector<std::uint8_t> export128(GameImage& image)
{
    std::vector<std::uint8_t> file;
    export128(image, file);
    return file;
}

std::string forceExtension(std::string path, std::string_view ext)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find('.', nameStart);
    if (dot != std::string::npos)
        path.erase(dot);
    path += ext;
    return path;
}

} // namespace zq
