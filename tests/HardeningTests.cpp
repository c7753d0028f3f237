// Bad inputs and faults around the files: a bitmap cut short that declares
// huge sides, a bitmap with bytes after its pixels, a read-only map folder, a
// disk that fills up or has no room for a new file, and window events that
// arrive while a save or load runs.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Explorer.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "app/Window.h"
#include "render/Bitmaps.h"
#include "render/Textures.h"
#include "screen/Font.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

namespace {

// Every test runs in a fresh folder with map/ inside, and may mount file
// systems in a mount namespace of its own, which goes away with the process.
class FileFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_TRUE(EnterScratchFolder("talvox-faults"));
    }
    void TearDown() override {
        for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
        LeaveScratchFolder();
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
    std::vector<std::string> mounts;
};

}  // namespace

TEST(BadBitmaps, ACutShortBitmapWithHugeSidesUploadsAsTheNullTexture) {
    ResetProgramState();
    const std::string path = testing::TempDir() + "talvox_huge_cut.bmp";
    BitmapLayout huge;
    huge.width = huge.height = MaxTextureSide;
    huge.tail.assign(300, 0x40);
    ASSERT_TRUE(WriteBitmapFile(path, huge));
    EXPECT_FALSE(LoadTextureFile(path.c_str(), 3));
    EXPECT_EQ(TextureImages[3].width, MaxTextureSide) << "the record keeps the declared size";
    EXPECT_EQ(TextureImages[3].pixels, nullptr);

    const std::string good = testing::TempDir() + "talvox_small_good.bmp";
    BitmapLayout small;
    small.width = small.height = 4;
    small.data.assign(4 * 4 * 3, 0x80);
    ASSERT_TRUE(WriteBitmapFile(good, small));
    ASSERT_TRUE(LoadTextureFile(good.c_str(), 2));

    // Every new context asks GL for no texture memory for the cut-short slot.
    UseRealContext();
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
    BitmapLayout layout;
    for (int i = 0; i < 4 * 2 * 3; i++) layout.data.push_back(static_cast<uint8_t>(i + 1));
    layout.tail.assign(100000, 0xEE);  // far more than the image needs
    ASSERT_TRUE(WriteBitmapFile(path, layout));
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
    FillVolumesWithPattern(3);
    SaveMap(0);
    const std::vector<uint8_t> old = ReadFileBytes("map/0.map");
    ASSERT_EQ(old.size(), 2u * (16777216u - 1u));
    ASSERT_TRUE(Mount("map", scratchFolder / "map", nullptr, MS_BIND, nullptr));
    ASSERT_TRUE(Mount(nullptr, scratchFolder / "map", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr));

    ResetScriptedPlatform();
    FillVolumesWithPattern(4);
    SaveMap(0);
    EXPECT_TRUE(ReadFileBytes("map/0.map") == old) << "the old map changed";
    EXPECT_STREQ(TextLine, "Saving failed: map folder read-only");
    EXPECT_GT(YellowPixelsOnMapLine(20, 260), 100) << "the failure is not in the picture";
    EXPECT_EQ(scriptedSwaps, 1);
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapOutcomePauseMilliseconds});

    // Loading from it still works.
    LoadMap(0);
    EXPECT_TRUE(MapFileOfVolumes() == old);
}

TEST_F(FileFaults, FullDiskKeepsTheOldMapAndSaysSo) {
    if (!OwnMounts()) GTEST_SKIP() << "cannot mount here (not root, or no mount namespace)";
    // Room for the old map and about eight chunks of a new one.
    ASSERT_TRUE(Mount("tmpfs", scratchFolder / "map", "tmpfs", 0, "size=40m"));
    FillVolumesWithPattern(5);
    SaveMap(0);
    const std::vector<uint8_t> old = ReadFileBytes("map/0.map");
    ASSERT_EQ(old.size(), 2u * (16777216u - 1u));

    ResetScriptedPlatform();
    FillVolumesWithPattern(6);
    SaveMap(0);
    EXPECT_TRUE(ReadFileBytes("map/0.map") == old) << "the old map changed";
    EXPECT_EQ(MapFolderEntries(), (std::vector<std::string>{"0.map", "0.seen"})) << "a temporary file was left behind";
    EXPECT_STREQ(TextLine, "Saving failed: map not written");
    EXPECT_GT(YellowPixelsOnMapLine(20, 260), 100);
    // It failed part-way through the dungeon map, after its chunks so far.
    const int64_t pauses = std::count(scriptedSleeps.begin(), scriptedSleeps.end(), 1000);
    EXPECT_GE(pauses, 5);
    EXPECT_LE(pauses, 10);
    EXPECT_EQ(scriptedSleeps.back(), MapOutcomePauseMilliseconds);

    // A disk with no room for one more file: the save fails before it starts.
    umount2((scratchFolder / "map").c_str(), MNT_DETACH);
    mounts.pop_back();
    ASSERT_TRUE(Mount("tmpfs", scratchFolder / "map", "tmpfs", 0, "size=1m,nr_inodes=2"));
    ASSERT_TRUE(WriteFileBytes("map/0.map", std::vector<uint8_t>(1000, 0x5A)));
    ASSERT_EQ(ReadFileBytes("map/0.map").size(), 1000u);
    ResetScriptedPlatform();
    SaveMap(0);
    EXPECT_EQ(ReadFileBytes("map/0.map"), std::vector<uint8_t>(1000, 0x5A));
    EXPECT_STREQ(TextLine, "Saving failed: disk full");
    EXPECT_EQ(scriptedSwaps, 1);
}

