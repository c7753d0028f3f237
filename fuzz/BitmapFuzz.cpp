// Fuzzes the texture bitmap loader: every input is written to a file and
// loaded into a slot. A load that succeeds must give a record whose pixel
// block holds width x height x 3 bytes, and whose first (bottom-left) and
// last (top-right) pixels are the file's in R, G, B order, whichever form
// it has (24 or 32 bits, colour masks, top-down rows); a load that fails
// must leave the record as it was, or (pixel data too short) with its new
// size and no pixels, and say why.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/Bitmaps.h"
#include "tests/support/TestFiles.h"

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

// The record pixel at (x, row), row 0 the bottom, must be the file's pixel
// there: its bytes found from the header as a reader of the format finds them.
static void CheckPixel(const uint8_t* data, size_t size, const TextureImage& image, int32_t x, int32_t row) {
    const uint32_t offset = ReadLittle32(data + 10);
    const uint32_t bytesPerPixel = data[28] / 8u;
    const bool topDown = static_cast<int32_t>(ReadLittle32(data + 22)) < 0;
    const uint64_t stride = (static_cast<uint64_t>(image.width) * bytesPerPixel + 3) / 4 * 4;
    const uint64_t storedRow = topDown ? static_cast<uint64_t>(image.height - 1 - row) : static_cast<uint64_t>(row);
    const uint64_t at = offset + storedRow * stride + static_cast<uint64_t>(x) * bytesPerPixel;
    if (at + bytesPerPixel > size) Broken("loaded pixels from beyond the file");
    uint32_t pixel = data[at] | data[at + 1] << 8 | static_cast<uint32_t>(data[at + 2]) << 16;
    if (bytesPerPixel == 4) pixel = ReadLittle32(data + at);
    // Blue, green, red from the low byte up, unless masks say otherwise.
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
    if (bytesPerPixel == 4 && ReadLittle32(data + 14) >= 20 && ReadLittle32(data + 30) == 3)
        for (int i = 0; i < 3; i++) masks[i] = ReadLittle32(data + 54 + 4 * i);
    const uint8_t* got = image.pixels + (static_cast<size_t>(row) * image.width + x) * 3;
    for (int i = 0; i < 3; i++) {
        uint32_t value = pixel & masks[i];
        while (value > 0xFF) value >>= 8;
        if (got[i] != value) Broken("a pixel is not the file's in R, G, B order");
    }
}

// Checks the record's bottom-left and top-right pixels against the file.
static void CheckCorners(const uint8_t* data, size_t size, const TextureImage& image) {
    if (size < BitmapHeaderBytes) Broken("loaded from less than a header");
    CheckPixel(data, size, image, 0, 0);
    CheckPixel(data, size, image, image.width - 1, image.height - 1);
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
        if (TextureRefusals[slot][0]) Broken("a loaded texture keeps a refusal");
        CheckCorners(data, size, image);
    } else {
        if (!TextureRefusals[slot][0]) Broken("a refused texture gives no reason");
        const bool kept = image.pixels == before.pixels && image.width == before.width &&
                          image.height == before.height && image.bytesPerPixel == before.bytesPerPixel;
        const bool emptied = image.pixels == nullptr && image.bytesPerPixel == 3 && image.width > 0 && image.height > 0;
        if (!kept && !emptied) Broken("a failed load left the record half changed");
    }
    return 0;
}
