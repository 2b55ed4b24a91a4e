#pragma once
// The state a fuzz input runs in: the image, the current level and the
// editor's tools, the redraws the editor does, and the checks of the
// properties the core library promises. The operations of the script are in
// fuzz/ScriptEdits.h and fuzz/ScriptFiles.h; fuzz/ImageScript.h runs an input.

#include "fuzz/ImageInput.h"
#include "fuzz/ScriptInput.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Clipboard.h"
#include "files/Screen.h"
#include "gfx/FastDIB.h"
#include "image/GameImage.h"
#include "image/LayoutGrid.h"
#include "image/LevelData.h"
#include "render/LevelScene.h"
#include "render/Renderer.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace zq::fuzz {

// How much drawing an input gets: the survey of every level before its
// script, and the redraw after each edit. The data part of a level's redraw
// is what depends on the image data beyond colours and pattern bits: the
// wall map, the air-flow decode and flow map, the overlays the image data
// places and the area highlight.
enum class Survey {
    Draw,   // every level drawn whole first (border, compose with every
            // overlay, pattern picture, both views); after each edit the
            // editor's whole redraw
    Decode, // the data part of every level first, and after each edit
    None,   // no survey; the data part after each edit
    Once,   // no survey; an edit decodes only the state the next edit reads,
            // and the data part of a level is drawn once, when the script
            // leaves a level it edited and at its end (an explicit render
            // counts as an edit, view sizes draw nothing); an input writes
            // one file and opens one snapshot; for long runs
};

namespace detail {

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

class Session {
public:
    // The image of an input in either form (fuzz/ImageInput.h).
    explicit Session(std::span<const std::uint8_t> input) : buf_(buffers())
    {
        script_ = readImageInput(input, image_);
        buf_.levelPicture.SetSize(kLevelPictureWidth, kLevelPictureHeight, 32);
        buf_.patternPicture.SetSize(8, 8, 32);
        buf_.levelView.SetSize(512, 384, 32);
        buf_.patternView.SetSize(129, 129, 32);
    }

    // The survey, then the input's script; defined in fuzz/ScriptEdits.h.
    std::string run(Survey survey);

private:
    Buffers& buf_;
    Survey survey_ = Survey::Draw;
    std::span<const std::uint8_t> script_;
    GameImage image_;
    const CellCodeTables codes_;
    LevelScene scene_; // the renderer, the air-flow record and flow map
    CurrentLevel level_;
    EnemySlotView enemies_{};
    int itemPlacement_ = 0;
    int levelIndex_ = 0;
    int blockDrag_ = DragNone;
    int patternDrag_ = DragNone;
    int selectedArea_ = 0;
    int selectedEnemy_ = 0;
    AreaTool areaTool_;
    // The image's screen as the tape writer and the screen import first
    // need it (only those two and an opened snapshot write that region).
    std::optional<LoadingScreen> loadingScreen_;
    LevelClipboard levelClipboard_;
    EnemyClipboard enemyClipboard_;
    // In the quick pass: the current level's data part is still to draw,
    // once the script ends (Shown) or already when it leaves the level
    // (Edited: an edit or a render since it was last drawn).
    enum class Pending { None, Shown, Edited };
    Pending pending_ = Pending::None;
    int pendingArea_ = -1; // the area that drawing highlights (< 0: the last)
    enum class FileOp { Write, Open };
    unsigned fileOps_ = 0; // the file operations run, by bit (see firstFileOp)
    std::string error_;

    LoadingScreen& loadingScreen()
    {
        if (!loadingScreen_)
            loadingScreen_ = LoadingScreen::fromImage(image_);
        return *loadingScreen_;
    }

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
        const Overlays shown{(overlays & 1) != 0, (overlays & 2) != 0, (overlays & 4) != 0};
        scene_.draw(t, shown, area < 0 ? AirflowRecord::kMaxAreas : area);
        checkFlowMap();
        // The editor never asks for an area outside the record: that draws
        // nothing.
        if (shown.airflow && !scene_.airflow.shared && area > scene_.airflow.n)
            drawAreaHighlight(scene_.renderer, t, scene_.airflow, area);
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
        readAirflowRecord(image_, airflowRecordOffset(levelIndex), scene_.airflow);
        scene_.airflow.shared = isSharedAirflowLevel(levelIndex + 1);
    }

    // The data part of a level's refresh, without the fixed-size picture
    // passes: state, wall map, air-flow decode, the overlays whose positions
    // come from the image, the highlight of `area` (< 0: the record's last).
    void decodeLevelData(int levelIndex, int area = -1)
    {
        decodeState(levelIndex);
        scene_.renderer.wallMap.rebuild(image_, level_.record);
        decodeAirflow(image_, levelIndex, scene_.renderer.wallMap, scene_.airflow, scene_.flow);
        checkFlowMap();
        drawEnemyOverlay(buf_.levelPicture, enemies_, level_.ink);
        drawItemOverlay(buf_.levelPicture, itemByte(image_, levelIndex), itemPlacement_);
        if (!scene_.airflow.shared)
            drawAreaHighlight(scene_.renderer, target(), scene_.airflow, area < 0 ? scene_.airflow.n : area);
        pending_ = Pending::None;
    }

    // The redraw after an edit.
    void refresh(int overlays)
    {
        switch (survey_) {
        case Survey::Draw:
            drawLevel(levelIndex_, overlays, selectedArea_);
            break;
        case Survey::Once:
            decodeState(levelIndex_);
            pending_ = Pending::Edited;
            break;
        default:
            decodeLevelData(levelIndex_);
            break;
        }
    }

