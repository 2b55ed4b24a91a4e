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
    due_ = tstate;
    instantEdges_ = 0;
    playing_ = true;
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

    instantEdges_ = delay == 0 ? instantEdges_ + 1 : 0;
    if ((flags & (LIBSPECTRUM_TAPE_FLAGS_STOP | LIBSPECTRUM_TAPE_FLAGS_STOP48 | LIBSPECTRUM_TAPE_FLAGS_TAPE)) ||
        instantEdges_ > kMaxInstantEdges) {
        playing_ = false;
        return;
    }
    due_ += delay;
}

} // namespace zq::emu
