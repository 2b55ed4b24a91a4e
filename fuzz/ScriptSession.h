#pragma once
// The state a fuzz input runs in: the image, the current level and the
// editor's tools, the redraws the editor does, and the checks of the
// properties the core library promises. The operations of the script are in
// fuzz/ScriptEdits.h and fuzz/ScriptFiles.h; fuzz/ImageScript.h runs an input.

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
#include "render/Renderer.h"
#include "tools/Airflow.h"
#include "tools/CanvasTools.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>

namespace zq::fuzz {

// How much of every level each input goes through before its script.
enum class Survey {
    Draw,   // the whole drawing pass of the refresh cycle, views included
    Decode, // the decoding and the overlays placed by image data only
    None,   // nothing: only the script's levels are read, and its redraws
            // cover only what the image data places (OpRender and
            // OpViewSizes still draw everything); for long runs
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

    // The survey, then the script; defined in fuzz/ScriptEdits.h.
    std::string run(std::span<const std::uint8_t> script, Survey survey);

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
