#include "files/SnapshotFormats.h"

#include "files/Lsp.h"
#include "files/MachineImage.h"
#include "files/SnapshotPages.h"

#include <algorithm>
#include <array>
#include <string>

namespace zq {

namespace {

constexpr std::size_t kPageSize = 16384;
constexpr libspectrum_dword kFrameTStates48 = 69888;
constexpr std::array<const char*, 3> kSlotNames = {"0x4000", "0x8000", "0xC000"};

libspectrum_id_t snapshotId(FileKind kind)
{
    switch (kind) {
    case FileKind::Z80: return LIBSPECTRUM_ID_SNAPSHOT_Z80;
    case FileKind::Szx: return LIBSPECTRUM_ID_SNAPSHOT_SZX;
    case FileKind::Sna: return LIBSPECTRUM_ID_SNAPSHOT_SNA;
    default: return LIBSPECTRUM_ID_UNKNOWN;
    }
}

// The RAM pages the CPU sees at 0x4000, 0x8000 and 0xC000.
std::array<int, 3> pagedRam(libspectrum_snap* snap)
{
    const int caps = libspectrum_machine_capabilities(libspectrum_snap_machine(snap));
    const int port7ffd = libspectrum_snap_out_128_memoryport(snap);
    if (caps & LIBSPECTRUM_MACHINE_CAPABILITY_PLUS3_MEMORY) {
        const int port1ffd = libspectrum_snap_out_plus3_memoryport(snap);
        if (port1ffd & 0x01) {
            static constexpr std::array<std::array<int, 3>, 4> special = {{{1, 2, 3}, {5, 6, 7}, {5, 6, 3}, {7, 6, 3}}};
            return special[std::size_t((port1ffd >> 1) & 3)];
        }
    }
    if (caps & (LIBSPECTRUM_MACHINE_CAPABILITY_128_MEMORY | LIBSPECTRUM_MACHINE_CAPABILITY_PLUS3_MEMORY))
        return {5, 2, port7ffd & 7};
    return {5, 2, 0};
}

CpuState cpuOf(libspectrum_snap* s)
{
    auto pair = [](int high, int low) { return std::uint16_t(high << 8 | low); };
    CpuState c;
    c.af = pair(libspectrum_snap_a(s), libspectrum_snap_f(s));
    c.bc = libspectrum_snap_bc(s), c.de = libspectrum_snap_de(s), c.hl = libspectrum_snap_hl(s);
    c.af2 = pair(libspectrum_snap_a_(s), libspectrum_snap_f_(s));
    c.bc2 = libspectrum_snap_bc_(s), c.de2 = libspectrum_snap_de_(s), c.hl2 = libspectrum_snap_hl_(s);
    c.ix = libspectrum_snap_ix(s), c.iy = libspectrum_snap_iy(s);
    c.sp = libspectrum_snap_sp(s), c.pc = libspectrum_snap_pc(s);
    c.i = libspectrum_snap_i(s), c.r = libspectrum_snap_r(s), c.im = libspectrum_snap_im(s);
    c.iff1 = libspectrum_snap_iff1(s) != 0, c.iff2 = libspectrum_snap_iff2(s) != 0;
    return c;
}

void putCpu(libspectrum_snap* s, const CpuState& c)
{
    libspectrum_snap_set_a(s, std::uint8_t(c.af >> 8)), libspectrum_snap_set_f(s, std::uint8_t(c.af));
    libspectrum_snap_set_bc(s, c.bc), libspectrum_snap_set_de(s, c.de), libspectrum_snap_set_hl(s, c.hl);
    libspectrum_snap_set_a_(s, std::uint8_t(c.af2 >> 8)), libspectrum_snap_set_f_(s, std::uint8_t(c.af2));
    libspectrum_snap_set_bc_(s, c.bc2), libspectrum_snap_set_de_(s, c.de2), libspectrum_snap_set_hl_(s, c.hl2);
    libspectrum_snap_set_ix(s, c.ix), libspectrum_snap_set_iy(s, c.iy);
    libspectrum_snap_set_sp(s, c.sp), libspectrum_snap_set_pc(s, c.pc);
    libspectrum_snap_set_i(s, c.i), libspectrum_snap_set_r(s, c.r), libspectrum_snap_set_im(s, c.im);
    libspectrum_snap_set_iff1(s, c.iff1), libspectrum_snap_set_iff2(s, c.iff2);
}

} // namespace

namespace {

// A snapshot file read through libspectrum into a machine state: "" or why
// it failed, for the user.
std::string readSnapshot(std::span<const std::uint8_t> file, FileKind kind, RunState& run)
{
    lsp::ensureInit();
    lsp::takeMessage();
    if (file.empty())
        return "the file is empty";
    if (isCompressed(file))
        return "a compressed file (bzip2 or gzip), not a snapshot";
    // With no kind given, libspectrum's guess from the contents, so that
    // the pages are checked as the reader will take them. Only the three
    // formats the editor opens go to libspectrum's readers: those of the
    // rarer snapshot formats read past the end of damaged files.
    if (kind == FileKind::Unknown)
        kind = identifyKind("", file);
    if (kind != FileKind::Z80 && kind != FileKind::Szx && kind != FileKind::Sna)
        return "not a .sna, .z80 or .szx snapshot";
    if (!snapshotHeaderWhole(file, kind))
        return "the snapshot's header is cut short";
    if (!snapshotPagesWhole(file, kind))
        return "a RAM page of the snapshot is not 16384 bytes long";
    lsp::Snap snap(libspectrum_snap_alloc());
    if (libspectrum_snap_read(snap.get(), file.data(), file.size(), snapshotId(kind), nullptr) !=
        LIBSPECTRUM_ERROR_NONE)
        return "not a snapshot libspectrum can read";

    MachineState& state = run.machine;
    state.cpu = cpuOf(snap.get());
    const libspectrum_byte ula = libspectrum_snap_out_ula(snap.get());
    state.border = ula & 7;
    const std::array<int, 3> pages = pagedRam(snap.get());
    for (std::size_t slot = 0; slot < pages.size(); ++slot) {
        const libspectrum_byte* page = libspectrum_snap_pages(snap.get(), pages[slot]);
        if (!page)
            return std::string("the snapshot has no RAM at ") + kSlotNames[slot];
        std::copy_n(page, kPageSize, state.ram.begin() + std::ptrdiff_t(slot * kPageSize));
    }
    run.halted = libspectrum_snap_halted(snap.get()) != 0;
    run.speaker = (ula & 0x10) != 0;
    run.frameTState = int(libspectrum_snap_tstates(snap.get()) % kFrameTStates48);
    run.interruptTaken = false;
    run.frameCount = 0;
    run.tstates = std::uint64_t(run.frameTState);
    return {};
}

std::string withDetail(std::string what)
{
    const std::string detail = lsp::takeMessage();
    if (!detail.empty())
        what += " (" + detail + ")";
    return what;
}

} // namespace

DecodedImage decodeSnapshot(std::span<const std::uint8_t> file, FileKind kind)
{
    RunState run;
    const std::string error = readSnapshot(file, kind, run);
    if (!error.empty())
        return {{}, withDetail(error)};
    const auto image = imageFromMachine(run.machine);
    return {{image.begin(), image.end()}, {}};
}

std::string decodeRunState(std::span<const std::uint8_t> file, FileKind kind, RunState& state)
{
    RunState run;
    const std::string error = readSnapshot(file, kind, run);
    if (!error.empty())
        return withDetail(error);
    state = run;
    return {};
}

namespace {

std::vector<std::uint8_t> writeSnapshot(const RunState& run, FileKind kind)
{
    const MachineState& state = run.machine;
    lsp::ensureInit();
    lsp::Snap snap(libspectrum_snap_alloc());
    libspectrum_snap_set_machine(snap.get(), LIBSPECTRUM_MACHINE_48);
    putCpu(snap.get(), state.cpu);
    libspectrum_snap_set_out_ula(snap.get(), std::uint8_t((state.border & 7) | (run.speaker ? 0x10 : 0)));
    libspectrum_snap_set_halted(snap.get(), run.halted);
    libspectrum_snap_set_tstates(snap.get(), libspectrum_dword(run.frameTState));
    const std::array<int, 3> pages = {5, 2, 0};
    for (std::size_t slot = 0; slot < pages.size(); ++slot) {
        // The snap frees its pages: they must come from libspectrum's allocator.
        auto* page = static_cast<libspectrum_byte*>(libspectrum_malloc(kPageSize));
        std::copy_n(state.ram.begin() + std::ptrdiff_t(slot * kPageSize), kPageSize, page);
        libspectrum_snap_set_pages(snap.get(), pages[slot], page);
    }
    libspectrum_byte* out = nullptr;
    std::size_t length = 0;
    int flags = 0;
    const libspectrum_error error =
        libspectrum_snap_write(&out, &length, &flags, snap.get(), snapshotId(kind), nullptr, 0);
    const lsp::Buffer owned(out);
    lsp::takeMessage();
    if (error != LIBSPECTRUM_ERROR_NONE || !out)
        return {};
    return {out, out + length};
}

} // namespace

std::vector<std::uint8_t> encodeSnapshot(std::span<const std::uint8_t> image, FileKind kind)
{
    RunState run;
    if ((kind != FileKind::Z80 && kind != FileKind::Szx) || !machineFromImage(image, run.machine))
        return {};
    return writeSnapshot(run, kind);
}

std::vector<std::uint8_t> encodeRunState(const RunState& state)
{
    return writeSnapshot(state, FileKind::Szx);
}

std::vector<std::uint8_t> tapeAsTzx(std::span<const std::uint8_t> tap)
{
    lsp::ensureInit();
    lsp::Tape tape(libspectrum_tape_alloc());
    libspectrum_byte* out = nullptr;
    std::size_t length = 0;
    const bool ok = !tap.empty() && !isCompressed(tap) &&
                    libspectrum_tape_read(tape.get(), tap.data(), tap.size(), LIBSPECTRUM_ID_TAPE_TAP, nullptr) ==
                        LIBSPECTRUM_ERROR_NONE &&
                    libspectrum_tape_write(&out, &length, tape.get(), LIBSPECTRUM_ID_TAPE_TZX) ==
                        LIBSPECTRUM_ERROR_NONE;
    const lsp::Buffer owned(out);
    lsp::takeMessage();
    if (!ok || !out)
        return {};
    return {out, out + length};
}

FileKind identifyKind(std::string_view name, std::span<const std::uint8_t> file)
{
    lsp::ensureInit();
    libspectrum_id_t id = LIBSPECTRUM_ID_UNKNOWN;
    if (isCompressed(file))
        return FileKind::Unknown;
    const std::string path(name);
    if (libspectrum_identify_file(&id, path.c_str(), file.data(), file.size()) != LIBSPECTRUM_ERROR_NONE)
        id = LIBSPECTRUM_ID_UNKNOWN;
    lsp::takeMessage();
    switch (id) {
    case LIBSPECTRUM_ID_SNAPSHOT_SNA: return FileKind::Sna;
    case LIBSPECTRUM_ID_SNAPSHOT_Z80: return FileKind::Z80;
    case LIBSPECTRUM_ID_SNAPSHOT_SZX: return FileKind::Szx;
    case LIBSPECTRUM_ID_TAPE_TAP: return FileKind::Tap;
    case LIBSPECTRUM_ID_TAPE_TZX: return FileKind::Tzx;
    default: return FileKind::Unknown;
    }
}

} // namespace zq
