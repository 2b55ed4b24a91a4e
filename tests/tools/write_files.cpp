// Writes the files the editor produces from its default image, for the
// external checkers run by the scripts next to this file:
//   write_files OUTDIR  ->  OUTDIR/sample.sna, sample128.sna, sample.tap

#include "files/Snapshot.h"
#include "files/Tape.h"
#include "image/GameImage.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "write_files: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_files OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];

    zq::GameImage image;
    if (!image.loadDefault()) {
        std::fprintf(stderr, "write_files: no default image\n");
        return 1;
    }
    const zq::LoadingScreen screen = zq::LoadingScreen::fromImage(image);

    bool ok = writeFile(dir + "/sample.sna", zq::save48(image));
    ok = writeFile(dir + "/sample.tap", zq::buildTape(image, screen)) && ok;
    // Last: the 128K export writes its routine into the image.
    ok = writeFile(dir + "/sample128.sna", zq::export128(image)) && ok;
    return ok ? 0 : 1;
}
