// libFuzzer target over the core library: a game image followed by a script
// of edits (the input layout is described in fuzz/ImageScript.h).
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZELQUOR_FUZZ=ON
//         -DZELQUOR_BUILD_APP=OFF -DZELQUOR_BUILD_TESTS=OFF   (one line)
//   cmake --build build-fuzz --target zelquor-fuzz
//   ./build-fuzz/fuzz/zelquor-fuzz -max_len=51200 fuzz/corpus
//
// Every input draws all 79 levels completely first, at about ten inputs a
// second. ZELQUOR_FUZZ_SURVEY picks less (see Survey in
// fuzz/ScriptSession.h): decode keeps only the data part of that pass, none
// leaves it out and redraws the data part after every edit, once redraws it
// once per level the script edits. ZELQUOR_FUZZ_SURVEY=mixed runs most inputs
// as once, one in kRedrawShare as none and one in kDrawShare with the whole
// drawing pass.

#include "fuzz/ImageScript.h"
#include "fuzz/InputShare.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

zq::fuzz::Survey survey = zq::fuzz::Survey::Draw;
bool mixed = false;
constexpr std::uint32_t kDrawShare = 8192;
constexpr std::uint32_t kRedrawShare = 64;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* mode = std::getenv("ZELQUOR_FUZZ_SURVEY");
    if (mode && std::string_view(mode) == "decode")
        survey = zq::fuzz::Survey::Decode;
    if (mode && std::string_view(mode) == "none")
        survey = zq::fuzz::Survey::None;
    if (mode && std::string_view(mode) == "once")
        survey = zq::fuzz::Survey::Once;
    mixed = mode && std::string_view(mode) == "mixed";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    const zq::fuzz::Survey pass = !mixed                                  ? survey
                                  : zq::fuzz::inShare(input, kDrawShare)   ? zq::fuzz::Survey::Draw
                                  : zq::fuzz::inShare(input, kRedrawShare) ? zq::fuzz::Survey::None
                                                                           : zq::fuzz::Survey::Once;
    const std::string broken = zq::fuzz::runImageScript(input, pass);
    if (!broken.empty()) {
        std::fprintf(stderr, "broken property: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
