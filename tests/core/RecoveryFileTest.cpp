// The recovery file as bytes: what is written reads back the same, steps
// and all; anything cut short, changed or of another version is refused,
// never half believed.

#include "files/RecoveryFile.h"
#include "image/MemoryMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zq {
namespace {

using Bytes = std::vector<std::uint8_t>;

HistoryStep step(std::string name, int before, int after, std::uint32_t offset, Bytes old, Bytes now)
{
    HistoryStep s{std::move(name), before, after, {}, {}};
    EXPECT_TRUE(s.image.addRange(offset, old, now));
    return s;
}

RecoveryData sample()
{
    RecoveryData d;
    d.savedAt = 1717171717171;
    d.sourceFile = "/home/modder/Zelquor – level pack.sna";
    d.image.assign(kImageSize, 0x11);
    d.screen.assign(kScreenSize, 0x22);
    d.steps.push_back(step("Open", 0, 0, 27, {0, 0, 0}, {1, 2, 3}));
    d.steps.push_back(step("Draw Blocks", 4, 4, std::uint32_t(kImageSize - 2), {5, 6}, {7, 8}));
    HistoryStep screen{"Import Screen", 4, 4, {}, {}};
    EXPECT_TRUE(screen.screen.addRange(0, Bytes{0x22}, Bytes{0x99}));
    EXPECT_TRUE(screen.screen.addRange(std::uint32_t(kScreenSize - 1), Bytes{0x22}, Bytes{0x98}));
    d.steps.push_back(std::move(screen));
    d.index = 2; // the screen import was undone: it can be redone
    d.cleanIndex = 1;
    return d;
}

void expectSameDelta(const ByteDelta& a, const ByteDelta& b)
{
    ASSERT_EQ(a.rangeCount(), b.rangeCount());
    for (std::size_t i = 0; i < a.rangeCount(); ++i) {
        EXPECT_EQ(a.range(i).offset, b.range(i).offset);
        EXPECT_TRUE(std::ranges::equal(a.range(i).before, b.range(i).before));
        EXPECT_TRUE(std::ranges::equal(a.range(i).after, b.range(i).after));
    }
}

TEST(RecoveryFileTest, WhatIsWrittenReadsBackStepForStep)
{
    const RecoveryData d = sample();
    const DecodedRecovery back = decodeRecovery(encodeRecovery(d));
    ASSERT_EQ(back.status, DecodedRecovery::Ok);
    EXPECT_EQ(back.data.savedAt, d.savedAt);
    EXPECT_EQ(back.data.sourceFile, d.sourceFile);
    EXPECT_EQ(back.data.image, d.image);
    EXPECT_EQ(back.data.screen, d.screen);
    EXPECT_EQ(back.data.index, 2);
    EXPECT_EQ(back.data.cleanIndex, 1);
    EXPECT_EQ(back.data.unsavedEdits(), 1);
    ASSERT_EQ(back.data.steps.size(), d.steps.size());
    for (std::size_t i = 0; i < d.steps.size(); ++i) {
        EXPECT_EQ(back.data.steps[i].name, d.steps[i].name);
        EXPECT_EQ(back.data.steps[i].levelBefore, d.steps[i].levelBefore);
        EXPECT_EQ(back.data.steps[i].levelAfter, d.steps[i].levelAfter);
        expectSameDelta(back.data.steps[i].image, d.steps[i].image);
        expectSameDelta(back.data.steps[i].screen, d.steps[i].screen);
    }
}

TEST(RecoveryFileTest, DamagedCutShortOrForeignFilesAreRefused)
{
    const Bytes file = encodeRecovery(sample());
    for (std::size_t length = 0; length < file.size(); length += 1 + length / 50) {
        const DecodedRecovery cut = decodeRecovery(Bytes(file.begin(), file.begin() + std::ptrdiff_t(length)));
        EXPECT_NE(cut.status, DecodedRecovery::Ok) << length;
        EXPECT_TRUE(cut.data.steps.empty()) << length;
    }
    for (std::size_t at : {std::size_t(20), file.size() / 2, file.size() - 1}) {
        Bytes changed = file;
        changed[at] ^= 0x01;
        EXPECT_EQ(decodeRecovery(changed).status, DecodedRecovery::Damaged) << at;
    }
    Bytes later = file;
    later[8] = 2;
    EXPECT_EQ(decodeRecovery(later).status, DecodedRecovery::OtherVersion);
    EXPECT_EQ(decodeRecovery(Bytes(kImageSize, 0)).status, DecodedRecovery::NotRecovery);
}

TEST(RecoveryFileTest, RangesOutsideTheImageOrAnIndexPastTheStepsAreRefused)
{
    // Well-formed and checksummed, but not a history of this game.
    RecoveryData outside = sample();
    outside.steps[1].image = ByteDelta();
    ASSERT_TRUE(outside.steps[1].image.addRange(std::uint32_t(kImageSize - 1), Bytes{5, 6}, Bytes{7, 8}));
    EXPECT_EQ(decodeRecovery(encodeRecovery(outside)).status, DecodedRecovery::Damaged);

    RecoveryData pastTheEnd = sample();
    pastTheEnd.index = 4;
    EXPECT_EQ(decodeRecovery(encodeRecovery(pastTheEnd)).status, DecodedRecovery::Damaged);

    RecoveryData tooMany = sample();
    tooMany.steps.resize(kMaxRecoverySteps + 1);
    tooMany.index = tooMany.cleanIndex = 0;
    EXPECT_EQ(decodeRecovery(encodeRecovery(tooMany)).status, DecodedRecovery::Damaged);

    RecoveryData badLevel = sample();
    badLevel.steps[0].levelAfter = kLevelCount;
    EXPECT_EQ(decodeRecovery(encodeRecovery(badLevel)).status, DecodedRecovery::Damaged);

    // Ranges must come in order, apart, and hold what they change.
    ByteDelta d;
    EXPECT_TRUE(d.addRange(10, Bytes{1, 2}, Bytes{3, 4}));
    EXPECT_FALSE(d.addRange(11, Bytes{1}, Bytes{2}));
    EXPECT_FALSE(d.addRange(20, Bytes{1}, Bytes{2, 3}));
    EXPECT_FALSE(d.addRange(20, Bytes{}, Bytes{}));
    EXPECT_EQ(d.rangeCount(), 1u);
}

} // namespace
} // namespace zq
