// zelquor-sampledata: builds the sample game data that the editor carries.
//
//   zelquor-sampledata <boot.bin> <outdir>
//
// Writes Snap.sna (a complete 48K snapshot of a sample Zelquor game), the enemy
// pictures B0.bmp..B16.bmp, ABOUTSCREEN.bmp and EnemyMasks.inc into <outdir>.
// The output depends on nothing but the program and boot.bin: all randomness
// comes from fixed-seed integer generators, so every run writes the same bytes.
// Before anything is written the image is checked against the rules the editor
// relies on; a failed check ends the program with exit status 1.

#include "data/generator/SampleCommon.h"
#include "data/generator/SampleEntities.h"
#include "data/generator/SampleImage.h"
#include "data/generator/SampleLevels.h"
#include "data/generator/SampleMemory.h"
#include "data/generator/SamplePictures.h"
#include "data/generator/SampleScreen.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace sampledata {
namespace {

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------
std::vector<Byte> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail("cannot read " + path);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::vector<Byte>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  if (!out) fail("cannot write " + path);
}

}  // namespace
}  // namespace sampledata

int main(int argc, char** argv) {
  using namespace sampledata;
  if (argc != 3) {
    std::cerr << "usage: zelquor-sampledata <boot.bin> <outdir>\n";
    return 2;
  }
  const std::vector<Byte> boot = readFile(argv[1]);
  const std::string outDir = argv[2];

  Memory mem;
  const Screen loading = makeLoadingPicture();
  mem.claim(kScreen, 6912, "screen");
  mem.put(kScreen, loading.bytes());
  const int sp = writeSystemArea(mem);

  const std::vector<Level> levels = makeLevels();
  int fullWidth = 0;
  const int recordsEnd = writeLevels(mem, levels, fullWidth);

  std::vector<int> levelsWithHoles;
  const auto enemies = makeEnemies(levels, levelsWithHoles);
  writeEnemies(mem, enemies, levelsWithHoles);
  writeAirflow(mem, makeAirflow());
  writeBubbles(mem, makeBubbleTable());
  const auto lower = makeLowerItemList();
  writeTables(mem, lower);
  writeBoot(mem, boot);
  writeItems(mem, levels, lower, makeItems(levels, enemies, lower));

  std::vector<Byte> snapshot = snapshotHeader(sp);
  snapshot.insert(snapshot.end(), mem.bytes().begin(), mem.bytes().end());
  require(snapshot.size() == kImageSize, "snapshot is 49179 bytes");

  auto files = pictureFiles(loading);
  files.emplace_back("Snap.sna", snapshot);
  for (const auto& [name, data] : files) writeFile(outDir + "/" + name, data);

  std::cout << "zelquor-sampledata: " << fullWidth << " full-width levels, records end at " << hex(recordsEnd)
            << ", start-up program ends at " << hex(kBoot + static_cast<int>(boot.size()) - 1) << ", empty slots between enemies on levels";
  for (int n : levelsWithHoles) std::cout << ' ' << n;
  std::cout << '\n';
  return 0;
}
