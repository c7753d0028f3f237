// Reading texture bitmaps into TextureImages: channel order, row order,
// offsets and padding, and everything the loader must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/Bitmaps.h"
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

// The same 3 x 2 image written the ways paint programs write it: 32 bits
// with alpha (no masks, and masks in either byte order) and top-down rows.
TEST(TextureLoading, ThirtyTwoBitAndTopDownFilesGiveTheSameRecord) {
    ResetProgramState();
    EmptySlot(0);
    BitmapLayout plain;
    plain.width = 3;  // 24-bit rows padded from 9 to 12 bytes
    plain.height = 2;
    plain.data = PixelRamp(3, 2);
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("plain.bmp", plain).c_str(), 0));
    const std::vector<uint8_t> expected = Pixels(TextureImages[0]);
    ASSERT_EQ(expected, Swapped(plain.data));

    // Pixel i as B, G, R, A; as R, G, B, A; and stored rows in the other order.
    std::vector<uint8_t> bgra, rgba;
    for (size_t i = 0; i < plain.data.size(); i += 3) {
        const uint8_t b = plain.data[i], g = plain.data[i + 1], r = plain.data[i + 2];
        const uint8_t alpha = static_cast<uint8_t>(i * 40 + 5);
        bgra.insert(bgra.end(), {b, g, r, alpha});
        rgba.insert(rgba.end(), {r, g, b, alpha});
    }
    auto flipped = [](const std::vector<uint8_t>& data, size_t rowBytes) {
        std::vector<uint8_t> rows;
        for (size_t row = data.size() / rowBytes; row-- > 0;)
            rows.insert(rows.end(), data.begin() + row * rowBytes, data.begin() + (row + 1) * rowBytes);
        return rows;
    };
    struct Case {
        const char* what;
        BitmapLayout layout;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        BitmapLayout layout = plain;
        change(layout);
        cases.push_back({what, layout});
    };
    add("24-bit top-down", [&](BitmapLayout& s) {
        s.height = -2;
        s.data = flipped(plain.data, 9);
    });
    add("32-bit", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.data = bgra;
    });
    add("32-bit top-down", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.height = -2;
        s.data = flipped(bgra, 12);
    });
    add("32-bit with B, G, R, A masks", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        s.offset = 66;
        s.data = bgra;
    });
    add("32-bit top-down with R, G, B, A masks and a gap before the pixels", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
        s.offset = 138;
        s.height = -2;
        s.data = flipped(rgba, 12);
    });
    std::remove(TempPath("never_there.bmp").c_str());
    for (size_t i = 0; i < cases.size(); i++) {
        EmptySlot(0);
        ASSERT_FALSE(LoadTextureFile(TempPath("never_there.bmp").c_str(), 0));
        EXPECT_TRUE(LoadTextureFile(WriteBitmap("form" + std::to_string(i) + ".bmp", cases[i].layout).c_str(), 0))
            << cases[i].what << ": " << TextureRefusals[0];
        EXPECT_EQ(TextureImages[0].width, 3) << cases[i].what;
        EXPECT_EQ(TextureImages[0].height, 2) << cases[i].what;
        EXPECT_EQ(TextureImages[0].bytesPerPixel, 3) << cases[i].what;
        EXPECT_EQ(Pixels(TextureImages[0]), expected) << cases[i].what;
        EXPECT_STREQ(TextureRefusals[0], "") << cases[i].what;
    }
}

TEST(TextureLoading, RefusesWhatItCannotReadAndKeepsTheRecord) {
    ResetProgramState();
    EmptySlot(4);
    BitmapLayout good;
    ASSERT_TRUE(LoadTextureFile(WriteBitmap("good.bmp", good).c_str(), 4));
    const TextureImage before = TextureImages[4];
    const std::vector<uint8_t> pixels = Pixels(before);

    // Each with the reason a message gives for it.
    struct Case {
        const char* reason;
        BitmapLayout layout;
    };
    std::vector<Case> cases;
    auto add = [&](const char* reason, auto change) {
        BitmapLayout layout;
        change(layout);
        cases.push_back({reason, layout});
    };
    const uint32_t masks = 3;
    add("8-bit palette", [](BitmapLayout& s) { s.bitsPerPixel = 8; });
    add("16 bits per pixel", [](BitmapLayout& s) { s.bitsPerPixel = 16; });
    add("280 bits per pixel", [](BitmapLayout& s) { s.bitsPerPixel = 24 + 256; });
    add("not a bitmap", [](BitmapLayout& s) { s.magic[1] = 'A'; });
    add("compressed", [](BitmapLayout& s) { s.compression = 1; });
    add("compressed", [&](BitmapLayout& s) {
        s.compression = masks;
        s.masks = {0xFF0000, 0xFF00, 0xFF};
    });
    add("compressed", [](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = 4;
    });
    add("unusual colour masks", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = masks;
        s.masks = {0x7C00, 0x03E0, 0x001F};
        s.offset = 66;
    });
    add("unusual colour masks", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = masks;
        s.masks = {0xFF0000, 0xFF0000, 0xFF};
        s.offset = 66;
    });
    add("bad pixel offset", [&](BitmapLayout& s) {  // the pixels would overlap the masks
        s.bitsPerPixel = 32;
        s.compression = masks;
        s.masks = {0xFF0000, 0xFF00, 0xFF};
    });
    add("cut short", [&](BitmapLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = masks;
        s.cutTo = 60;
    });
    add("no pixels", [](BitmapLayout& s) { s.width = 0; });
    add("no pixels", [](BitmapLayout& s) { s.height = 0; });
    add("no pixels", [](BitmapLayout& s) { s.width = -4; });
    add("too large", [](BitmapLayout& s) {
        s.width = 20000;
        s.height = 20000;
    });
    add("too large", [](BitmapLayout& s) {
        s.width = 0x7FFFFFFF;
        s.height = 0x7FFFFFFF;
    });
    add("too large", [](BitmapLayout& s) { s.height = -20000; });
    add("too large", [](BitmapLayout& s) { s.height = INT32_MIN; });
    add("bad pixel offset", [](BitmapLayout& s) { s.offset = 20; });
    add("cut short", [](BitmapLayout& s) { s.cutTo = 40; });
    add("empty", [](BitmapLayout& s) { s.cutTo = 0; });
    for (size_t i = 0; i < cases.size(); i++) {
        std::string path = WriteBitmap("bad" + std::to_string(i) + ".bmp", cases[i].layout);
        EXPECT_FALSE(LoadTextureFile(path.c_str(), 4)) << cases[i].reason;
        EXPECT_STREQ(TextureRefusals[4], cases[i].reason) << "case " << i;
        const TextureImage& after = TextureImages[4];
        EXPECT_EQ(after.pixels, before.pixels) << cases[i].reason;
        EXPECT_EQ(after.width, before.width) << cases[i].reason;
        EXPECT_EQ(after.height, before.height) << cases[i].reason;
        EXPECT_EQ(Pixels(after), pixels) << cases[i].reason;
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
    EXPECT_STREQ(TextureRefusals[5], "cut short");

    // A top-down one keeps its height as a count of rows.
    layout.bitsPerPixel = 32;
    layout.height = -4;
    layout.cutTo = 54 + 3 * 4 * 4 - 1;
    EXPECT_FALSE(LoadTextureFile(WriteBitmap("short_top_down.bmp", layout).c_str(), 5));
    EXPECT_EQ(TextureImages[5].height, 4);
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
    EXPECT_STREQ(TextureRefusals[3], "missing");
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
