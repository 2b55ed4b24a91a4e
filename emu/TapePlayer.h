#pragma once
// A tape in the EAR socket: the edges of a .tap or .tzx file as libspectrum
// makes them (pilot, sync, data and pause pulses at standard or any custom
// timing), played from a given T-state on. Any loader that reads the EAR bit
// loads from it. A ROM trap (emu/RomLoaderTrap.h) may skip a standard block
// whose data it has served.
//
// As each edge comes due the level toggles, unless libspectrum marks it as
// no edge, or sets it low or high. The tape stops at a stop block (also a
// "stop if 48K" block: this is a 48K machine), at its end, on a libspectrum
// error, or after a million edges in a row that take no time (a fault in the
// file that would otherwise never let time move on).

#include "emu/EarSource.h"
#include "files/FileKind.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct libspectrum_tape;

namespace zq::emu {

class TapePlayer final : public EarSource {
public:
    TapePlayer();
    ~TapePlayer() override;
    TapePlayer(const TapePlayer&) = delete;
    TapePlayer& operator=(const TapePlayer&) = delete;

    // Reads the tape file; `kind` Tap or Tzx names its format, anything else
    // lets libspectrum tell from the contents. False (and message() says why)
    // when libspectrum cannot read it or it holds no blocks. The player is
    // stopped after this.
    bool open(std::span<const std::uint8_t> file, FileKind kind);
    const std::string& message() const { return message_; }

    // Starts the tape from its first block at absolute T-state `tstate`.
    void play(std::uint64_t tstate);
    bool playing() const { return playing_; }

    // The tape's running time in T-states (every block with its pause).
    std::uint64_t length() const { return length_; }

    bool earLevel(std::uint64_t tstate) override;

    // A standard-speed block (a .tap block, a TZX standard speed block) that
    // the tape plays the pilot of at `tstate`, or plays next after the pause
    // it stands in.
    struct RomBlock {
        std::span<const std::uint8_t> bytes; // flag, data and checksum
        std::uint32_t pilotEdgesPlayed;
        bool levelBefore; // EAR before the block's first edge
    };
    // That block, or none while the tape plays anything else (or is stopped).
    std::optional<RomBlock> romBlockAhead(std::uint64_t tstate);
    // Plays the rest of the block romBlockAhead() gave at once, as if its
    // last data edge came at `tstate`: the level is what the edges leave, and
    // the block's pause begins there.
    void skipBlock(std::uint64_t tstate);
    // The T-states of the tape played by `tstate` since play(), a skipped
    // block counted whole.
    std::uint64_t played(std::uint64_t tstate) const;

private:
    struct TapeFree {
        void operator()(libspectrum_tape* t) const;
    };
    void nextEdge();

    std::unique_ptr<libspectrum_tape, TapeFree> tape_;
    std::string message_;
    std::uint64_t length_ = 0;
    std::uint64_t due_ = 0; // T-state of the next edge
    std::uint32_t instantEdges_ = 0;
    std::uint32_t edgesInBlock_ = 0; // of the current block, played so far
    std::uint64_t blockStart_ = 0;   // T-state of its first edge
    std::uint64_t start_ = 0;        // T-state play() started the tape at
    std::uint64_t skipped_ = 0;      // T-states of blocks skipped by skipBlock()
    bool level_ = false;
    bool playing_ = false;
};

} // namespace zq::emu