TEST_F(FileFaults, MinimisingAndRescalingDuringASaveActAfterItsWholeMap) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumesWithPattern(7);
    const std::vector<uint8_t> expected = MapFileOfVolumes();
    scriptedKeys[KeyControl] = scriptedKeys['S'] = true;
    int framesAfterSave = -1;
    scriptedOnSwap = [&](int swaps) {
        // Swap 1 is the loop's, 2 to 18 are the save's progress pictures, 19
        // its "Map saved".
        if (swaps == 2) {
            // Let go, minimise and tap F2 while the save runs: its key-up is
            // taken before the next pass that acts on keys.
            scriptedKeys[KeyControl] = scriptedKeys['S'] = false;
            QueueEvent(ActivateEvent(true, false));
            QueueEvent(KeyEvent(KeyF1 + 1, true));
            QueueEvent(KeyEvent(KeyF1 + 1, false));
        }
        if (swaps == 20) framesAfterSave = frameCounter;  // the first idle pass after the save
        if (swaps == 22) QueueEvent(KeyEvent(KeyEscape, true));
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(ReadFileBytes("map/0.map") == expected) << "the map is not whole";
    EXPECT_EQ(screenScale, 2);
    EXPECT_EQ(scriptedWindowWidth, 640);
    EXPECT_EQ(windowActive, 0);
    EXPECT_EQ(frameCounter, framesAfterSave) << "frames ran while minimised";
    EXPECT_EQ(frameCounter, 1 + 35 + 1);
}

TEST_F(FileFaults, CloseRequestDuringALoadEndsTheLoopAfterIt) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumesWithPattern(8);
    const std::vector<uint8_t> saved = MapFileOfVolumes();
    ASSERT_TRUE(WriteFileBytes("map/0.map", saved));
    FillVolumesWithPattern(9);
    scriptedKeys[KeyControl] = scriptedKeys['L'] = true;
    scriptedOnSwap = [&](int swaps) {
        if (swaps == 2) {  // the load's first progress picture
            scriptedKeys[KeyControl] = scriptedKeys['L'] = false;
            QueueEvent(CloseEvent());
        }
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(MapFileOfVolumes() == saved) << "the load did not finish";
    EXPECT_EQ(frameCounter, 1 + 35 + 1) << "frames ran after the load and the close request";
    EXPECT_EQ(scriptedCloseCount, 1);
}

// Runs the loop with Ctrl and key held until Escape goes down during the
// third of the map's one-second pauses; returns how many sleeps came after.
static size_t SleepsAfterEscapeDuringTheMap(int32_t key) {
    scriptedKeys[KeyControl] = scriptedKeys[key] = true;
    size_t sleepsAtEscape = 0;
    int pauses = 0;
    scriptedOnSleep = [&](int32_t milliseconds) {
        if (milliseconds != MapChunkPauseMilliseconds || ++pauses != 3) return;
        scriptedKeys[KeyControl] = scriptedKeys[key] = false;
        scriptedKeys[KeyEscape] = true;
        sleepsAtEscape = scriptedSleeps.size();
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(pauses, 3) << "the map went on pausing after Escape";
    EXPECT_EQ(scriptedCloseCount, 1);
    return scriptedSleeps.size() - sleepsAtEscape;
}

TEST_F(FileFaults, EscapeDuringASaveWritesTheWholeMapAtOnceAndQuits) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumesWithPattern(10);
    const std::vector<uint8_t> expected = MapFileOfVolumes();
    EXPECT_LE(SleepsAfterEscapeDuringTheMap('S'), 1u) << "more than the loop's pace after Escape";
    EXPECT_TRUE(ReadFileBytes("map/0.map") == expected) << "the map is not the whole world";
    // What was seen goes beside it even so.
    EXPECT_EQ(MapFolderEntries(), (std::vector<std::string>{"0.map", "0.seen"})) << "a temporary file was left behind";
    // The loop's frame and the three chunks begun before Escape; none after.
    EXPECT_EQ(frameCounter, 1 + 3);
}

TEST_F(FileFaults, EscapeDuringALoadPutsTheWorldBackAndQuits) {
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    FillVolumesWithPattern(11);
    ASSERT_TRUE(WriteFileBytes("map/0.map", MapFileOfVolumes()));
    const std::vector<uint8_t> onDisk = ReadFileBytes("map/0.map");
    FillVolumesWithPattern(12);
    const std::vector<uint8_t> world = MapFileOfVolumes();
    testing::internal::CaptureStderr();
    EXPECT_LE(SleepsAfterEscapeDuringTheMap('L'), 1u) << "more than the loop's pace after Escape";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "talvox: Loading failed: stopped by Esc\n");
    EXPECT_TRUE(MapFileOfVolumes() == world) << "the world was not put back";
    EXPECT_TRUE(ReadFileBytes("map/0.map") == onDisk) << "the map changed";
    EXPECT_EQ(MapFolderEntries(), std::vector<std::string>{"0.map"});
}
