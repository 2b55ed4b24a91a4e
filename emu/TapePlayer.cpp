#include "emu/TapePlayer.h"

#include "files/Lsp.h"

namespace zq::emu {

namespace {

constexpr std::uint32_t kMaxInstantEdges = 1u << 20;

libspectrum_id_t tapeId(FileKind kind)
{
    switch (kind) {
    case FileKind::Tap: return LIBSPECTRUM_ID_TAPE_TAP;
    case FileKind::Tzx: return LIBSPECTRUM_ID_TAPE_TZX;
    default: return LIBSPECTRUM_ID_UNKNOWN;
    }
}

} // namespace

void TapePlayer::TapeFree::operator()(libspectrum_tape* t) const { libspectrum_tape_free(t); }

TapePlayer::TapePlayer() = default;
TapePlayer::~TapePlayer() = default;

bool TapePlayer::open(std::span<const std::uint8_t> file, FileKind kind)
{
    lsp::ensureInit();
    lsp::takeMessage();
    playing_ = false;
    length_ = 0;
    tape_.reset(libspectrum_tape_alloc());
    if (file.empty() || isCompressed(file) ||
        libspectrum_tape_read(tape_.get(), file.data(), file.size(), tapeId(kind), nullptr) != LIBSPECTRUM_ERROR_NONE ||
        !libspectrum_tape_present(tape_.get())) {
        const std::string detail = lsp::takeMessage();
        message_ = "not a tape libspectrum can read" + (detail.empty() ? std::string() : " (" + detail + ")");
        tape_.reset();
        return false;
    }
    libspectrum_tape_iterator it = nullptr;
    for (libspectrum_tape_block* b = libspectrum_tape_iterator_init(&it, tape_.get()); b;
         b = libspectrum_tape_iterator_next(&it))
        length_ += libspectrum_tape_block_length(b);
    message_.clear();
    return true;
}

void TapePlayer::play(std::uint64_t tstate)
{
    if (!tape_)
        return;
    libspectrum_tape_nth_block(tape_.get(), 0);
    due_ = start_ = tstate;
    level_ = false; // whatever an earlier tape left
    instantEdges_ = edgesInBlock_ = 0;
    skipped_ = 0;
    playing_ = true;
}

std::optional<TapePlayer::RomBlock> TapePlayer::romBlockAhead(std::uint64_t tstate)
{
    earLevel(tstate);
    if (!playing_)
        return std::nullopt;
    libspectrum_tape_block* block = libspectrum_tape_current_block(tape_.get());
    if (!block || libspectrum_tape_block_type(block) != LIBSPECTRUM_TAPE_BLOCK_ROM ||
        libspectrum_tape_state(tape_.get()) != LIBSPECTRUM_TAPE_STATE_PILOT ||
        libspectrum_tape_block_data_length(block) == 0)
        return std::nullopt;
    return RomBlock{{libspectrum_tape_block_data(block), libspectrum_tape_block_data_length(block)},
                    edgesInBlock_, level_ != ((edgesInBlock_ & 1) != 0)};
}

void TapePlayer::skipBlock(std::uint64_t tstate)
{
    libspectrum_tape_block* block = libspectrum_tape_current_block(tape_.get());
    const std::uint64_t length = libspectrum_tape_block_length(block);
    const std::uint64_t pause = libspectrum_tape_block_pause_tstates(block);
    const std::uint64_t signal = length > pause ? length - pause : 0;
    const std::uint64_t elapsed = edgesInBlock_ != 0 && tstate > blockStart_ ? tstate - blockStart_ : 0;
    skipped_ += signal > elapsed ? signal - elapsed : 0;
    // A standard block has an odd number of edges before its pause (an odd
    // pilot count, two sync pulses, two per bit), whatever its data.
    const bool levelBefore = level_ != ((edgesInBlock_ & 1) != 0);
    level_ = !levelBefore;
    libspectrum_tape_set_state(tape_.get(), LIBSPECTRUM_TAPE_STATE_PAUSE);
    due_ = tstate;
    nextEdge(); // the pause's edge, as the block's own code gives it
}

std::uint64_t TapePlayer::played(std::uint64_t tstate) const
{
    return (tstate > start_ ? tstate - start_ : 0) + skipped_;
}

bool TapePlayer::earLevel(std::uint64_t tstate)
{
    while (playing_ && tstate >= due_)
        nextEdge();
    return level_;
}

// The edge now due, and the time of the one after it.
void TapePlayer::nextEdge()
{
    libspectrum_dword delay = 0;
    int flags = 0;
    if (libspectrum_tape_get_next_edge(&delay, &flags, tape_.get()) != LIBSPECTRUM_ERROR_NONE) {
        lsp::takeMessage();
        playing_ = false;
        return;
    }
    if (!(flags & LIBSPECTRUM_TAPE_FLAGS_NO_EDGE)) {
        if (flags & LIBSPECTRUM_TAPE_FLAGS_LEVEL_LOW)
            level_ = false;
        else if (flags & LIBSPECTRUM_TAPE_FLAGS_LEVEL_HIGH)
            level_ = true;
        else
            level_ = !level_;
    }

    if (edgesInBlock_++ == 0)
        blockStart_ = due_;
    if (flags & LIBSPECTRUM_TAPE_FLAGS_BLOCK)
        edgesInBlock_ = 0; // the next edge is the next block's

    instantEdges_ = delay == 0 ? instantEdges_ + 1 : 0;
    if ((flags & (LIBSPECTRUM_TAPE_FLAGS_STOP | LIBSPECTRUM_TAPE_FLAGS_STOP48 | LIBSPECTRUM_TAPE_FLAGS_TAPE)) ||
        instantEdges_ > kMaxInstantEdges) {
        playing_ = false;
        return;
    }
    due_ += delay;
}

} // namespace zq::emu
