// Bad inputs and faults around the files: a bitmap cut short that declares
// huge sides, a bitmap with bytes after its pixels, a read-only map folder, a
// disk that fills up or has no room for a new file, and window messages that
// arrive while a save or load runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

#include "app/Explorer.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "app/Window.h"
#include "render/Textures.h"
#include "screen/Font.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t Cells = 16777216;
constexpr size_t MapBytes = 2 * (Cells - 1);

void PutLittle(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; i++) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A 24-bit bitmap header for width x height with pixels at offset 54.
std::vector<uint8_t> BitmapHeader(int32_t width, int32_t height) {
    std::vector<uint8_t> bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittle(bytes, 10, 54, 4);
    PutLittle(bytes, 14, 40, 4);
    PutLittle(bytes, 18, static_cast<uint32_t>(width), 4);
    PutLittle(bytes, 22, static_cast<uint32_t>(height), 4);
    PutLittle(bytes, 26, 1, 2);
    PutLittle(bytes, 28, 24, 2);
    return bytes;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The map file the volumes would save to.
std::vector<uint8_t> MapOfVolumes() {
    std::vector<uint8_t> bytes(MapBytes);
    std::memcpy(bytes.data(), DungeonMap, Cells - 1);
    std::memcpy(bytes.data() + Cells - 1, FlagMap, Cells - 1);
    return bytes;
}

void FillVolumes(uint8_t salt) {
    for (int64_t i = 0; i < Cells; i++) {
        DungeonMap[i] = static_cast<uint8_t>(i * 5 + salt);
        FlagMap[i] = static_cast<uint8_t>(i * 3 + salt + 1);
    }
}

// Every test runs in a fresh folder with map/ inside, and may mount file
// systems in a mount namespace of its own, which goes away with the process.
class FileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder = EnterScratchFolder("talvox-faults", &previous);
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override {
        for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
        LeaveScratchFolder(folder, previous);
    }
    // A private mount namespace, so that nothing mounted here is seen
    // outside or outlives the test; false when the system does not allow it.
    bool OwnMounts() {
        if (geteuid() != 0 || unshare(CLONE_NEWNS) != 0) return false;
        return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }
    bool Mount(const char* source, const fs::path& target, const char* type, unsigned long flags, const char* data) {
        if (mount(source, target.c_str(), type, flags, data) != 0) return false;
        mounts.push_back(target.string());
        return true;
    }
    fs::path previous;
    fs::path folder;
    std::vector<std::string> mounts;
};

}  // namespace

TEST(BadBitmaps, ACutShortBitmapWithHugeSidesUploadsAsTheNullTexture) {
    ResetProgramState();
    const std::string path = testing::TempDir() + "talvox_huge_cut.bmp";
    std::vector<uint8_t> bytes = BitmapHeader(MaxTextureSide, MaxTextureSide);
    bytes.resize(bytes.size() + 300, 0x40);
    WriteBytes(path, bytes);
    EXPECT_FALSE(LoadTextureFile(path.c_str(), 3));
    EXPECT_EQ(TextureImages[3].width, MaxTextureSide) << "the record keeps the declared size";
    EXPECT_EQ(TextureImages[3].pixels, nullptr);

    const std::string good = testing::TempDir() + "talvox_small_good.bmp";
    bytes = BitmapHeader(4, 4);
    bytes.resize(bytes.size() + 4 * 4 * 3, 0x80);
    WriteBytes(good, bytes);
    ASSERT_TRUE(LoadTextureFile(good.c_str(), 2));

    // Every new context asks GL for no texture memory for the cut-short slot.
    scriptedRealGL = true;
    for (int32_t scale : {3, 1}) {
        ASSERT_TRUE(OpenRenderWindow("upload", 320 * scale, 240 * scale, 16));
        GLint width = -1, height = -1;
        glBindTexture(GL_TEXTURE_2D, TextureNames[3]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
        glBindTexture(GL_TEXTURE_2D, TextureNames[2]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 4) << "a loaded slot keeps its image";
        CloseRenderWindow();
    }
}

TEST(BadBitmaps, BytesAfterThePixelsAreIgnored) {
    ResetProgramState();
    const std::string path = testing::TempDir() + "talvox_oversized.bmp";
    std::vector<uint8_t> bytes = BitmapHeader(4, 2);
    for (int i = 0; i < 4 * 2 * 3; i++) bytes.push_back(static_cast<uint8_t>(i + 1));
    bytes.resize(bytes.size() + 100000, 0xEE);  // far more than the image needs
    WriteBytes(path, bytes);
    ASSERT_TRUE(LoadTextureFile(path.c_str(), 6));
    const TextureImage& image = TextureImages[6];
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    ASSERT_NE(image.pixels, nullptr);
    for (int i = 0; i < 4 * 2 * 3; i += 3) {
        EXPECT_EQ(image.pixels[i], i + 3);
        EXPECT_EQ(image.pixels[i + 1], i + 2);
        EXPECT_EQ(image.pixels[i + 2], i + 1);
    }
}

TEST_F(FileFaults, ReadOnlyMapFolderKeepsTheOldMapAndSaysSo) {
    if (!OwnMounts()) GTEST_SKIP() << "cannot mount here (not root, or no mount namespace)";
    FillVolumes(3);
    SaveMap(0);
    const std::vector<uint8_t> old = ReadBytes("map/0.map");
    ASSERT_EQ(old.size(), MapBytes);
    ASSERT_TRUE(Mount("map", folder / "map", nullptr, MS_BIND, nullptr));
    ASSERT_TRUE(Mount(nullptr, folder / "map", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr));

    ResetScriptedPlatform();
    FillVolumes(4);
    SaveMap(0);
    EXPECT_TRUE(ReadBytes("map/0.map") == old) << "the old map changed";
    EXPECT_STREQ(TextLine, "Saving failed: map not written");
    EXPECT_GT(YellowPixelsOnMapLine(20, 260), 100) << "the failure is not in the picture";
    EXPECT_EQ(scriptedSwaps, 1);
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapFailurePauseMilliseconds});

    // Loading from it still works.
    LoadMap(0);
    EXPECT_TRUE(MapOfVolumes() == old);
}

