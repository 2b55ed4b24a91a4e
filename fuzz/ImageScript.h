#pragma once
// Runs one fuzz input against the core library: a game image followed by a
// script of editing operations. Shared by the libFuzzer target and by the
// regression tests, which replay the corpus and every reproducer kept in
// fuzz/regressions/ through the same code.
//
// Input layout:
//   bytes 0 .. 49178   the game image (a shorter input is padded with zeros);
//                      the default image's 10 signature bytes at offset 46551
//                      replace whatever the input holds there, so that the
//                      snapshot checks see a snapshot of the game
//   bytes 49179 ..     the script: an opcode byte and its argument bytes, over
//                      and over (see Op in fuzz/ScriptInput.h). Arguments past
//                      the end of the input read as 0. Coordinates are signed
//                      16-bit little-endian, so they reach far outside the
//                      views.
//
// Every level 0..78 first gets the whole drawing pass the refresh cycle runs
// (border, compose with the enemy, item and air-flow overlays and the area
// highlight, pattern picture, both views); then the script edits the levels
// it picks, each edit followed by the redraw the editor would do.
//
// Besides "no crash", each step checks properties the core library promises:
// drawing never changes the image, each edit writes only inside its own
// region, the air-flow codec is its own inverse, the files written have their
// fixed sizes and valid block checksums, and an opened snapshot is taken byte
// for byte. The first broken property is returned as text.

#include "fuzz/ScriptEdits.h"
#include "fuzz/ScriptInput.h"
#include "fuzz/ScriptSession.h"

#include "image/GameImage.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zq::fuzz {

// Runs one input; returns an empty string, or the first property broken.
inline std::string runImageScript(std::span<const std::uint8_t> input, Survey survey = Survey::Draw)
{
    auto session = std::make_unique<detail::Session>(input);
    const auto script = input.size() > kImageSize ? input.subspan(kImageSize) : std::span<const std::uint8_t>{};
    return session->run(script, survey);
}

} // namespace zq::fuzz
