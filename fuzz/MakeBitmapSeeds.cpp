// Writes the bitmap fuzzer's seeds beyond the texture maker's plain 24-bit
// files into the folder given as the argument: the forms paint programs
// write (32 bits with and without colour masks, top-down rows in 24 and 32
// bits) and the refused ones nearest to them (a palette, run-length
// compression). Usage: make_bitmap_seeds <folder>
#include <cstdio>
#include <filesystem>

#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_bitmap_seeds <folder>\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    fs::create_directories(out);
    struct Seed {
        const char* name;
        BitmapLayout layout;
    };
    BitmapLayout plain;
    plain.width = 5;  // 24-bit rows need padding
    plain.height = 3;
    Seed seeds[] = {{"top_down_24.bmp", plain}, {"rgb_32.bmp", plain},        {"top_down_32.bmp", plain},
                    {"masks_bgra.bmp", plain},  {"masks_rgba_v5.bmp", plain}, {"palette_8.bmp", plain},
                    {"run_length.bmp", plain}};
    seeds[0].layout.height = -3;
    seeds[1].layout.bitsPerPixel = 32;
    seeds[2].layout.bitsPerPixel = 32;
    seeds[2].layout.height = -3;
    seeds[3].layout.bitsPerPixel = 32;
    seeds[3].layout.compression = 3;
    seeds[3].layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    seeds[3].layout.offset = 66;
    seeds[4].layout.bitsPerPixel = 32;
    seeds[4].layout.compression = 3;
    seeds[4].layout.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    seeds[4].layout.offset = 138;
    seeds[4].layout.height = -3;
    seeds[5].layout.bitsPerPixel = 8;
    seeds[6].layout.compression = 1;
    for (const Seed& seed : seeds) {
        if (!WriteBitmapFile(out / seed.name, seed.layout)) {
            std::fprintf(stderr, "make_bitmap_seeds: cannot write %s\n", (out / seed.name).c_str());
            return 1;
        }
    }
    return 0;
}
