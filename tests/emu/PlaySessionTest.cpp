// Play-testing on the machine: states taken and put back, checkpoints as
// .szx files, and the sample's viewer showing edited data started from a
// checkpoint or written into it live.

#include "emu/PlaySession.h"
#include "files/SnapshotFormats.h"

#include "ViewerSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace zq::emu {
namespace {

// What a program can see of a machine after a frame: its RAM and registers.
struct Seen {
    std::vector<std::uint8_t> ram;
    Registers cpu;
    bool operator==(const Seen&) const = default;
};

Seen seen(const Machine48& m)
{
    Seen s{std::vector<std::uint8_t>(0xC000), m.registers()};
    for (std::size_t i = 0; i < s.ram.size(); ++i)
        s.ram[i] = m.peek(std::uint16_t(0x4000 + i));
    return s;
}

// Frames with N held now and then, so that the viewer draws as it runs.
std::vector<Seen> runOn(Machine48& m, int frames)
{
    std::vector<Seen> out;
    for (int f = 0; f < frames; ++f) {
        m.setKey(Key::N, f % 40 < 3);
        m.runFrame();
        out.push_back(seen(m));
    }
    return out;
}

// A row of the level's blocks turned over.
GameImage withEditedLevel(const GameImage& image, int levelIndex, int row = 7)
{
    GameImage edited = image;
    const LevelRecord record = findLevelRecord(edited, levelIndex);
    const CellCodeTables codes;
    for (int c = 0; c < CellCodeTables::columns(record.mirrored); ++c)
        toggleCell(edited, record.offset, codes.code(record.mirrored, row, c));
    return edited;
}

class PlaySessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveOpenSe())
            GTEST_SKIP() << kOpenSeRomPath << " missing (package opense-basic)";
        sample_ = zq::test::defaultImage();
        ASSERT_TRUE(viewer_.start(sample_));
    }

    // Past the title, on level 37 of the sample (G 3 7).
    void goToLevel37()
    {
        ASSERT_TRUE(viewer_.nextPicture(kTitleFrames + 50));
        viewer_.type({Key::G, Key::N3, Key::N7});
        ASSERT_TRUE(viewer_.nextPicture());
        ASSERT_EQ(viewer_.machine().peek(kViewLevel), 36);
    }

    GameImage sample_;
    Viewer viewer_;
};

TEST_F(PlaySessionTest, AStatePutBackRunsOnAsItDidAndSurvivesASzxFile)
{
    Machine48& m = viewer_.machine();
    runOn(m, 180);
    auto state = std::make_unique<RunState>();
    m.takeState(*state);
    const std::vector<Seen> first = runOn(m, 120);

    m.restoreState(*state);
    EXPECT_EQ(runOn(m, 120), first);

    // Through a .szx file: the same machine, but for how far it had run.
    auto read = std::make_unique<RunState>();
    const std::vector<std::uint8_t> szx = encodeRunState(*state);
    ASSERT_FALSE(szx.empty());
    ASSERT_EQ(decodeRunState(szx, FileKind::Szx, *read), "");
    EXPECT_EQ(read->machine, state->machine);
    EXPECT_EQ(read->halted, state->halted);
    EXPECT_EQ(read->speaker, state->speaker);
    EXPECT_EQ(read->frameTState, state->frameTState);
    read->frameCount = state->frameCount;
    read->tstates = state->tstates;
    read->interruptTaken = state->interruptTaken;
    m.restoreState(*read);
    EXPECT_EQ(runOn(m, 120), first);
}

TEST_F(PlaySessionTest, ACheckpointStartShowsTheDocumentsDataAtThatMoment)
{
    goToLevel37();
    PlaySession session(viewer_.machine());
    session.takeCheckpoint();
    viewer_.run(100);

    const GameImage edited = withEditedLevel(sample_, 36);
    ASSERT_TRUE(session.startFromCheckpoint(0, edited));
    viewer_.sync();
    ASSERT_TRUE(viewer_.nextPicture(10));
    expectLevelShown(viewer_, edited, 36);
    EXPECT_EQ(session.startedFrom(), &session.checkpoint(0));

    // Restarting after an edit goes back to the same moment.
    const GameImage again = withEditedLevel(edited, 36, 12);
    session.restart(again);
    viewer_.sync();
    ASSERT_TRUE(viewer_.nextPicture(10));
    expectLevelShown(viewer_, again, 36);
}

TEST_F(PlaySessionTest, LiveEditsAppearWithoutARestartAndUndoTakesThemBack)
{
    PlaySession session(viewer_.machine());
    session.startFromImage(sample_);
    viewer_.sync();
    goToLevel37();
    session.setEditMode(EditMode::Live);

    // A level edited, and a byte outside the game data (the viewer's own
    // level number) that must stay the game's.
    GameImage edited = withEditedLevel(sample_, 36);
    edited.set(imageOffset(kViewLevel), 4);
    const std::uint64_t frame = viewer_.machine().frameCount();
    EXPECT_EQ(session.documentChanged(edited), PlaySession::EditResponse::Patched);
    ASSERT_TRUE(viewer_.nextPicture(10)); // begun at once, whole in 0.2 s
    EXPECT_GT(viewer_.machine().frameCount(), frame);
    expectLevelShown(viewer_, edited, 36);

    session.documentChanged(sample_);
    ASSERT_TRUE(viewer_.nextPicture(10));
    expectLevelShown(viewer_, sample_, 36);
}

TEST_F(PlaySessionTest, RewindGoesBackASecondAPressAndDropsWhatCameAfter)
{
    PlaySession session(viewer_.machine());
    session.startFromImage(sample_);
    for (int f = 0; f < 300; ++f)
        session.runFrame();
    ASSERT_EQ(viewer_.machine().frameCount(), 300u);
    ASSERT_TRUE(session.rewind());
    EXPECT_EQ(viewer_.machine().frameCount(), 250u);
    ASSERT_TRUE(session.rewind());
    EXPECT_EQ(viewer_.machine().frameCount(), 200u);
    for (int f = 0; f < 30; ++f)
        session.runFrame();
    ASSERT_TRUE(session.rewind());
    EXPECT_EQ(viewer_.machine().frameCount(), 175u);
}

} // namespace
} // namespace zq::emu
