#pragma once
// A tape in the EAR socket: the edges of a .tap or .tzx file as libspectrum
// makes them (pilot, sync, data and pause pulses at standard or any custom
// timing), played from a given T-state on. Any loader that reads the EAR bit
// loads from it; nothing is trapped.
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
    bool level_ = false;
    bool playing_ = false;
};

} // namespace zq::emu
