#pragma once
// A play-test of the edited game on the embedded Spectrum: where the game
// starts from, what an edit of the document does to it, the checkpoints the
// player keeps and the rewind through the last half minute. The window that
// shows it owns the clock; this decides everything else, and runs without one.
//
// A start from the image is the snapshot as the document holds it. A start
// from a checkpoint is the machine as it was then, with the document's game
// data (image/GameData.h) written over those regions of its RAM: the moment
// of the game the checkpoint caught, with the level as it is drawn now.
//
// After an edit, the game either restarts (from the checkpoint it was last
// started from, when it was started from one, else from the image) or takes
// the edit live: the game data bytes that changed are written into the
// running machine's RAM, nothing else is touched.

#include "emu/Machine48.h"
#include "files/MachineImage.h"
#include "image/GameImage.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace zq::emu {

struct Checkpoint {
    std::string name;
    RunState state;
};

enum class EditMode { Off, Restart, Live };

class PlaySession {
public:
    static constexpr std::size_t kMaxCheckpoints = 9;
    static constexpr int kFramesPerSecond = 50;
    // The rewind keeps a state this often, for this long; a press goes back
    // one second.
    static constexpr int kRewindInterval = 25;                  // frames
    static constexpr std::size_t kRewindStates = 60;            // 30 s
    static constexpr int kRewindStep = kFramesPerSecond;        // frames

    explicit PlaySession(Machine48& machine);

    // The machine resumes `image` (a 48K .sna).
    void startFromImage(const GameImage& image);
    // The checkpoint `index` of checkpoints() with the game data of `image`
    // written over it. False, nothing changed, for an index not kept.
    bool startFromCheckpoint(std::size_t index, const GameImage& image);
    // A start as an edit in Restart mode asks for: from the checkpoint last
    // started from, else from the image.
    void restart(const GameImage& image);

    void setEditMode(EditMode mode) { mode_ = mode; }
    EditMode editMode() const { return mode_; }
    enum class EditResponse { None, RestartDue, Patched };
    // The document changed to `image`. Live: its game data bytes that differ
    // from what the machine last got go into RAM at once (Patched; None when
    // there were none). Restart: the caller restarts (RestartDue), when and
    // as often as it sees fit. Cheap enough to ask every frame.
    EditResponse documentChanged(const GameImage& image);

    // One frame, keeping a rewind state every kRewindInterval frames.
    void runFrame();

    // The machine as it is now, as a checkpoint named after its number and
    // the time it was taken in the game ("Checkpoint 3 · 01:24"). The
    // newest first; beyond kMaxCheckpoints the oldest is dropped.
    const Checkpoint& takeCheckpoint();
    // A checkpoint from elsewhere (a file): joins the list as the newest.
    const Checkpoint& addCheckpoint(std::string name, const RunState& state);
    std::size_t checkpointCount() const { return checkpoints_.size(); }
    const Checkpoint& checkpoint(std::size_t index) const { return *checkpoints_[index]; }
    // The checkpoint the game was last started from; null after a start
    // from the image.
    const Checkpoint* startedFrom() const { return origin_.get(); }

    // Back one second of play: the newest kept state at least kRewindStep
    // frames before now (or the oldest kept). The states after it are
    // dropped. False when there is nothing to go back to.
    bool rewind();

    // "mm:ss" of a frame count.
    static std::string gameTime(std::uint64_t frames);

private:
    void clearRewind();
    void writeGameData(const GameImage& image);

    Machine48& machine_;
    EditMode mode_ = EditMode::Off;
    // The game data the machine's RAM last got from the document.
    GameImage written_;
    std::deque<std::shared_ptr<const Checkpoint>> checkpoints_;
    std::shared_ptr<const Checkpoint> origin_;
    int taken_ = 0;

    // A ring of states, allocated once: taking one is a copy.
    std::unique_ptr<std::array<RunState, kRewindStates>> rewind_;
    std::size_t rewindNewest_ = 0; // index of the newest state
    std::size_t rewindCount_ = 0;
    std::uint64_t lastRewindFrame_ = 0;
};

} // namespace zq::emu
