// libFuzzer target over the formats read through libspectrum and the tape
// load: every input is tried as a .z80, a .szx and a snapshot of any kind,
// as a .tap and a .tzx played into the EAR socket, and as a tape loaded in
// the embedded Spectrum for a few hundred frames (the ROM loader's blocks
// through its trap, but for a share of the inputs). What it checks is in
// fuzz/FormatsInput.h.
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZELQUOR_FUZZ=ON
//         -DZELQUOR_BUILD_APP=OFF -DZELQUOR_BUILD_TESTS=OFF   (one line)
//   cmake --build build-fuzz --target zelquor-fuzz-formats
//   ./build-fuzz/fuzz/zelquor-fuzz-formats -max_len=16384 SCRATCH fuzz/corpus-formats

#include "fuzz/FormatsInput.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (zq::fuzz::formats::rom().empty())
        std::fprintf(stderr, "no ROM at %s: the tape loads are left out\n", zq::emu::kOpenSeRomPath);
    else
        zq::fuzz::formats::loader();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = zq::fuzz::runFormatsInput({data, size});
    if (!broken.empty()) {
        std::fprintf(stderr, "broken property: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
