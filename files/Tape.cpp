#include "files/Tape.h"

#include <algorithm>
#include <string>

namespace zq {

namespace {

// Keyword tokens of Spectrum BASIC used by the loader.
namespace token {
constexpr std::uint8_t Usr = 0xC0;
constexpr std::uint8_t Line = 0xCA;
constexpr std::uint8_t ScreenS = 0xAA;
constexpr std::uint8_t Code = 0xAF;
constexpr std::uint8_t Load = 0xEF;
constexpr std::uint8_t Poke = 0xF4;
constexpr std::uint8_t Save = 0xF8;
constexpr std::uint8_t Randomize = 0xF9;
constexpr std::uint8_t Clear = 0xFD;
} // namespace token

constexpr std::uint8_t kNumberMarker = 0x0E;
constexpr std::uint8_t kEndOfLine = 0x0D;

using Bytes = std::vector<std::uint8_t>;

void putWord(Bytes& out, std::uint16_t value)
{
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t(value >> 8));
}

// A whole number 0..65535 in the 5-byte form BASIC keeps numbers in:
// 00, sign byte 00, low, high, 00.
void putSmallInteger(Bytes& out, std::uint16_t value)
{
    out.push_back(0x00);
    out.push_back(0x00);
    putWord(out, value);
    out.push_back(0x00);
}

// One tokenised program line: line number (big-endian), length of the rest
// (little-endian), the statements, ENTER.
class BasicLine {
public:
    explicit BasicLine(std::uint16_t number) : number_(number) {}

    BasicLine& keyword(std::uint8_t tokenByte)
    {
        body_.push_back(tokenByte);
        return *this;
    }
    BasicLine& text(std::string_view characters)
    {
        body_.insert(body_.end(), characters.begin(), characters.end());
        return *this;
    }
    // A number literal: its digits as typed, then the hidden binary form.
    BasicLine& number(std::uint16_t value)
    {
        text(std::to_string(value));
        body_.push_back(kNumberMarker);
        putSmallInteger(body_, value);
        return *this;
    }

    void appendTo(Bytes& program) const
    {
        program.push_back(std::uint8_t(number_ >> 8));
        program.push_back(std::uint8_t(number_ & 0xFF));
        putWord(program, std::uint16_t(body_.size() + 1));
        program.insert(program.end(), body_.begin(), body_.end());
        program.push_back(kEndOfLine);
    }

private:
    std::uint16_t number_;
    Bytes body_;
};

Bytes buildLoaderData()
{
    Bytes data;
    BasicLine(10).keyword(token::Clear).number(24978).appendTo(data);
    BasicLine(20)
        .keyword(token::Load).text("\"\"").keyword(token::ScreenS).text(":")
        .keyword(token::Poke).number(23739).text(",").number(111).text(":")
        .keyword(token::Load).text("\"\"").keyword(token::Code)
        .appendTo(data);
    BasicLine(30).keyword(token::Randomize).keyword(token::Usr).number(62908).appendTo(data);
    BasicLine(9999)
        .keyword(token::Save).text("\"Zelqor\"").keyword(token::Line).number(0).text(":")
        .keyword(token::Save).text("\"code\"").keyword(token::Code).number(24980).text(",").number(40556)
        .appendTo(data);

    // Variables area: FOR control variable n (letter byte 111 + low five bits
    // of 'n'), value, limit and step, then the line and statement it loops to.
    data.push_back(std::uint8_t(0xE0 | ('n' & 0x1F)));
    putSmallInteger(data, 4);
    putSmallInteger(data, 3);
    putSmallInteger(data, 1);
    putWord(data, 20);
    data.push_back(2);
    return data;
}

// Appends a data block: length, flag 0xFF, the bytes, checksum.
void putDataBlock(Bytes& out, std::span<const std::uint8_t> data)
{
    putWord(out, std::uint16_t(data.size() + 2));
    out.push_back(kTapDataFlag);
    out.insert(out.end(), data.begin(), data.end());
    out.push_back(std::uint8_t(kTapDataFlag ^ xorOf(data)));
}

void putHeaderBlock(Bytes& out, const std::array<std::uint8_t, kTapHeaderLength>& header)
{
    putWord(out, std::uint16_t(header.size()));
    out.insert(out.end(), header.begin(), header.end());
}

} // namespace

