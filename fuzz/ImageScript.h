#pragma once
// Runs one fuzz input against the core library: a game image followed by a
// script of editing operations. Shared by the libFuzzer target and by the
// regression tests, which replay the seed corpus (fuzz/corpus/, where the
// fuzzer's finds are kept too) through the same code.
//
// Input layout:
//   the image      either the whole game image (an input of 49179 bytes or
//                  more starts with it) or, in a shorter input, the compact
//                  form: a base image and byte patches (fuzz/ImageInput.h).
//                  The sample image's 10 signature bytes at offset 46551 then
//                  replace whatever the image holds there, so that the
//                  snapshot checks see a snapshot of the game
//   the script     an opcode byte and its argument bytes, over and over (see
//                  Op in fuzz/ScriptInput.h), at most 16 operations.
//                  Arguments past the end of the input read as 0.
//                  Coordinates are signed 16-bit little-endian, so they
//                  reach far outside the views.
//
// How much is drawn is the Survey's choice (fuzz/ScriptSession.h): with the
// whole pass, every level 0..78 first gets the drawing the refresh cycle
// runs (border, compose with the enemy, item and air-flow overlays and the
// area highlight, pattern picture, both views), and each edit is followed by
// the redraw the editor would do.
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
#include <optional>
#include <span>
#include <string>

namespace zq::fuzz {

// Runs one input; returns an empty string, or the first property broken.
// Every input's session is made in the same place: a new 150 KB block per
// input would cost more than a quick input's edits.
inline std::string runImageScript(std::span<const std::uint8_t> input, Survey survey = Survey::Draw)
{
    static auto* const session = new std::optional<detail::Session>;
    session->emplace(input);
    return (*session)->run(survey);
}

} // namespace zq::fuzz
