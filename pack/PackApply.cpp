#include "pack/PackApply.h"

#include "entities/Bubbles.h"
#include "entities/Items.h"
#include "image/GameData.h"
#include "pack/GameDiff.h"
#include "pack/PackCodec.h"
#include "pack/PackNames.h"
#include "tools/Airflow.h"

#include <algorithm>

namespace zq {

namespace {

std::string levelName(int levelIndex) { return "level " + std::to_string(levelIndex + 1); }

std::string hexAddress(std::size_t offset)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(spectrumAddress(offset)));
    return text;
}

// Applies the pack to `image` (a copy the caller throws away on failure);
// returns the reason it does not fit, or an empty string.
class Applier {
public:
    Applier(GameImage& image, const LevelPack& pack)
        : image_(image)
        , pack_(pack)
    {
    }

    std::string run()
    {
        if (pack_.game != gameSignature(image_))
            return "the pack belongs to another game: its signature " + hexString(pack_.game) +
                   " is not this game's " + hexString(gameSignature(image_));
        if (!unused())
            return error_;
        if (pack_.lowerItemList)
            writeBytes(off::LowerItemList, *pack_.lowerItemList);
        if (pack_.bubbleTable)
            writeBytes(off::BubbleTable, *pack_.bubbleTable);
        tables();
        for (const PackLevel& level : pack_.levels)
            if (!this->level(level))
                return error_;
        bubbles();
        return error_;
    }

private:
    bool fail(std::string text)
    {
        if (error_.empty())
            error_ = std::move(text);
        return false;
    }

    template <typename Bytes>
    void writeBytes(std::size_t offset, const Bytes& bytes)
    {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            image_.set(offset + i, bytes[i]);
    }

    // The unused runs go only where this game has no data of its own.
    bool unused()
    {
        const auto ranges = unusedRanges(image_);
        const auto inside = [&](std::size_t offset) {
            return std::any_of(ranges.begin(), ranges.end(),
                               [&](const auto& r) { return offset >= r.first && offset < r.first + r.second; });
        };
        for (const PackUnused& run : pack_.unused) {
            const std::size_t offset = run.address >= 0x4000 ? imageOffset(run.address) : 0;
            for (std::size_t i = 0; i < run.bytes.size(); ++i)
                if (!offset || !inside(offset + i))
                    return fail("the unused bytes at " + hexAddress(offset ? offset : kHeaderSize) +
                                " lie on data of this game (at " + hexAddress(offset + i) + ")");
            writeBytes(offset, run.bytes);
        }
        return true;
    }

    void tables()
    {
        for (const PackAttribute& a : pack_.attributes)
            image_.set(attributeOffset(a.level - 1), encodePackAttribute(a));
        for (const PackPattern& p : pack_.patterns)
            writePatternRows(image_, p.level - 1, p.rows);
        for (int f = 0; f < kCreditFieldCount; ++f)
            if (const std::optional<PackCredit>& credit = pack_.credits[std::size_t(f)]) {
                const CreditFieldInfo info = creditFieldInfo(CreditField(f));
                writeBytes(info.offset, encodeCredit(*credit, info.width));
            }
    }

    bool level(const PackLevel& level)
    {
        const int index = level.level - 1;
        const LevelRecord record = findLevelRecord(image_, index);
        if (level.mirrored && *level.mirrored != record.mirrored)
            return fail(levelName(index) + " is " + (record.mirrored ? "a mirrored" : "a full-width") +
                        " level in this game, but the pack's is " + (*level.mirrored ? "mirrored" : "full-width") +
                        " (the kinds of the levels are fixed in the game)");
        if (level.layout)
            writeLayoutRows(image_, record, *level.layout, level.layoutLastByte);
        if (level.enemies)
            writeBytes(enemyEntryOffset(index), encodeEnemyEntry(*level.enemies));
        if (level.item && !item(index, record, *level.item))
            return false;
        return !level.airflow || airflow(index, *level.airflow);
    }

    bool item(int index, const LevelRecord& record, const PackItem& item)
    {
        const ItemPosition at = itemPosition(item.byte, itemPlacementState(image_, index, record.mirrored));
        if ((item.x && *item.x != at.x) || (item.y && *item.y != at.y)) {
            char text[160];
            std::snprintf(text, sizeof text, ": the item byte 0x%02X puts the item at (%d, %d), not at (%d, %d)",
                          unsigned(item.byte), at.x, at.y, item.x.value_or(at.x), item.y.value_or(at.y));
            return fail(levelName(index) + text);
        }
        image_.set(itemOffset(index), item.byte);
        return true;
    }

    bool airflow(int index, const PackAirflow& airflow)
    {
        const int owner = airflowOwner(index);
        if (owner != index)
            return fail(levelName(index) + " uses the air-flow record of " + levelName(owner) +
                        "; its areas are given on " + levelName(owner));
        const std::size_t offset = airflowRecordOffset(index);
        const int areas = (image_.get(offset) & 15) + 1;
        if (int(airflow.areas.size()) != areas)
            return fail(levelName(index) + ": the pack has " + std::to_string(airflow.areas.size()) +
                        " air-flow areas, but the level's record in this game holds " + std::to_string(areas) +
                        " (the number of areas is fixed in the game)");
        writePackAirflow(image_, offset, airflow);
        return true;
    }

    // A pack of all the levels without the table builds the table from
    // them; otherwise each level's bubble is moved as the editor moves it.
    void bubbles()
    {
        const bool all = pack_.levels.size() == std::size_t(kLevelCount) &&
                         std::all_of(pack_.levels.begin(), pack_.levels.end(), [](const PackLevel& l) { return l.bubble; });
        if (all && !pack_.bubbleTable) {
            std::array<int, kLevelCount> types{};
            for (const PackLevel& level : pack_.levels)
                types[std::size_t(level.level - 1)] = *level.bubble;
            const auto table = canonicalBubbleTable(types);
            if (!table) {
                fail("the pack gives more levels a special bubble than the table holds (49)");
                return;
            }
            writeBytes(off::BubbleTable, *table);
            return;
        }
        for (const PackLevel& level : pack_.levels)
            if (level.bubble && !bubble(level.level - 1, *level.bubble))
                return;
    }

    bool bubble(int index, int type)
    {
        const int number = index + 1;
        if (packBubble(image_, index) == type)
            return true;
        // As the Bubble Type list would: remove, move or insert the level.
        selectBubble(image_, number, type, bubbleState(image_, number));
        if (packBubble(image_, index) != type)
            return fail(levelName(index) + ": the special bubble table has no room to give the level a " +
                        bubbleName(type) + " bubble");
        return true;
    }

    GameImage& image_;
    const LevelPack& pack_;
    std::string error_;
};

} // namespace

PackApplyResult applyPack(GameImage& image, const LevelPack& pack)
{
    PackApplyResult result;
    GameImage staged = image;
    result.error = Applier(staged, pack).run();
    if (!result.error.empty())
        return result;
    const auto differing = differingLevels(image, staged);
    for (int i = 0; i < kLevelCount; ++i)
        if (differing[std::size_t(i)])
            result.changedLevels.push_back(i);
    for (int f = 0; f < kCreditFieldCount; ++f) {
        const CreditFieldInfo info = creditFieldInfo(CreditField(f));
        const auto a = image.view(info.offset, info.width);
        result.creditsChanged = result.creditsChanged || !std::equal(a.begin(), a.end(), staged.view(info.offset, info.width).begin());
    }
    image = staged;
    result.applied = true;
    return result;
}

} // namespace zq
