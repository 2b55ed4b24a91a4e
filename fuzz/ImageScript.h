#pragma once
// Runs one fuzz input against the core library: a game image followed by a
// script of editing operations. Shared by the libFuzzer target and by the
// regression tests, which replay the corpus and every reproducer kept in
// fuzz/regressions/ through the same code.
//
// Input layout:
//   bytes 0 .. 49178   the game image (a shorter input is padded with zeros);
//                      the default image's 10 signature bytes at offset 46551
//                      replace whatever the input holds there, so that the
//                      snapshot checks see a snapshot of the game
//   bytes 49179 ..     the script: an opcode byte and its argument bytes, over
//                      and over (see Op). Arguments past the end of the input
//                      read as 0. Coordinates are signed 16-bit little-endian,
//                      so they reach far outside the views.
//
// Every level 0..78 first gets the whole drawing pass the refresh cycle runs
// (border, compose with the enemy, item and air-flow overlays and the area
// highlight, pattern picture, both views); then the script edits the levels
// it picks, each edit followed by the redraw the editor would do.
//
// Besides "no crash", each step checks properties the core library promises:
// drawing never changes the image, each edit writes only inside its own
// region, the air-flow codec is its own inverse, the files written have their
// fixed sizes and valid block checksums, and an opened snapshot is taken byte
// for byte. The first broken property is returned as text.

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "files/Snapshot.h"
#include "files/Tape.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/Renderer.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zq::fuzz {

enum Op : std::uint8_t {
    OpSelectLevel,      // level byte (mod 79)
    OpBlockPress,       // x, y
    OpBlockDrag,        // x, y
    OpPatternPress,     // x, y
    OpPatternDrag,      // x, y
    OpAreaPress,        // area, gap set, x, y
    OpAreaResize,       // gap set, x, y
    OpAreaDirection,    // area, direction, gap set
    OpStepEnemyType,    // slot (signed), new type (signed)
    OpMoveEnemy,        // slot (signed), x, y
    OpSelectEnemy,      // current (signed), x, y
    OpMoveItem,         // q (signed; 4 and above use the level's own), x, y
    OpBubble,           // action, argument, level number (0 = current level's)
    OpCopyPasteLevel,   // source level byte (mod 79; bit 7: paste without copying)
    OpCopyPasteEnemies, // source level (signed), target level (signed)
    OpCreditText,       // field, length, then length x 4 bytes of char32_t
    OpEnemyBytes,       // which, value (16-bit)
    OpWriteFiles,       // which (48K, 128K export, tape)
    OpImportScreen,     // length (16-bit), then that many bytes (zero-padded)
    OpOpenSnapshot,     // kind, size (16-bit), patch count, patches (offset 16-bit, value)
    OpRender,           // overlay mask, area (signed)
    OpDrawCell,         // x, y, glyph (signed), background (signed), clear?
    OpViewSizes,        // level view width, height, pattern view width, height (bytes x 4)
    OpLoadBmp,          // length (16-bit), then that many bytes: a bitmap file
    OpForceExtension,   // length, then that many bytes of path
    OpColours,          // paper, ink, big border
    OpLine,             // x1, y1, x2, y2: a line on the pattern view
    OpCount
};

inline constexpr std::size_t kMaxOps = 64;

// How much of every level each input goes through before its script.
enum class Survey {
    Draw,   // the whole drawing pass of the refresh cycle, views included
    Decode, // the decoding and the overlays placed by image data only
    None,   // nothing: only the script's levels are read, and its redraws
            // cover only what the image data places (OpRender and
            // OpViewSizes still draw everything); for long runs
};

