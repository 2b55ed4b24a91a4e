// The changed-bytes record of an edit step: exact in both directions, and
// two steps merged are the step from the first state to the last.

#include "image/ByteDelta.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace zq;

namespace {

std::vector<std::uint8_t> changed(std::vector<std::uint8_t> bytes, std::mt19937& random, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[random() % bytes.size()] = std::uint8_t(random());
    return bytes;
}

} // namespace

TEST(ByteDeltaTest, TakesBackAndRemakesEveryChangeAndMergesSteps)
{
    std::mt19937 random(5);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint8_t> first(1000 + random() % 5000);
        for (auto& b : first)
            b = std::uint8_t(random());
        const auto second = changed(first, random, int(random() % 200));
        const auto third = changed(second, random, int(random() % 40));

        const ByteDelta a = ByteDelta::between(first, second);
        EXPECT_EQ(a.empty(), first == second);
        auto bytes = second;
        a.writeBefore(bytes);
        EXPECT_EQ(bytes, first);
        a.writeAfter(bytes);
        EXPECT_EQ(bytes, second);
        EXPECT_LT(a.memoryBytes(), 2 * first.size()); // never more than a copy of each side

        const ByteDelta both = a.then(ByteDelta::between(second, third));
        bytes = first;
        both.writeAfter(bytes);
        EXPECT_EQ(bytes, third);
        both.writeBefore(bytes);
        EXPECT_EQ(bytes, first);
    }
    // An edit and its inverse merge to nothing; a change is found where it is.
    std::vector<std::uint8_t> x(64, 1), y = x;
    y[40] = 9;
    const ByteDelta there = ByteDelta::between(x, y);
    EXPECT_TRUE(there.touches(40, 1));
    EXPECT_FALSE(there.touches(0, 40));
    EXPECT_TRUE(there.then(ByteDelta::between(y, x)).empty());
    EXPECT_TRUE(ByteDelta::between(x, x).empty());
}
