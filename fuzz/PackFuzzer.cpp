// libFuzzer target over the level pack reader and Apply: every input is a
// pack's text, read and applied to the sample game; what it checks is in
// fuzz/PackInput.h.
//
//   cmake --build build-fuzz --target zelquor-fuzz-packs
//   ./build-fuzz/fuzz/zelquor-fuzz-packs -dict=fuzz/pack.dict -max_len=131072 SCRATCH fuzz/corpus-packs

#include "fuzz/PackInput.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = zq::fuzz::runPackInput({reinterpret_cast<const char*>(data), size});
    if (!broken.empty()) {
        std::fprintf(stderr, "broken property: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