TEST_F(FileFaults, FullDiskKeepsTheOldMapAndSaysSo) {
    if (!OwnMounts()) GTEST_SKIP() << "cannot mount here (not root, or no mount namespace)";
    // Room for the old map and about eight chunks of a new one.
    ASSERT_TRUE(Mount("tmpfs", folder / "map", "tmpfs", 0, "size=40m"));
    FillVolumes(5);
    SaveMap(0);
    const std::vector<uint8_t> old = ReadBytes("map/0.map");
    ASSERT_EQ(old.size(), MapBytes);

    ResetScriptedPlatform();
    FillVolumes(6);
    SaveMap(0);
    EXPECT_TRUE(ReadBytes("map/0.map") == old) << "the old map changed";
    EXPECT_EQ(std::distance(fs::directory_iterator("map"), fs::directory_iterator()), 1)
        << "a temporary file was left behind";
    EXPECT_STREQ(TextLine, "Saving failed: map not written");
    EXPECT_GT(YellowPixelsOnMapLine(20, 260), 100);
    // It failed part-way through the dungeon map, after its chunks so far.
    const int64_t pauses = std::count(scriptedSleeps.begin(), scriptedSleeps.end(), 1000);
    EXPECT_GE(pauses, 5);
    EXPECT_LE(pauses, 10);
    EXPECT_EQ(scriptedSleeps.back(), MapFailurePauseMilliseconds);

    // A disk with no room for one more file: the save fails before it starts.
    umount2((folder / "map").c_str(), MNT_DETACH);
    mounts.pop_back();
    ASSERT_TRUE(Mount("tmpfs", folder / "map", "tmpfs", 0, "size=1m,nr_inodes=2"));
    WriteBytes("map/0.map", std::vector<uint8_t>(1000, 0x5A));
    ASSERT_EQ(ReadBytes("map/0.map").size(), 1000u);
    ResetScriptedPlatform();
    SaveMap(0);
    EXPECT_EQ(ReadBytes("map/0.map"), std::vector<uint8_t>(1000, 0x5A));
    EXPECT_STREQ(TextLine, "Saving failed: map not written");
    EXPECT_EQ(scriptedSwaps, 1);
}

TEST_F(FileFaults, MinimisingAndRescalingDuringASaveActAfterItsWholeMap) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumes(7);
    const std::vector<uint8_t> expected = MapOfVolumes();
    scriptedKeys[KeyControl] = scriptedKeys['S'] = true;
    int framesAfterSave = -1;
    scriptedOnSwap = [&](int swaps) {
        // Swap 1 is the loop's, 2 to 18 are the save's progress pictures.
        if (swaps == 2) {
            // Let go, minimise and press F2 while the save runs.
            scriptedKeys[KeyControl] = scriptedKeys['S'] = false;
            QueueMessage(MessageActivate, uintptr_t{1} << 16);
            QueueMessage(MessageKeyDown, KeyF1 + 1);
        }
        if (swaps == 19) framesAfterSave = frameCounter;  // the first idle pass after the save
        if (swaps == 21) QueueMessage(MessageKeyDown, KeyEscape);
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(ReadBytes("map/0.map") == expected) << "the map is not whole";
    EXPECT_EQ(screenScale, 2);
    EXPECT_EQ(scriptedWindowWidth, 640);
    EXPECT_EQ(windowActive, 0);
    EXPECT_EQ(frameCounter, framesAfterSave) << "frames ran while minimised";
    EXPECT_EQ(frameCounter, 1 + 35);
}

TEST_F(FileFaults, CloseRequestDuringALoadEndsTheLoopAfterIt) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumes(8);
    const std::vector<uint8_t> saved = MapOfVolumes();
    WriteBytes("map/0.map", saved);
    FillVolumes(9);
    scriptedKeys[KeyControl] = scriptedKeys['L'] = true;
    scriptedOnSwap = [&](int swaps) {
        if (swaps == 2) {  // the load's first progress picture
            scriptedKeys[KeyControl] = scriptedKeys['L'] = false;
            QueueMessage(MessageClose);
        }
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(MapOfVolumes() == saved) << "the load did not finish";
    EXPECT_EQ(frameCounter, 1 + 35) << "frames ran after the load and the close request";
    EXPECT_EQ(scriptedCloseCount, 1);
}
