// Reading texture bitmaps into TextureImages: channel order, row order,
// offsets and padding, and everything the loader must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/Textures.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/WorldState.h"

namespace {

std::string TempPath(const std::string& name) { return testing::TempDir() + "talvox_texture_" + name; }

// Writes the bitmap layout describes as a temporary file; returns its path.
std::string WriteBitmap(const std::string& name, const BitmapLayout& layout) {
    std::string path = TempPath(name);
    EXPECT_TRUE(WriteBitmapFile(path, layout)) << path;
    return path;
}

// The record the loader should make from B, G, R data: R, G, B.
std::vector<uint8_t> Swapped(std::vector<uint8_t> data) {
    for (size_t i = 0; i < data.size(); i += 3) std::swap(data[i], data[i + 2]);
    return data;
}

std::vector<uint8_t> Pixels(const TextureImage& image) {
    if (!image.pixels) return {};
    return std::vector<uint8_t>(image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height * 3);
}

void EmptySlot(int32_t slot) {
    std::free(TextureImages[slot].pixels);
    TextureImages[slot] = TextureImage{nullptr, 0, 0, 0};
}

}  // namespace

TEST(TextureLoading, SwapsToRgbAndKeepsTheBottomRowFirst) {
    ResetProgramState();
    EmptySlot(7);
    BitmapLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.data = PixelRamp(4, 2);
    layout.data[0] = 10;  // the bottom-left pixel, stored B, G, R
    layout.data[1] = 20;
    layout.data[2] = 30;
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("swap.bmp", layout).c_str(), 7));
    const TextureImage& image = TextureImages[7];
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.bytesPerPixel, 3);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.pixels[0], 30);
    EXPECT_EQ(image.pixels[1], 20);
    EXPECT_EQ(image.pixels[2], 10);
    EXPECT_EQ(Pixels(image), Swapped(layout.data));
}

TEST(TextureLoading, HonoursThePixelOffsetAndRowPadding) {
    ResetProgramState();
    EmptySlot(2);
    BitmapLayout layout;
    layout.width = 3;  // 9 bytes a row, padded to 12
    layout.height = 3;
    layout.offset = 138;
    layout.data = PixelRamp(3, 3);
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("offset.bmp", layout).c_str(), 2));
    EXPECT_EQ(TextureImages[2].width, 3);
    EXPECT_EQ(Pixels(TextureImages[2]), Swapped(layout.data));

    // Some writers leave out the padding of the last row.
    layout.cutTo = 138 + 12 * 2 + 9;
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("lastpad.bmp", layout).c_str(), 2));
    EXPECT_EQ(Pixels(TextureImages[2]), Swapped(layout.data));
}

TEST(TextureLoading, RefusesWhatItCannotReadAndKeepsTheRecord) {
    ResetProgramState();
    EmptySlot(4);
    BitmapLayout good;
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("good.bmp", good).c_str(), 4));
    const TextureImage before = TextureImages[4];
    const std::vector<uint8_t> pixels = Pixels(before);

    struct Case {
        const char* what;
        BitmapLayout layout;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        BitmapLayout layout;
        change(layout);
        cases.push_back({what, layout});
    };
    add("32 bits per pixel", [](BitmapLayout& s) { s.bitsPerPixel = 32; });
    add("24 plus a high byte", [](BitmapLayout& s) { s.bitsPerPixel = 24 + 256; });
    add("not BM", [](BitmapLayout& s) { s.magic[1] = 'A'; });
    add("run-length compressed", [](BitmapLayout& s) { s.compression = 1; });
    add("zero width", [](BitmapLayout& s) { s.width = 0; });
    add("zero height", [](BitmapLayout& s) { s.height = 0; });
    add("negative height (top-down)", [](BitmapLayout& s) { s.height = -2; });
    add("negative width", [](BitmapLayout& s) { s.width = -4; });
    add("sides too long", [](BitmapLayout& s) { s.width = 20000; s.height = 20000; });
    add("size overflowing 32 bits", [](BitmapLayout& s) { s.width = 0x7FFFFFFF; s.height = 0x7FFFFFFF; });
    add("offset inside the header", [](BitmapLayout& s) { s.offset = 20; });
    add("short header", [](BitmapLayout& s) { s.cutTo = 40; });
    for (size_t i = 0; i < cases.size(); i++) {
        std::string path = WriteBitmap("bad" + std::to_string(i) + ".bmp", cases[i].layout);
        EXPECT_FALSE(LoadTextureFile(path.c_str(), 4)) << cases[i].what;
        const TextureImage& after = TextureImages[4];
        EXPECT_EQ(after.pixels, before.pixels) << cases[i].what;
        EXPECT_EQ(after.width, before.width) << cases[i].what;
        EXPECT_EQ(after.height, before.height) << cases[i].what;
        EXPECT_EQ(Pixels(after), pixels) << cases[i].what;
    }
}