namespace detail {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool done() const { return pos_ >= bytes_.size(); }
    std::uint8_t u8() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }
    int s8() { return int(std::int8_t(u8())); }
    int u16()
    {
        const int lo = u8();
        return lo | (u8() << 8);
    }
    int s16() { return int(std::int16_t(std::uint16_t(u16()))); }
    std::uint32_t u32()
    {
        const std::uint32_t lo = std::uint32_t(u16());
        return lo | (std::uint32_t(u16()) << 16);
    }
    // Up to n bytes; fewer when the input ends.
    std::span<const std::uint8_t> take(std::size_t n)
    {
        const std::size_t k = std::min(n, bytes_.size() - std::min(pos_, bytes_.size()));
        const auto s = bytes_.subspan(std::min(pos_, bytes_.size()), k);
        pos_ += k;
        return s;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// A half-open range of image offsets that an operation may write. The start
// may have wrapped around (an entry offset of a negative level index), so
// membership is tested modulo 2^64, as the offsets were computed.
struct Region {
    std::size_t start = 0;
    std::size_t length = 0;
    bool contains(std::size_t i) const { return i - start < length; }
};

// The pixel buffers live as long as the program: allocating 1.2 MB for every
// input would cost more than the drawing.
struct Buffers {
    TFastDIB levelPicture;
    TFastDIB patternPicture;
    TFastDIB levelView;
    TFastDIB patternView;
    TFastDIB bitmap;
};

inline Buffers& buffers()
{
    static Buffers* b = new Buffers;
    return *b;
}

inline const GameImage& defaultImage()
{
    static const GameImage* image = [] {
        auto* g = new GameImage;
        g->loadDefault();
        return g;
    }();
    return *image;
}

class Session {
public:
    explicit Session(std::span<const std::uint8_t> input) : buf_(buffers())
    {
        image_.assign(input.first(std::min(input.size(), kImageSize)));
        const auto signature = defaultImage().view(off::Signature, kSignatureSize);
        std::ranges::copy(signature, image_.view(off::Signature, kSignatureSize).begin());
        loadingScreen_ = LoadingScreen::fromImage(image_);
        buf_.levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
        buf_.patternPicture.SetSize(8, 8, 32);
        buf_.levelView.SetSize(512, 384, 32);
        buf_.patternView.SetSize(129, 129, 32);
    }

    std::string run(std::span<const std::uint8_t> script, Survey survey)
    {
        const GameImage before = image_;
        survey_ = survey;
        for (int l = 0; l < kLevelCount && error_.empty() && survey != Survey::None; ++l) {
            if (survey == Survey::Draw)
                drawLevel(l, 7, -1);
            else
                decodeLevelData(l);
        }
        if (error_.empty() && !(image_ == before))
            fail("reading every level changed the image");
        for (int l = 0; l < kLevelCount && error_.empty() && survey != Survey::None; ++l)
            checkAirflowCodec(l);
        if (survey != Survey::Draw)
            decodeLevelData(0);

        Reader in(script);
        for (std::size_t n = 0; n < kMaxOps && !in.done() && error_.empty(); ++n)
            step(in);
        return error_;
    }

private:
    Buffers& buf_;
    Survey survey_ = Survey::Draw;
    GameImage image_;
    const CellCodeTables codes_;
    LevelRenderer renderer_;
    CurrentLevel level_;
    AirflowRecord airflow_;
    FlowMap flow_;
    EnemySlotView enemies_{};
    int itemPlacement_ = 0;
    int levelIndex_ = 0;
    int blockDrag_ = DragNone;
    int patternDrag_ = DragNone;
    int selectedArea_ = 0;
    int selectedEnemy_ = 0;
    AreaTool areaTool_;
    LoadingScreen loadingScreen_;
    LevelClipboard levelClipboard_;
    EnemyClipboard enemyClipboard_;
    std::string error_;

    void fail(std::string what)
    {
        if (error_.empty())
            error_ = std::move(what) + " (level index " + std::to_string(levelIndex_) + ")";
    }

    RenderTarget target() { return RenderTarget{image_, level_, codes_, buf_.levelPicture}; }

    // The refresh cycle's drawing: side walls, compose with the overlays the
    // mask asks for (1 enemies, 2 item, 4 air flow), pattern picture, views.
    // The air-flow decode runs always. area < 0 highlights the record's last.
    void drawLevel(int levelIndex, int overlays, int area)
    {
        decodeState(levelIndex);
        // The enemy panel's pictures.
        for (const EnemySlot& slot : enemies_)
            if (!buf_.bitmap.LoadFromResource(enemyPictureName(slot.type)))
                fail("no picture for enemy type " + std::to_string(slot.type));
        const RenderTarget t = target();
        renderer_.drawBorder(t);
        ComposeHooks hooks;
        hooks.editEnemies = overlays & 1;
        hooks.editItems = overlays & 2;
        hooks.editAirflow = overlays & 4;
        hooks.enemyOverlay = [this] { drawEnemyOverlay(buf_.levelPicture, enemies_, level_.ink); };
        hooks.itemOverlay = [this] {
            drawItemOverlay(buf_.levelPicture, itemByte(image_, level_.levelIndex), itemPlacement_);
        };
        hooks.airflowDecode = [this] {
            decodeAirflow(image_, level_.levelIndex, renderer_.wallMap, airflow_, flow_);
            checkFlowMap();
        };
        hooks.airflowOverlay = [this, area] {
            const RenderTarget at = target();
            drawAirflowOverlay(renderer_, at, flow_);
            if (!airflow_.shared)
                drawAreaHighlight(renderer_, at, airflow_, area < 0 ? airflow_.n : area);
        };
        renderer_.compose(t, hooks);
        LevelRenderer::drawPatternPicture(image_, level_, buf_.patternPicture);
        LevelRenderer::showLevel(buf_.levelPicture, buf_.levelView);
        LevelRenderer::showPattern(buf_.patternPicture, buf_.patternView, true);
        LevelRenderer::showPattern(buf_.patternPicture, buf_.patternView, false);
    }

    // What the refresh cycle decodes before it draws.
    void decodeState(int levelIndex)
    {
        levelIndex_ = levelIndex;
        level_ = decodeLevel(image_, levelIndex);
        const std::size_t lastRecord = off::LevelRecords + std::size_t(kLevelCount - 1) * kFullRecordSize;
        if (level_.record.offset < off::LevelRecords || level_.record.offset > lastRecord)
            fail("level record outside the record area");
        enemies_ = decodeEnemies(image_, levelIndex);
        itemPlacement_ = itemPlacementState(image_, levelIndex, level_.record.mirrored);
        const BubbleState bubble = bubbleState(image_, levelIndex + 1);
        if (bubble.type > 5 || bubble.spare < 0 || bubble.spare > int(kBubbleTableSize))
            fail("bubble state out of range");
        if (bubbleChoiceEnabled(bubble) != (bubble.type != 0 || bubble.spare != 0))
            fail("bubble choice state");
    }

    // The data-dependent part of a level's refresh without the fixed-size
    // picture passes: state, wall map, air-flow decode, the overlays whose
    // positions come from the image, the area highlight.
    void decodeLevelData(int levelIndex)
    {
        decodeState(levelIndex);
        renderer_.wallMap.rebuild(image_, level_.record, codes_);
        decodeAirflow(image_, levelIndex, renderer_.wallMap, airflow_, flow_);
        checkFlowMap();
        drawEnemyOverlay(buf_.levelPicture, enemies_, level_.ink);
        drawItemOverlay(buf_.levelPicture, itemByte(image_, levelIndex), itemPlacement_);
        if (!airflow_.shared)
            drawAreaHighlight(renderer_, target(), airflow_, airflow_.n);
    }

    // The redraw after an edit.
    void refresh(int overlays)
    {
        if (survey_ == Survey::None)
            decodeLevelData(levelIndex_);
        else
            drawLevel(levelIndex_, overlays, selectedArea_);
    }

    // The mouse-editing redraw: side walls, grid, views.
    void refreshBlocks()
    {
        if (survey_ == Survey::None) {
            renderer_.wallMap.rebuild(image_, level_.record, codes_);
            return;
        }
        const RenderTarget t = target();
        renderer_.drawBorder(t);
        renderer_.drawGrid(t);
        LevelRenderer::drawPatternPicture(image_, level_, buf_.patternPicture);
        LevelRenderer::showLevel(buf_.levelPicture, buf_.levelView);
        LevelRenderer::showPattern(buf_.patternPicture, buf_.patternView, true);
    }

    void checkFlowMap()
    {
        for (std::uint8_t c : flow_.cells)
            if (c & 0x1F) {
                fail("flow map cell with low bits set");
                return;
            }
        if (airflow_.n < 0 || airflow_.n > 15 || airflow_.gapSet < 0 || airflow_.gapSet > 15)
            fail("air-flow record fields out of range");
    }

    // Decoding a level's record and encoding it back changes nothing.
    void checkAirflowCodec(int levelIndex)
    {
        levelIndex_ = levelIndex;
        AirflowRecord record;
        readAirflowRecord(image_, airflowRecordOffset(levelIndex), record);
        // The record and 16 bytes on either side: nothing there may change.
        const std::size_t from = record.offset - 16;
        std::array<std::uint8_t, 32 + 4 + 7 + 30> around{};
        for (std::size_t i = 0; i < around.size(); ++i)
            around[i] = image_.get(from + i);
        encodeAirflow(image_, record, record.gapSet);
        for (std::size_t i = 0; i < around.size(); ++i)
            if (image_.get(from + i) != around[i]) {
                fail("encoding a decoded air-flow record changed the image");
                image_.set(from + i, around[i]);
            }
    }

    void expectWritesWithin(const GameImage& before, std::initializer_list<Region> regions, const char* what)
    {
        const auto a = before.bytes();
        const auto b = image_.bytes();
        constexpr std::size_t kChunk = 256;
        for (std::size_t i = 0; i < kImageSize; ++i) {
            if (i % kChunk == 0) {
                const std::size_t n = std::min(kChunk, kImageSize - i);
                if (std::memcmp(a.data() + i, b.data() + i, n) == 0) {
                    i += n - 1;
                    continue;
                }
            }
            if (a[i] == b[i])
                continue;
            if (std::none_of(regions.begin(), regions.end(), [i](const Region& r) { return r.contains(i); })) {
                fail(std::string(what) + " wrote outside its region at offset " + std::to_string(i));
                return;
            }
        }
    }

    Region recordRegion(const LevelRecord& record) const { return {record.offset, record.size()}; }
    static Region enemyRegion(int levelIndex) { return {enemyEntryOffset(levelIndex), kEnemyEntrySize}; }
    Region airflowRegion() const { return {airflow_.offset, airflowRecordLength(airflow_.n)}; }

    void encodeArea(int gapSet, const GameImage& before, const char* what)
    {
        encodeAirflow(image_, airflow_, gapSet);
        expectWritesWithin(before, {airflowRegion()}, what);
        // Reading the record back gives the area that was encoded.
        AirflowRecord back;
        readAirflowRecord(image_, airflow_.offset, back);
        const auto i = std::size_t(std::clamp(selectedArea_, 0, AirflowRecord::kMaxAreas - 1));
        if (int(i) <= airflow_.n && airflow_.offset + airflowRecordLength(airflow_.n) <= kImageSize &&
            (back.width[i] != (airflow_.width[i] & 15) || back.column[i] != (airflow_.column[i] & 15) ||
             back.direction[i] != (airflow_.direction[i] & 3)))
            fail(std::string(what) + ": the area read back differs");
    }

    void step(Reader& in)
    {
        const int op = in.u8() % OpCount;
        const GameImage before = image_;
        switch (op) {
        case OpSelectLevel:
            levelIndex_ = in.u8() % kLevelCount;
            refresh(7);
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
            areaTool_.press(airflow_, selectedArea_, x, y);
            encodeArea(gap, before, "area press");
            refresh(4);
            break;
        }
        case OpAreaResize: {
            const int gap = in.u8();
            const int x = in.s16(), y = in.s16();
            areaTool_.resize(airflow_, selectedArea_, x, y);
            if (areaTool_.width < 1 || areaTool_.height < 1)
                fail("area resized to nothing");
            encodeArea(gap, before, "area resize");
            refresh(4);
            break;
        }
        case OpAreaDirection: {
            selectedArea_ = in.u8() & 15;
            airflow_.direction[std::size_t(selectedArea_)] = in.u8() & 3;
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
            const LoadingScreen oldScreen = loadingScreen_;
            const bool taken = importScreen(scr, loadingScreen_, image_);
            if (taken != (scr.size() == kScreenSize))
                fail("screen import took the wrong size");
            if (!taken && !(loadingScreen_ == oldScreen))
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
            drawLevel(levelIndex_, overlays, selectedArea_);
            if (!(image_ == before))
                fail("drawing changed the image");
            break;
        }
        case OpDrawCell: {
            renderer_.cursorX = in.s16();
            renderer_.cursorY = in.s16();
            renderer_.glyphMode.glyph = in.s8();
            renderer_.glyphMode.background = in.s8();
            const std::uint8_t mode = in.u8();
            renderer_.glyphMode.on = mode & 1;
            if (mode & 2) {
                renderer_.clearCell(target());
            } else {
                renderer_.drawCell(target());
                if (renderer_.glyphMode.on)
                    fail("glyph mode left on after a cell");
            }
            renderer_.glyphMode.on = false;
            break;
        }
        case OpViewSizes: {
            const int w = in.u8() * 3, h = in.u8() * 3, pw = in.u8(), ph = in.u8();
            buf_.levelView.SetSize(w, h, 32);
            buf_.patternView.SetSize(pw, ph, 32);
            refresh(7);
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

    void bubbleOp(Reader& in, const GameImage& before)
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

    static bool validTapeBlocks(std::span<const std::uint8_t> tape)
    {
        std::size_t at = 0;
        int blocks = 0;
        while (at + 2 <= tape.size()) {
            const std::size_t n = tape[at] | std::size_t(tape[at + 1]) << 8;
            at += 2;
            if (n < 2 || at + n > tape.size() || xorOf(tape.subspan(at, n)) != 0)
                return false;
            at += n;
            ++blocks;
        }
        return at == tape.size() && blocks == 6;
    }

    void writeFiles(int which, const GameImage& before)
    {
        switch (which) {
        case 0: {
            const auto file = save48(image_);
            if (!std::ranges::equal(file, image_.bytes()))
                fail("48K save differs from the image");
            if (checkSnapshot(file.size(), file, image_) != OpenCheck::Ok)
                fail("own 48K save refused");
            break;
        }
        case 1: {
            const auto file = export128(image_);
            expectWritesWithin(before, {{off::RomSwap, kRomSwapSize}}, "128K export");
            if (file.size() != kSnapshot128Size ||
                !std::ranges::equal(std::span(file).first(kImageSize), image_.bytes()) ||
                !std::ranges::equal(image_.view(off::RomSwap, kRomSwapSize), kRomSwapRoutine) ||
                file[kImageSize] != 0x00 || file[kImageSize + 1] != 0x5B ||
                std::any_of(file.begin() + std::ptrdiff_t(kImageSize + 2), file.end(), [](auto b) { return b != 0; }))
                fail("128K export malformed");
            if (checkSnapshot(file.size(), file, image_) != OpenCheck::Ok)
                fail("own 128K export refused");
            break;
        }
        default: {
            const auto tape = buildTape(image_, loadingScreen_);
            if (tape.size() != kTapeSize || !validTapeBlocks(tape))
                fail("tape malformed");
            break;
        }
        }
    }

    void openOp(Reader& in)
    {
        const int kind = in.u8() % 4;
        std::vector<std::uint8_t> file;
        std::uint64_t claimed = 0;
        switch (kind) {
        case 0:
            file = save48(image_);
            break;
        case 1:
            file = save128(image_);
            break;
        case 2:
            file = save48(image_);
            file.resize(std::size_t(in.u16()) * 4, 0x00);
            break;
        default:
            file = save48(image_);
            break;
        }
        claimed = kind == 3 ? kSnapshot128Size : file.size();
        const int patches = in.u8() % 8;
        for (int i = 0; i < patches; ++i) {
            const int where = in.u16();
            const std::uint8_t value = in.u8();
            // Half of the patches land on the signature.
            const std::size_t at = (where & 1) ? off::Signature + std::size_t(where >> 1) % kSignatureSize
                                               : std::size_t(where) * 3 % kSnapshot128Size;
            if (at < file.size())
                file[at] = value;
        }
        const OpenCheck check = checkSnapshot(claimed, file, image_);
        const bool sizeOk = acceptedSnapshotSize(claimed) && claimed == file.size();
        if ((check == OpenCheck::WrongSize) == sizeOk)
            fail("snapshot size check");
        if (check == OpenCheck::Ok) {
            if (!openSnapshot(image_, file) || !std::ranges::equal(image_.bytes(), std::span(file).first(kImageSize)))
                fail("accepted snapshot not taken byte for byte");
            levelIndex_ = 0;
            refresh(7);
        } else {
            GameImage scratch = image_;
            if (openSnapshot(scratch, file) != acceptedSnapshotSize(file.size()))
                fail("open took a file of the wrong size");
        }
    }
};

} // namespace detail

// Runs one input; returns an empty string, or the first property broken.
inline std::string runImageScript(std::span<const std::uint8_t> input, Survey survey = Survey::Draw)
{
    auto session = std::make_unique<detail::Session>(input);
    const auto script = input.size() > kImageSize ? input.subspan(kImageSize) : std::span<const std::uint8_t>{};
    return session->run(script, survey);
}

} // namespace zq::fuzz
