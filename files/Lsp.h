#pragma once
// Shared use of libspectrum (snapshot and tape formats): the one-time set-up,
// its messages, and owners for what it allocates. Only the .cpp files that
// call libspectrum include this.
//
// libspectrum reports errors through a global callback, which by default
// prints them. Here they are kept instead, per thread, for the caller to put
// into its own message.

#include <libspectrum.h>

#include <memory>
#include <string>

namespace zq::lsp {

// libspectrum_init() and the quiet error callback, once per process; safe to
// call from any thread, any number of times.
void ensureInit();

// The last message libspectrum reported on this thread since the last call,
// or "" (cleared by the call).
std::string takeMessage();

struct SnapFree {
    void operator()(libspectrum_snap* s) const { libspectrum_snap_free(s); }
};
struct TapeFree {
    void operator()(libspectrum_tape* t) const { libspectrum_tape_free(t); }
};
struct BufferFree {
    void operator()(libspectrum_byte* b) const { libspectrum_free(b); }
};
using Snap = std::unique_ptr<libspectrum_snap, SnapFree>;
using Tape = std::unique_ptr<libspectrum_tape, TapeFree>;
using Buffer = std::unique_ptr<libspectrum_byte, BufferFree>;

} // namespace zq::lsp
