#pragma once
// Running a fuzz script: the survey of every level first, then each
// operation, with the checks of what it wrote and the redraw the editor does
// after it.

#include "fuzz/ScriptFiles.h"
#include "fuzz/ScriptInput.h"
#include "fuzz/ScriptSession.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LevelData.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq::fuzz::detail {

inline std::string Session::run(Survey survey)
{
    const GameImage before = image_;
    survey_ = survey;
    const bool everyLevel = survey == Survey::Draw || survey == Survey::Decode;
    for (int l = 0; l < kLevelCount && error_.empty() && everyLevel; ++l) {
        if (survey_ == Survey::Draw)
            drawLevel(l, 7, -1);
        else
            decodeLevelData(l);
    }
    if (error_.empty() && !(image_ == before))
        fail("reading every level changed the image");
    for (int l = 0; l < kLevelCount && error_.empty() && everyLevel; ++l)
        checkAirflowCodec(l);
    if (survey_ != Survey::Draw)
        showLevel(0);

    Reader in(script_);
    for (std::size_t n = 0; n < kMaxOps && !in.done() && error_.empty(); ++n)
        step(in);
    settle();
    return error_;
}

inline void Session::step(Reader& in)
{
    const int op = in.u8() % OpCount;
    const GameImage before = image_;
    switch (op) {
    case OpSelectLevel:
        showLevel(in.u8() % kLevelCount);
        break;
    case OpBlockPress: {
        const int x = in.s16(), y = in.s16();
        blockDrag_ = BlockTool::press(image_, level_.record, codes_, x, y);
        if (blockDrag_ != DragClearing && blockDrag_ != DragSetting)
            fail("block press gave no drag state");
        expectWritesWithin(before, {recordRegion(level_.record)}, "block press");
        refreshBlocks();
        break;
    }
    case OpBlockDrag: {
        const int x = in.s16(), y = in.s16();
        BlockTool::drag(image_, level_.record, codes_, blockDrag_, x, y);
        expectWritesWithin(before, {recordRegion(level_.record)}, "block drag");
        refreshBlocks();
        break;
    }
    case OpPatternPress: {
        const int x = in.s16(), y = in.s16();
        patternDrag_ = PatternTool::press(image_, level_.patternOffset, x, y);
        expectWritesWithin(before, {{level_.patternOffset, kPatternSize}}, "pattern press");
        if (image_ == before)
            fail("pattern press changed no bit");
        refreshBlocks();
        break;
    }
    case OpPatternDrag: {
        const int x = in.s16(), y = in.s16();
        PatternTool::drag(image_, level_.patternOffset, patternDrag_, x, y);
        expectWritesWithin(before, {{level_.patternOffset, kPatternSize}}, "pattern drag");
        refreshBlocks();
        break;
    }
    case OpAreaPress: {
        selectedArea_ = in.u8() & 15;
        const int gap = in.u8();
        const int x = in.s16(), y = in.s16();
        areaTool_.press(scene_.airflow, selectedArea_, x, y);
        encodeArea(gap, before, "area press");
        refresh(4);
        break;
    }
    case OpAreaResize: {
        const int gap = in.u8();
        const int x = in.s16(), y = in.s16();
        areaTool_.resize(scene_.airflow, selectedArea_, x, y);
        if (areaTool_.width < 1 || areaTool_.height < 1)
            fail("area resized to nothing");
        encodeArea(gap, before, "area resize");
        refresh(4);
        break;
    }
    case OpAreaDirection: {
        selectedArea_ = in.u8() & 15;
        scene_.airflow.direction[std::size_t(selectedArea_)] = in.u8() & 3;
        encodeArea(in.u8(), before, "area direction");
        refresh(4);
        break;
    }
    case OpStepEnemyType: {
        const int slot = in.s8(), newType = in.s8();
        const int oldType = slot >= 0 && slot < kEnemySlotCount ? enemies_[std::size_t(slot)].type : 16;
        stepEnemyType(image_, levelIndex_, slot, oldType, newType);
        expectWritesWithin(before, {enemyRegion(levelIndex_)}, "enemy type step");
        refresh(1);
        break;
    }
    case OpMoveEnemy: {
        const int slot = in.s8();
        const int x = in.s16(), y = in.s16();
        moveEnemy(image_, levelIndex_, enemies_, slot, x, y);
        expectWritesWithin(before, {enemyRegion(levelIndex_)}, "enemy move");
        enemies_ = decodeEnemies(image_, levelIndex_);
        refresh(1);
        break;
    }
    case OpSelectEnemy: {
        const int current = in.s8();
        const int x = in.s16(), y = in.s16();
        selectedEnemy_ = selectEnemy(enemies_, x, y, current);
        if (selectedEnemy_ != current && (selectedEnemy_ < 0 || selectedEnemy_ >= kEnemySlotCount))
            fail("enemy selection out of range");
        break;
    }
    case OpMoveItem: {
        const int raw = in.s8();
        const int q = raw >= 4 ? itemPlacement_ : raw;
        const int x = in.s16(), y = in.s16();
        moveItem(image_, levelIndex_, q, x, y);
        expectWritesWithin(before, {{itemOffset(levelIndex_), 1}}, "item move");
        refresh(2);
        break;
    }
    case OpBubble:
        bubbleOp(in, before);
        break;
    case OpCopyPasteLevel: {
        const int source = in.u8();
        if (source < 0x80)
            copyLevel(image_, findLevelRecord(image_, source % kLevelCount), levelClipboard_);
        const LevelRecord targetRecord = findLevelRecord(image_, levelIndex_);
        pasteLevel(image_, targetRecord, levelClipboard_, codes_);
        expectWritesWithin(before, {recordRegion(targetRecord)}, "level paste");
        refresh(0);
        break;
    }
    case OpCopyPasteEnemies: {
        const int source = in.s8(), targetLevel = in.s8();
        copyEnemies(image_, source, enemyClipboard_);
        const bool pasted = pasteEnemies(image_, targetLevel, enemyClipboard_);
        if (pasted != (enemyClipboard_.full && targetLevel >= 0 && targetLevel < kLevelCount))
            fail("enemy paste result");
        expectWritesWithin(before, {enemyRegion(targetLevel)}, "enemy paste");
        refresh(1);
        break;
    }
    case OpCreditText: {
        const auto field = CreditField(in.u8() % 3);
        std::u32string text(in.u8() % 40, U' ');
        for (char32_t& c : text)
            c = char32_t(in.u32());
        writeCreditText(image_, field, text);
        const CreditFieldInfo info = creditFieldInfo(field);
        expectWritesWithin(before, {{info.offset, info.width}}, "credit text");
        if (readCreditText(image_, field).size() > info.width)
            fail("credit text longer than its field");
        break;
    }
    case OpEnemyBytes: {
        const int which = in.u8();
        const int value = in.s16();
        if (which & 1)
            setBurstTime(image_, levelIndex_, value);
        else
            setEnemiesPattern(image_, levelIndex_, value);
        if ((which & 1 ? burstTime(image_, levelIndex_) : enemiesPattern(image_, levelIndex_)) != (value & 0xFF))
            fail("enemy byte not stored");
        expectWritesWithin(before, {enemyRegion(levelIndex_)}, "enemy byte");
        refresh(1);
        break;
    }
    case OpWriteFiles:
        writeFiles(in.u8() % 3, before);
        break;
    case OpImportScreen: {
        const std::size_t length = std::size_t(in.u16()) % 8192;
        const auto given = in.take(length);
        std::vector<std::uint8_t> scr(given.begin(), given.end());
        scr.resize(length, 0);
        const LoadingScreen oldScreen = loadingScreen();
        const bool taken = importScreen(scr, loadingScreen(), image_);
        if (taken != (scr.size() == kScreenSize))
            fail("screen import took the wrong size");
        if (!taken && !(loadingScreen() == oldScreen))
            fail("refused screen import changed the loading screen");
        if (taken && !std::ranges::equal(image_.view(off::Screen, kScreenSize), scr))
            fail("imported screen not in the image");
        expectWritesWithin(before, {{off::Screen, kScreenSize}}, "screen import");
        refresh(0);
        break;
    }
    case OpOpenSnapshot:
        openOp(in);
        break;
    case OpRender: {
        const int overlays = in.u8();
        selectedArea_ = in.s8();
        if (survey_ == Survey::Once) {
            // Drawn with the level's data part, once.
            pending_ = Pending::Edited;
            pendingArea_ = selectedArea_;
            break;
        }
        drawLevel(levelIndex_, overlays, selectedArea_);
        if (!(image_ == before))
            fail("drawing changed the image");
        break;
    }
    case OpDrawCell: {
        scene_.renderer.cursorX = in.s16();
        scene_.renderer.cursorY = in.s16();
        scene_.renderer.glyphMode.glyph = in.s8();
        scene_.renderer.glyphMode.background = in.s8();
        const std::uint8_t mode = in.u8();
        scene_.renderer.glyphMode.on = mode & 1;
        if (mode & 2) {
            scene_.renderer.clearCell(target());
        } else {
            scene_.renderer.drawCell(target());
            if (scene_.renderer.glyphMode.on)
                fail("glyph mode left on after a cell");
        }
        scene_.renderer.glyphMode.on = false;
        break;
    }
    case OpViewSizes: {
        const int w = in.u8() * 3, h = in.u8() * 3, pw = in.u8(), ph = in.u8();
        if (survey_ == Survey::Once)
            break;
        buf_.levelView.SetSize(w, h, 32);
        buf_.patternView.SetSize(pw, ph, 32);
        drawLevel(levelIndex_, 7, selectedArea_);
        buf_.levelView.SetSize(512, 384, 32);
        buf_.patternView.SetSize(129, 129, 32);
        break;
    }
    case OpLoadBmp: {
        const auto bmp = in.take(std::size_t(in.u16()));
        if (buf_.bitmap.LoadFromBmp(bmp))
            buf_.bitmap.ScaleInto(buf_.patternView);
        break;
    }
    case OpForceExtension: {
        const auto bytes = in.take(in.u8());
        const std::string result = forceExtension(std::string(bytes.begin(), bytes.end()), ".sna");
        if (result.size() < 4 || result.compare(result.size() - 4, 4, ".sna") != 0)
            fail("forced extension missing");
        break;
    }
    case OpColours: {
        const int paper = in.u8(), ink = in.u8(), bigBorder = in.u8();
        image_.set(level_.attributeOffset, encodeAttribute(paper, ink, bigBorder));
        const Attribute a = decodeAttribute(image_.get(level_.attributeOffset));
        if (a.paper != (paper & 7) || a.ink != (ink & 7) || (a.bigBorder != 0) != (bigBorder != 0))
            fail("colours not stored");
        expectWritesWithin(before, {{level_.attributeOffset, 1}}, "colours");
        refresh(7);
        break;
    }
    case OpLine: {
        const int x1 = in.s16(), y1 = in.s16(), x2 = in.s16(), y2 = in.s16();
        DrawLine(buf_.patternView, x1, y1, x2, y2, 0x123456);
        break;
    }
    default:
        break;
    }
}

inline void Session::bubbleOp(Reader& in, const GameImage& before)
{
    const int action = in.u8() % 4;
    const int argument = in.s8();
    const int raw = in.u8();
    const int number = raw == 0 ? levelIndex_ + 1 : raw;
    const BubbleState last = bubbleState(image_, number);
    switch (action) {
    case 0:
        removeLevel(image_, number);
        break;
    case 1:
        insertLevel(image_, number, argument);
        break;
    case 2:
        moveLevel(image_, number, argument);
        break;
    default:
        selectBubble(image_, number, argument, last);
        break;
    }
    expectWritesWithin(before, {{off::BubbleTable, kBubbleTableSize}}, "bubble edit");
    if (image_.get(off::BubbleTable + kBubbleTableSize) != before.get(off::BubbleTable + kBubbleTableSize))
        fail("bubble edit wrote the byte after the table");
    refresh(0);
}

} // namespace zq::fuzz::detail