std::uint8_t xorOf(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

std::array<std::uint8_t, kTapHeaderLength> tapHeader(std::uint8_t type, std::string_view name, std::uint16_t dataLength,
                                                     std::uint16_t parameter1, std::uint16_t parameter2)
{
    std::array<std::uint8_t, kTapHeaderLength> h{};
    h[0] = kTapHeaderFlag;
    h[1] = type;
    for (std::size_t i = 0; i < 10; ++i)
        h[2 + i] = i < name.size() ? std::uint8_t(name[i]) : std::uint8_t(' ');
    const std::uint16_t words[3] = {dataLength, parameter1, parameter2};
    for (std::size_t i = 0; i < 3; ++i) {
        h[12 + 2 * i] = std::uint8_t(words[i] & 0xFF);
        h[13 + 2 * i] = std::uint8_t(words[i] >> 8);
    }
    h[18] = xorOf(std::span(h).first(18));
    return h;
}

const std::array<std::uint8_t, kLoaderDataLength>& loaderData()
{
    static const std::array<std::uint8_t, kLoaderDataLength> data = [] {
        const Bytes built = buildLoaderData();
        std::array<std::uint8_t, kLoaderDataLength> a{};
        std::copy_n(built.begin(), std::min(built.size(), a.size()), a.begin());
        return a;
    }();
    return data;
}

const std::array<std::uint8_t, kLoaderBlockSize>& loaderBlock()
{
    static const std::array<std::uint8_t, kLoaderBlockSize> block = [] {
        Bytes out;
        putHeaderBlock(out, tapHeader(kTapTypeProgram, "Zelqor", kLoaderDataLength, 0, kLoaderProgramLength));
        putDataBlock(out, loaderData());
        std::array<std::uint8_t, kLoaderBlockSize> a{};
        std::copy_n(out.begin(), std::min(out.size(), a.size()), a.begin());
        return a;
    }();
    return block;
}

LoadingScreen::LoadingScreen() = default;

LoadingScreen LoadingScreen::fromImage(const GameImage& image)
{
    LoadingScreen screen;
    screen.assign(image.view(off::Screen, kScreenSize));
    return screen;
}

bool LoadingScreen::assign(std::span<const std::uint8_t> screen)
{
    if (screen.size() != kScreenSize)
        return false;
    std::ranges::copy(screen, bytes_.begin());
    checksum_ = std::uint8_t(kTapDataFlag ^ xorOf(bytes_));
    return true;
}

std::vector<std::uint8_t> screenBlock(const LoadingScreen& screen)
{
    Bytes out;
    out.reserve(kScreenBlockSize);
    putHeaderBlock(out, tapHeader(kTapTypeBytes, "screen", kScreenSize, 32768, 32768));
    putWord(out, std::uint16_t(kScreenSize + 2));
    out.push_back(kTapDataFlag);
    out.insert(out.end(), screen.bytes().begin(), screen.bytes().end());
    out.push_back(screen.checksum());
    return out;
}

std::vector<std::uint8_t> codeBlock(const GameImage& image)
{
    Bytes out;
    out.reserve(kCodeBlockSize);
    putHeaderBlock(out, tapHeader(kTapTypeBytes, "code", kCodeLength, kCodeLoadAddress, kCodeParameter2));
    putDataBlock(out, image.view(off::TapeCodeStart, kCodeLength));
    return out;
}

std::vector<std::uint8_t> buildTape(const GameImage& image, const LoadingScreen& screen)
{
    Bytes tape;
    tape.reserve(kTapeSize);
    tape.insert(tape.end(), loaderBlock().begin(), loaderBlock().end());
    const Bytes scr = screenBlock(screen);
    tape.insert(tape.end(), scr.begin(), scr.end());
    const Bytes code = codeBlock(image);
    tape.insert(tape.end(), code.begin(), code.end());
    return tape;
}

} // namespace zq
