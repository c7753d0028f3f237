// Fuzzes the texture bitmap loader: every input is written to a file and
// loaded into a slot. A load that succeeds must give a record whose pixel
// block holds width x height x 3 bytes, starting with the first stored
// pixel in R, G, B order; a load that fails must leave the record as it was,
// or (pixel data too short) with its new size and no pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "render/Textures.h"
#include "tests/support/TestFiles.h"
#include "world/WorldState.h"

static std::string bitmapPath;

// Stops the run with the reason; libFuzzer keeps the input that did it.
static void Broken(const char* what) {
    std::fprintf(stderr, "fuzz_bitmap: %s\n", what);
    std::abort();
}

static uint32_t ReadLittle32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    AllocateTextureImages();
    // A memory-backed folder when there is one: a file is written per input.
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    bitmapPath = std::string(folder) + "/talvox-fuzz-" + std::to_string(getpid()) + ".bmp";
    std::atexit([] { std::remove(bitmapPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFileBytes(bitmapPath, std::vector<uint8_t>(data, data + size))) Broken("cannot write the input file");

    // Alternate between a slot that holds an image and one that may not.
    const int32_t slot = size % 2 == 0 ? 0 : 5;
    const TextureImage before = TextureImages[slot];
    const bool loaded = LoadTextureFile(bitmapPath.c_str(), slot);
    const TextureImage& image = TextureImages[slot];

    if (loaded) {
        if (image.width <= 0 || image.height <= 0 || image.width > MaxTextureSide || image.height > MaxTextureSide)
            Broken("loaded with impossible sides");
        if (!image.pixels || image.bytesPerPixel != 3) Broken("loaded without pixels");
        // Every byte of the block is there (the sanitizer checks the reads).
        const size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
        uint32_t sum = 0;
        for (size_t i = 0; i < bytes; i++) sum += image.pixels[i];
        volatile uint32_t sink = sum;
        (void)sink;
        // The first pixel is the file's first B, G, R triplet turned round.
        const uint32_t offset = ReadLittle32(data + 10);
        if (static_cast<uint64_t>(offset) + 3 > size) Broken("loaded pixels from beyond the file");
        if (image.pixels[0] != data[offset + 2] || image.pixels[1] != data[offset + 1] ||
            image.pixels[2] != data[offset])
            Broken("the first pixel is not the file's first triplet in R, G, B order");
    } else {
        const bool kept = image.pixels == before.pixels && image.width == before.width &&
                          image.height == before.height && image.bytesPerPixel == before.bytesPerPixel;
        const bool emptied = image.pixels == nullptr && image.bytesPerPixel == 3 && image.width > 0 &&
                             image.height > 0;
        if (!kept && !emptied) Broken("a failed load left the record half changed");
    }
    return 0;
}
