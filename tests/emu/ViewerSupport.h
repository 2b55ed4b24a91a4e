#pragma once
// The sample image's level viewer (data/generator/boot.asm) on the machine:
// typing its keys, waiting for its pictures, and comparing what it shows
// with the editor's level picture.

#include "emu/Machine48.h"
#include "emu/Rom.h"

#include "EmuTestSupport.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/LevelScene.h"
#include "tests/TestImages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zq::emu {
namespace {

// The viewer's state at its fixed addresses.
constexpr std::uint16_t kViewLevel = 0xF5C9;
constexpr std::uint16_t kViewRedraw = 0xF5CA;
constexpr std::uint16_t kViewDrawn = 0xF5CB;

constexpr int kTitleFrames = 150;
constexpr int kTopBand = 16;

class Viewer {
public:
    bool start(const GameImage& image)
    {
        if (!m_.loadRom(readRomFile(kOpenSeRomPath)) || !m_.loadSnapshot(image.bytes()))
            return false;
        drawn_ = m_.peek(kViewDrawn);
        return true;
    }

    Machine48& machine() { return m_; }
    // The pictures count from what the machine holds now (after a state
    // was put back).
    void sync() { drawn_ = m_.peek(kViewDrawn); }

    // Holds each key for two frames, lets go for two.
    void type(const std::vector<Key>& keys)
    {
        for (Key k : keys) {
            m_.setKey(k, true);
            run(2);
            m_.setKey(k, false);
            run(2);
        }
    }

    // Runs until the viewer has finished its next picture; false when none
    // comes within `maxFrames`.
    bool nextPicture(int maxFrames = 100)
    {
        for (int f = 0; f < maxFrames && m_.peek(kViewDrawn) == drawn_; ++f)
            m_.runFrame();
        if (m_.peek(kViewDrawn) == drawn_)
            return false;
        drawn_ = m_.peek(kViewDrawn);
        return true;
    }

    void request(int levelIndex)
    {
        m_.poke(kViewLevel, std::uint8_t(levelIndex));
        m_.poke(kViewRedraw, 1);
    }

    void run(int frames)
    {
        for (int f = 0; f < frames; ++f)
            m_.runFrame();
    }

private:
    Machine48 m_;
    std::uint8_t drawn_ = 0;
};

// Checks the machine's screen below the top band against the editor's level
// picture of the level the viewer says it shows.
inline void expectLevelShown(Viewer& viewer, const GameImage& image, int levelIndex)
{
    Machine48& m = viewer.machine();
    ASSERT_EQ(m.peek(kViewLevel), levelIndex);
    TFastDIB expected;
    TFastDIB screen;
    ASSERT_TRUE(drawLevelPicture(image, levelIndex, zq::EditMode::Blocks, 1, expected));
    m.renderScreen(screen);
    int differing = 0;
    std::string first;
    for (int y = kTopBand; y < kLevelPictureHeight; ++y)
        for (int x = 0; x < kLevelPictureWidth; ++x)
            if (screen.PixelAt(kBorderSize + x, kBorderSize + y) != expected.PixelAt(x, y) && differing++ == 0)
                first = " first at " + std::to_string(x) + "," + std::to_string(y);
    EXPECT_EQ(differing, 0) << "level " << levelIndex + 1 << first;
}

inline bool haveOpenSe() { return std::filesystem::exists(kOpenSeRomPath); }

} // namespace
} // namespace zq::emu