TEST(TextureLoading, ShortPixelDataLeavesTheNewSizeAndNoPixels) {
    ResetProgramState();
    EmptySlot(5);
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("before.bmp", BitmapLayout{}).c_str(), 5));
    BitmapLayout layout;
    layout.width = 8;
    layout.height = 8;
    layout.cutTo = 54 + 8 * 8 * 3 - 1;
    EXPECT_FALSE(LoadTextureFile(WriteBitmap("short.bmp", layout).c_str(), 5));
    EXPECT_EQ(TextureImages[5].width, 8);
    EXPECT_EQ(TextureImages[5].height, 8);
    EXPECT_EQ(TextureImages[5].pixels, nullptr);

    // A file whose rows would fit only without their padding is short too.
    layout.width = 3;
    layout.height = 4;
    layout.padRows = false;
    layout.cutTo = SIZE_MAX;
    EXPECT_FALSE(LoadTextureFile(WriteBitmap("unpadded.bmp", layout).c_str(), 5));
    EXPECT_EQ(TextureImages[5].width, 3);
    EXPECT_EQ(TextureImages[5].pixels, nullptr);
}

TEST(TextureLoading, ReloadingASlotReplacesItsImage) {
    ResetProgramState();
    EmptySlot(1);
    BitmapLayout first;
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("first.bmp", first).c_str(), 1));
    BitmapLayout second;
    second.width = 8;
    second.height = 4;
    second.data = PixelRamp(8, 4);
    for (uint8_t& byte : second.data) byte = static_cast<uint8_t>(255 - byte);
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("second.bmp", second).c_str(), 1));
    EXPECT_EQ(TextureImages[1].width, 8);
    EXPECT_EQ(TextureImages[1].height, 4);
    EXPECT_EQ(Pixels(TextureImages[1]), Swapped(second.data));
}

TEST(TextureLoading, AMissingFileIsNeitherLoadedNorCreated) {
    ResetProgramState();
    EmptySlot(3);
    std::string path = TempPath("never_there.bmp");
    std::remove(path.c_str());
    EXPECT_FALSE(LoadTextureFile(path.c_str(), 3));
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr) << "the loader created " << path;
    EXPECT_EQ(TextureImages[3].width, 0);
    EXPECT_EQ(TextureImages[3].pixels, nullptr);
    EXPECT_FALSE(LoadTextureFile(WriteBitmap("good.bmp", BitmapLayout{}).c_str(), -1));
    EXPECT_FALSE(LoadTextureFile(WriteBitmap("good.bmp", BitmapLayout{}).c_str(), textureCapacity));
}

// The six bitmaps the build writes into run/bmp_cube load with square
// power-of-two sides and real variety in them.
TEST(TextureFiles, TheGeneratedBitmapsLoad) {
    ResetProgramState();
    for (int slot = 0; slot < TextureSlots; slot++) {
        std::string path = std::string("../run/") + TextureFiles[slot];
        ASSERT_TRUE(LoadTextureFile(path.c_str(), slot)) << path;
        const TextureImage& image = TextureImages[slot];
        EXPECT_EQ(image.width, image.height) << path;
        EXPECT_TRUE(image.width == 64 || image.width == 128) << path << " is " << image.width;
        std::vector<uint32_t> colours;
        for (int32_t i = 0; i < image.width * image.height; i++) {
            const uint8_t* p = image.pixels + i * 3;
            colours.push_back(static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]));
        }
        std::sort(colours.begin(), colours.end());
        colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
        EXPECT_GE(colours.size(), 8u) << path << " is nearly flat";
    }
}
