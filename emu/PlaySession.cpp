#include "emu/PlaySession.h"

#include "image/GameData.h"

#include <algorithm>
#include <cstdio>

namespace zq::emu {

namespace {

constexpr const char* kMiddleDot = "\xC2\xB7";

} // namespace

PlaySession::PlaySession(Machine48& machine)
    : machine_(machine)
    , rewind_(std::make_unique<std::array<RunState, kRewindStates>>())
{
}

void PlaySession::startFromImage(const GameImage& image)
{
    machine_.loadSnapshot(image.bytes());
    written_ = image;
    origin_.reset();
    clearRewind();
}

bool PlaySession::startFromCheckpoint(std::size_t index, const GameImage& image)
{
    if (index >= checkpoints_.size())
        return false;
    origin_ = checkpoints_[index];
    machine_.restoreState(origin_->state);
    writeGameData(image);
    clearRewind();
    return true;
}

void PlaySession::restart(const GameImage& image)
{
    if (!origin_) {
        startFromImage(image);
        return;
    }
    machine_.restoreState(origin_->state);
    writeGameData(image);
    clearRewind();
}

void PlaySession::writeGameData(const GameImage& image)
{
    for (const GameDataRegion& region : gameDataRegions(image))
        machine_.writeRam(region.address(), image.view(region.offset, region.length));
    written_ = image;
}

PlaySession::EditResponse PlaySession::documentChanged(const GameImage& image)
{
    if (mode_ == EditMode::Restart)
        return EditResponse::RestartDue;
    if (mode_ != EditMode::Live)
        return EditResponse::None;
    // Only the air-flow region's end can differ between the two images.
    const GameDataRegions before = gameDataRegions(written_);
    const GameDataRegions after = gameDataRegions(image);
    bool wrote = false;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::size_t end = std::max(before[i].end(), after[i].end());
        for (std::size_t at = after[i].offset; at < end; ++at)
            if (image.get(at) != written_.get(at)) {
                machine_.poke(spectrumAddress(at), image.get(at));
                wrote = true;
            }
    }
    if (!wrote)
        return EditResponse::None;
    written_ = image;
    return EditResponse::Patched;
}

void PlaySession::runFrame()
{
    machine_.runFrame();
    if (machine_.frameCount() >= lastRewindFrame_ + kRewindInterval) {
        rewindNewest_ = (rewindNewest_ + 1) % kRewindStates;
        machine_.takeState((*rewind_)[rewindNewest_]);
        rewindCount_ = std::min(rewindCount_ + 1, kRewindStates);
        lastRewindFrame_ = machine_.frameCount();
    }
}

void PlaySession::clearRewind()
{
    rewindNewest_ = 0;
    machine_.takeState((*rewind_)[0]);
    rewindCount_ = 1;
    lastRewindFrame_ = machine_.frameCount();
}

bool PlaySession::rewind()
{
    if (rewindCount_ == 0)
        return false;
    const std::uint64_t now = machine_.frameCount();
    // From the newest back: the first one a second old, else the oldest.
    std::size_t back = 0;
    while (back + 1 < rewindCount_ &&
           (*rewind_)[(rewindNewest_ + kRewindStates - back) % kRewindStates].frameCount + kRewindStep > now)
        ++back;
    const std::size_t index = (rewindNewest_ + kRewindStates - back) % kRewindStates;
    const RunState& state = (*rewind_)[index];
    if (state.frameCount >= now)
        return false;
    machine_.restoreState(state);
    rewindNewest_ = index;
    rewindCount_ -= back;
    lastRewindFrame_ = state.frameCount;
    // The edits made since stay in the game.
    if (mode_ == EditMode::Live)
        writeGameData(written_);
    return true;
}

const Checkpoint& PlaySession::takeCheckpoint()
{
    RunState state;
    machine_.takeState(state);
    ++taken_;
    return addCheckpoint("Checkpoint " + std::to_string(taken_) + " " + kMiddleDot + " " + gameTime(state.frameCount),
                         state);
}

const Checkpoint& PlaySession::addCheckpoint(std::string name, const RunState& state)
{
    auto checkpoint = std::make_shared<Checkpoint>();
    checkpoint->name = std::move(name);
    checkpoint->state = state;
    checkpoints_.push_front(std::move(checkpoint));
    if (checkpoints_.size() > kMaxCheckpoints)
        checkpoints_.pop_back();
    return *checkpoints_.front();
}

std::string PlaySession::gameTime(std::uint64_t frames)
{
    const std::uint64_t seconds = frames / kFramesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

} // namespace zq::emu