    // The level the script selects, with the refresh of a level shown; in
    // the quick pass only its state, the data part drawn later.
    void showLevel(int levelIndex)
    {
        leaveLevel();
        levelIndex_ = levelIndex;
        if (survey_ != Survey::Once) {
            refresh(7);
            return;
        }
        decodeState(levelIndex_);
        pending_ = Pending::Shown;
    }

    // Before the script leaves the current level: the data part of a level
    // edited since it was last drawn.
    void leaveLevel()
    {
        if (pending_ == Pending::Edited)
            settle();
        pending_ = Pending::None;
    }

    // The data part still to draw, which must leave the image as it was.
    void settle()
    {
        if (pending_ == Pending::None)
            return;
        const GameImage before = image_;
        decodeLevelData(levelIndex_, pendingArea_);
        pendingArea_ = -1;
        if (!(image_ == before))
            fail("drawing changed the image");
    }

    // The file writers and the snapshot open each make a file of 49 to
    // 131 KB: in the quick pass an input writes one file and opens one
    // snapshot, and a later one only reads its arguments.
    bool firstFileOp(FileOp op)
    {
        const unsigned bit = 1u << unsigned(op);
        const bool first = survey_ != Survey::Once || !(fileOps_ & bit);
        fileOps_ |= bit;
        return first;
    }

    // The mouse-editing redraw: side walls, grid, views.
    void refreshBlocks()
    {
        if (survey_ == Survey::Once) {
            pending_ = Pending::Edited;
            return;
        }
        if (survey_ != Survey::Draw) {
            scene_.renderer.wallMap.rebuild(image_, level_.record);
            return;
        }
        const RenderTarget t = target();
        scene_.renderer.drawBorder(t);
        scene_.renderer.drawGrid(t);
        LevelRenderer::drawPatternPicture(image_, level_, buf_.patternPicture);
        LevelRenderer::showLevel(buf_.levelPicture, buf_.levelView);
        LevelRenderer::showPattern(buf_.patternPicture, buf_.patternView, true);
    }

    void checkFlowMap()
    {
        for (std::uint8_t c : scene_.flow.cells)
            if (c & 0x1F) {
                fail("flow map cell with low bits set");
                return;
            }
        if (scene_.airflow.n < 0 || scene_.airflow.n > 15 || scene_.airflow.gapSet < 0 || scene_.airflow.gapSet > 15)
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

    // Every byte that differs from `before` lies in one of the regions. The
    // stretches between the regions are compared whole: each comparison is
    // one call that the fuzzer's compare tracing sees, not one per chunk.
    void expectWritesWithin(const GameImage& before, std::initializer_list<Region> regions, const char* what)
    {
        const auto a = before.bytes();
        const auto b = image_.bytes();
        if (std::memcmp(a.data(), b.data(), kImageSize) == 0)
            return;
        // The regions as spans of the image: a wrapped start covers the
        // image from offset 0 when its end wraps too.
        std::array<std::pair<std::size_t, std::size_t>, 4> spans{};
        std::size_t count = 0;
        for (const Region& r : regions) {
            if (count == spans.size())
                break;
            const std::size_t end = r.start + r.length;
            if (r.start < kImageSize)
                spans[count++] = {r.start, std::min(end, kImageSize)};
            else if (end < r.start)
                spans[count++] = {0, std::min(end, kImageSize)};
        }
        for (std::size_t k = 1; k < count; ++k) // in order of their starts
            for (std::size_t j = k; j > 0 && spans[j].first < spans[j - 1].first; --j)
                std::swap(spans[j], spans[j - 1]);
        std::size_t from = 0;
        for (std::size_t k = 0; k <= count; ++k) {
            const std::size_t to = k < count ? spans[k].first : kImageSize;
            if (from < to && std::memcmp(a.data() + from, b.data() + from, to - from) != 0) {
                while (a[from] == b[from])
                    ++from;
                fail(std::string(what) + " wrote outside its region at offset " + std::to_string(from));
                return;
            }
            if (k < count)
                from = std::max(from, spans[k].second);
        }
    }

    Region recordRegion(const LevelRecord& record) const { return {record.offset, record.size()}; }
    static Region enemyRegion(int levelIndex) { return {enemyEntryOffset(levelIndex), kEnemyEntrySize}; }
    Region airflowRegion() const { return {scene_.airflow.offset, airflowRecordLength(scene_.airflow.n)}; }

    void encodeArea(int gapSet, const GameImage& before, const char* what)
    {
        encodeAirflow(image_, scene_.airflow, gapSet);
        expectWritesWithin(before, {airflowRegion()}, what);
        // Reading the record back gives the area that was encoded.
        AirflowRecord back;
        readAirflowRecord(image_, scene_.airflow.offset, back);
        const auto i = std::size_t(std::clamp(selectedArea_, 0, AirflowRecord::kMaxAreas - 1));
        if (int(i) <= scene_.airflow.n && scene_.airflow.offset + airflowRecordLength(scene_.airflow.n) <= kImageSize &&
            (back.width[i] != (scene_.airflow.width[i] & 15) || back.column[i] != (scene_.airflow.column[i] & 15) ||
             back.direction[i] != (scene_.airflow.direction[i] & 3)))
            fail(std::string(what) + ": the area read back differs");
    }

    // The operations of the script (fuzz/ScriptEdits.h) and those on files
    // (fuzz/ScriptFiles.h).
    void step(Reader& in);
    void bubbleOp(Reader& in, const GameImage& before);
    static bool validTapeBlocks(std::span<const std::uint8_t> tape);
    void writeFiles(int which, const GameImage& before);
    void openOp(Reader& in);
};

} // namespace detail

} // namespace zq::fuzz
