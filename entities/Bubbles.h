#pragma once
// The special bubble table: 53 bytes at Spectrum 0x7E4B (image offset 15974)
// for the whole game. Four groups of level numbers, each ended by a zero
// byte, in the order Water (1), Lightning (2), Fire (3), Extend (4); the bytes
// after the fourth zero are spare and may hold anything. Every non-zero byte
// counts as a group entry. The byte after the table (Spectrum 0x7E80) is read
// by the removal and never written.
//
// Level numbers here are level index + 1. Functions given a level number
// outside 1..255 (which no table byte can equal, or 0, which ends a group)
// leave the table alone and report type 0.

#include "image/GameImage.h"

namespace zq {

inline constexpr int kBubbleGroupCount = 4;

// Bubble type: 0 None, 1 Water, 2 Lightning, 3 Fire, 4 Extend; the index of
// the "Bubble Type" item of the same name.
struct BubbleState {
    int type = 0;  // t
    int spare = 0; // r
};

// t: start at 5 and walk the table backwards from byte 52, taking 1 off for
// each zero byte, until a byte equals the level number; 0 when none does.
// Zero bytes or level numbers among the spare bytes shift the result, so it
// can also be 5 (a match among the spare bytes with no zero after it) or
// below 1, values that select no item or the wrong one.
int bubbleType(const GameImage& image, int levelNumber);

// r: 53 minus the index after the fourth zero byte. A table with fewer than
// four zero bytes has no group end to count the spare bytes from; it counts
// as having no spare byte (r = 0), so nothing is ever inserted into it.
int spareCount(const GameImage& image);

BubbleState bubbleState(const GameImage& image, int levelNumber);

// The "Bubble Type" choice is offered unless there is no spare byte and the
// level has no special bubble.
bool bubbleChoiceEnabled(const BubbleState& state);

// Takes every copy of the level number out: for i = 0..52, when byte i equals
// it, bytes i+1..52 and the byte after the table move down one place (the
// last table byte becomes a copy of the byte after the table), and the walk
// goes on at i + 1. A copy directly following another one therefore moves
// into the place just examined and stays until a later removal.
void removeLevel(GameImage& image, int levelNumber);

// Inserts the level number into group 1..4 before the group's first larger
// number or else just before the group's zero byte; the bytes from there on
// move up one place and the last table byte is dropped. At most one insertion
// per call. Nothing happens when the table has no spare byte (the dropped
// byte would be a group's zero byte) or when the group has no zero byte
// within the table and no larger number.
void insertLevel(GameImage& image, int levelNumber, int group);

// Removal of every copy, then insertion into the group. When the insertion
// finds no place (only possible in a table with fewer than four zero bytes)
// the table is left as it was, so the level never loses its bubble.
void moveLevel(GameImage& image, int levelNumber, int group);

// The "Bubble Type" choice (0..4) for the level, given the state the last
// refresh derived:
//   1. choice 0 and t not 0: remove;
//   2. choice above 0, t not 0 and choice not t: move;
//   3. choice above 0, r not 0 and t 0: insert. When step 1 or 2 ran, t and r
//      are those of the table they left.
// Choosing the type the level already has changes nothing; a choice outside
// 0..4 changes nothing.
void selectBubble(GameImage& image, int levelNumber, int choice, BubbleState last);

} // namespace zq
