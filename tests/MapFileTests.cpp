// Map files: the byte layout, the chunked progress and pauses, the safe save
// (temporary file, atomic replacement) and the load that changes nothing
// unless the whole map arrives.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/Explorer.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/MapFile.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

static constexpr int64_t Cells = 16777216;
static const char* const MapPath = "map/0.map";

// The calls a save makes on its way to disk, in order, while callsToDisk is
// set: the program is linked with --wrap for each (tests/CMakeLists.txt).
static std::vector<std::string>* callsToDisk = nullptr;

extern "C" {
int __real_fsync(int fd);
int __real_fdatasync(int fd);
int __real_rename(const char* from, const char* to);
int __real_renameat(int fromFolder, const char* from, int toFolder, const char* to);
int __real_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags);
}

// What a flush of fd puts on disk: the map folder, another folder, or a file
// of some size.
static void RecordFlush(int fd) {
    struct stat status, map;
    if (!callsToDisk || fstat(fd, &status) != 0) return;
    if (!S_ISDIR(status.st_mode))
        callsToDisk->push_back("flush a file of " + std::to_string(status.st_size) + " bytes");
    else if (stat("map", &map) == 0 && map.st_dev == status.st_dev && map.st_ino == status.st_ino)
        callsToDisk->push_back("flush the map folder");
    else callsToDisk->push_back("flush another folder");
}

static void RecordReplace(const char* to) {
    if (callsToDisk) callsToDisk->push_back(std::string("replace ") + to);
}

extern "C" int __wrap_fsync(int fd) {
    RecordFlush(fd);
    return __real_fsync(fd);
}
extern "C" int __wrap_fdatasync(int fd) {
    RecordFlush(fd);
    return __real_fdatasync(fd);
}
extern "C" int __wrap_rename(const char* from, const char* to) {
    RecordReplace(to);
    return __real_rename(from, to);
}
extern "C" int __wrap_renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    RecordReplace(to);
    return __real_renameat(fromFolder, from, toFolder, to);
}
extern "C" int __wrap_linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    if (callsToDisk) callsToDisk->push_back("name the file");
    return __real_linkat(fromFolder, from, toFolder, to, flags);
}

// Whether map/ takes files without a name (O_TMPFILE), which a save names
// only when they are whole.
static bool MapFolderTakesUnnamedFiles() {
    const int probe = open("map", O_TMPFILE | O_WRONLY, 0600);
    if (probe < 0) return false;
    close(probe);
    return true;
}

// Every test runs in a fresh folder with an empty map/ inside.
class MapFile : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_TRUE(EnterScratchFolder("talvox-mapfile"));
    }
    void TearDown() override { LeaveScratchFolder(); }
};

TEST_F(MapFile, SaveWritesBothVolumesWithoutTheirLastCellsWithProgressAndPauses) {
    FillVolumesWithPattern(1);
    std::vector<std::string> linesAtSwaps;
    int swapsWithoutTheLine = 0;
    scriptedOnSwap = [&](int) {
        linesAtSwaps.push_back(TextLine);
        if (YellowPixelsOnMapLine(20, 172) == 0) swapsWithoutTheLine++;
    };
    // Key 0xE8 (a remapping tool's mask key) is no "Finish now": every pause is taken.
    scriptedOnSleep = [](int32_t) {
        QueueEvent(KeyEvent(0xE8, true));
        QueueEvent(KeyEvent(0xE8, false));
    };
    SaveMap(0);

    std::vector<uint8_t> saved = ReadFileBytes(MapPath);
    ASSERT_EQ(saved.size(), 33554430u);
    EXPECT_EQ(saved[16777215], FlagMap[0]);
    EXPECT_EQ(saved[16777214], DungeonMap[Cells - 2]);
    EXPECT_TRUE(saved == MapFileOfPattern(1)) << "the file is not the two volumes' first N - 1 cells";

    // A pause per chunk and after the last, then "Map saved" over a frame of
    // its own, held like a failure line.
    std::vector<int32_t> pauses(35, 1000);
    pauses.push_back(MapOutcomePauseMilliseconds);
    EXPECT_EQ(scriptedSleeps, pauses);
    std::vector<std::string> lines(17, "Saving dungeon maps");
    lines.push_back("Map saved");
    EXPECT_EQ(linesAtSwaps, lines);
    EXPECT_EQ(frameCounter, 35 + 1);
    EXPECT_EQ(swapsWithoutTheLine, 0) << "the progress line is missing from the picture";
    EXPECT_EQ(MapFolderEntries(), (std::vector<std::string>{"0.map", "0.seen"})) << "a temporary file was left behind";
    // The page's status line follows the share of the map written.
    ASSERT_EQ(scriptedRepeatedNotices.size(), 1u + MapChunkCount() + 1u);
    EXPECT_EQ(scriptedRepeatedNotices[MapChunkCount() / 2], "Saving dungeon maps 50 %");
    EXPECT_EQ(scriptedRepeatedNotices.back(), "Map saved");

    // The page's "Finish now", pressed during the first pause: the rest is
    // written without pauses, and the program goes on.
    ForgetEvents();
    scriptedSleeps.clear();
    scriptedOnSleep = [](int32_t) {
        if (scriptedSleeps.size() == 1) QueueEvent({WindowFinishAsked, 0, 0, 0, false, false});
    };
    FillVolumesWithPattern(2);
    SaveMap(0);
    EXPECT_EQ(scriptedSleeps, (std::vector<int32_t>{1000, MapOutcomePauseMilliseconds}));
    EXPECT_FALSE(mapEscapePressed) << "a finished save quits";
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(2));
}

TEST_F(MapFile, TheBarUnderTheProgressLineFillsAChunkAtATime) {
    FillVolumesWithPattern(1);
    // The bar's outline rows and, in its middle row, which columns are yellow.
    auto yellow = [](int x, int y) {
        const uint8_t* p = ScreenPixels + (y * ScreenWidth + x) * 4;
        return p[0] == 255 && p[1] == 255 && p[2] == 0;
    };
    int unframed = 0;
    auto filledBar = [&] {
        for (int x = MapBarX; x < MapBarX + MapBarWidth; x++)
            if (!yellow(x, MapBarY) || !yellow(x, MapBarY - MapBarHeight + 1)) unframed++;
        const int middle = MapBarY - MapBarHeight / 2;
        int filled = 0;
        while (yellow(MapBarX + 2 + filled, middle)) filled++;
        for (int x = MapBarX + 2 + filled; x < MapBarX + MapBarWidth - 1; x++)
            if (yellow(x, middle)) unframed++;
        return filled;
    };
    // Presented with each first-volume chunk; after that the window keeps the
    // last presented picture, and only its bar moves on, in every pause.
    std::vector<int> filledAtSwaps, filledAtPauses;
    std::vector<uint8_t> presented;
    int changedAboveTheBar = 0;
    scriptedOnSwap = [&](int) {
        if (std::string(TextLine) != "Saving dungeon maps") return;
        filledAtSwaps.push_back(filledBar());
        presented.assign(ScreenPixels, ScreenPixels + ScreenPixelCount * 4);
    };
    scriptedOnSleep = [&](int32_t milliseconds) {
        if (milliseconds != MapChunkPauseMilliseconds) return;
        filledAtPauses.push_back(filledBar());
        const size_t aboveTheBar = static_cast<size_t>(MapBarY + 1) * ScreenWidth * 4;
        if (!std::equal(presented.begin() + aboveTheBar, presented.end(), ScreenPixels + aboveTheBar))
            changedAboveTheBar++;
    };
    SaveMap(0);
    // 34 chunks of the map (17 a volume) over 272 columns: 8 a chunk, as
    // many as have moved when the picture is shown, all 34 in the last pause.
    ASSERT_EQ(MapChunkCount(), 34);
    std::vector<int> expected;
    for (int k = 0; k < 17; k++) expected.push_back(8 * k);
    EXPECT_EQ(filledAtSwaps, expected);
    for (int k = 17; k <= 34; k++) expected.push_back(8 * k);
    EXPECT_EQ(filledAtPauses, expected);
    EXPECT_EQ(changedAboveTheBar, 0) << "the picture over the bar changed while the second volume moved";
    EXPECT_EQ(unframed, 0) << "the outline is broken or yellow lies beyond the fill";
}

TEST_F(MapFile, SaveReplacesALongerMapWhole) {
    ASSERT_TRUE(WriteFileBytes(MapPath, std::vector<uint8_t>(40000000, 0xEE)));
    FillVolumesWithPattern(2);
    SaveMap(0);
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(2));
    EXPECT_EQ(MapFolderEntries(), (std::vector<std::string>{"0.map", "0.seen"}));
}

// What saves killed outright left behind: the temporary files of processes
// that have ended go with the next save, those of a running process stay, and
// the save's own file has no name until it is whole where the file system
// allows it, so that a kill leaves nothing.
TEST_F(MapFile, SaveRemovesTheTemporaryFilesOfEndedSavesOnly) {
    pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const std::string gone = "0.map.tmp-" + std::to_string(ended);
    const std::string running = "0.map.tmp-" + std::to_string(getppid());
    const std::string mine = "0.map.tmp-" + std::to_string(getpid()) + "-2";
    const std::string other = gone + "x";
    for (const std::string& name : {gone, gone + "-1", running, mine, other})
        ASSERT_TRUE(WriteFileBytes("map/" + name, {1, 2, 3}));
    const bool unnamedFiles = MapFolderTakesUnnamedFiles();
    int namedWhileWriting = 0;
    scriptedOnSwap = [&](int) {
        for (const std::string& name : MapFolderEntries())
            if (name.rfind("0.map.tmp", 0) == 0 && name != running && name != other) namedWhileWriting++;
    };
    FillVolumesWithPattern(1);
    SaveMap(0);
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(1));
    std::vector<std::string> kept = {"0.map", "0.seen", running, other};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(MapFolderEntries(), kept);
    if (unnamedFiles) {
        EXPECT_EQ(namedWhileWriting, 0) << "the save's file had a name while it was written";
    }
}

// A save that a power cut can interrupt anywhere: every byte of the new file
// is on disk before it takes the map's place, and the folder that now names
// it is put on disk after that.
TEST_F(MapFile, SaveFlushesTheWholeFileBeforeTheReplaceAndTheFolderAfterIt) {
    FillVolumesWithPattern(1);
    std::vector<std::string> calls;
    callsToDisk = &calls;
    SaveMap(0);
    callsToDisk = nullptr;
    // The seen file follows the map, as safely.
    std::vector<std::string> expected;
    for (const auto& [name, bytes] : {std::pair{"map/0.map", int64_t{33554430}},
                                      {"map/0.seen", static_cast<int64_t>(fs::file_size("map/0.seen"))}}) {
        expected.push_back("flush a file of " + std::to_string(bytes) + " bytes");
        if (MapFolderTakesUnnamedFiles()) expected.push_back("name the file");
        expected.push_back(std::string("replace ") + name);
        expected.push_back("flush the map folder");
    }
    EXPECT_EQ(calls, expected) << "the calls of a save on its way to disk";
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(1));
}

TEST_F(MapFile, LoadBringsBackEveryCellButTheLastChunkByChunk) {
    FillVolumesWithPattern(1);
    // What was seen and walked is saved with the map: cells far from the
    // player, where no frame of the load looks.
    ASSERT_NE(DungeonMap[CellIndex(10, 20, 30)], CellSolid);
    MarkCellSeen(10, 20, 30);
    SX = 200, SY = 20, SZ = 30;
    MarkPlayerCellWalked();
    SX = SY = SZ = 100;
    SaveMap(0);
    ResetScriptedPlatform();
    frameCounter = 0;
    FillVolumesWithPattern(2);
    DungeonMap[Cells - 1] = 201;
    FlagMap[Cells - 1] = 202;

    // At each dungeon-map swap, the chunks before it have arrived and the
    // rest have not.
    std::vector<std::string> linesAtSwaps;
    std::vector<int> chunksArrivedAtSwaps;
    scriptedOnSwap = [&](int) {
        linesAtSwaps.push_back(TextLine);
        int arrived = 0;
        for (int64_t start = 0; start < Cells; start += MapChunkSize)
            if (DungeonMap[start] == PatternDungeonByte(start, 1)) arrived++;
        chunksArrivedAtSwaps.push_back(arrived);
    };
    ForgetSeenCells();
    ASSERT_NE(DungeonMap[CellIndex(10, 200, 30)], CellSolid);
    MarkCellSeen(10, 200, 30);
    LoadMap(0);
    EXPECT_TRUE(CellSeen(10, 20, 30) && CellWalked(CellIndex(200, 20, 30))) << "what was seen did not come back";
    EXPECT_FALSE(CellSeen(10, 200, 30)) << "what was seen of the world before the load stayed";

    EXPECT_EQ(FirstDungeonMismatch(1, Cells - 1), -1);
    EXPECT_EQ(FirstFlagMismatch(1, Cells - 1), -1);
    EXPECT_EQ(DungeonMap[Cells - 1], 201);
    EXPECT_EQ(FlagMap[Cells - 1], 202);
    std::vector<int32_t> pauses(35, 1000);
    pauses.push_back(MapOutcomePauseMilliseconds);
    EXPECT_EQ(scriptedSleeps, pauses);
    EXPECT_EQ(frameCounter, 35 + 1);
    std::vector<std::string> lines(17, "Loading dungeon maps");
    lines.push_back("Map loaded");
    EXPECT_EQ(linesAtSwaps, lines);
    // The last swap is the confirmation's, once every chunk is in.
    std::vector<int> expectedArrivals;
    for (int k = 0; k <= 17; k++) expectedArrivals.push_back(k);
    EXPECT_EQ(chunksArrivedAtSwaps, expectedArrivals);

    // A seen file missing, short, damaged or of another map leaves the
    // loaded world unseen, the load whole, and a notice says why.
    const std::vector<uint8_t> seen = ReadFileBytes("map/0.seen");
    std::vector<uint8_t> damaged = seen, cut(seen.begin(), seen.end() - 1);
    damaged.back() ^= 0x40;
    for (const auto& [bytes, salt, notice] : {std::tuple{std::vector<uint8_t>(), 1, "Map unseen: no seen cells saved"},
                                              {cut, 1, "Map unseen: seen file too short"},
                                              {damaged, 1, "Map unseen: seen file damaged"},
                                              {seen, 3, "Map unseen: seen file of another map"}}) {
        ResetScriptedPlatform();
        if (bytes.empty()) fs::remove("map/0.seen");
        else ASSERT_TRUE(WriteFileBytes("map/0.seen", bytes));
        ASSERT_TRUE(WriteFileBytes(MapPath, MapFileOfPattern(salt)));
        LoadMap(0);
        EXPECT_EQ(FirstDungeonMismatch(salt, Cells - 1), -1) << notice;
        ASSERT_FALSE(scriptedRepeatedNotices.empty()) << notice;
        EXPECT_EQ(scriptedRepeatedNotices.back(), notice);
        EXPECT_FALSE(CellSeen(10, 20, 30) || CellWalked(CellIndex(200, 20, 30))) << notice;
    }
}

TEST_F(MapFile, LoadOfALongerFileTakesItsPrefix) {
    std::vector<uint8_t> bytes = MapFileOfPattern(1);
    bytes.resize(bytes.size() + 1000, 0x77);
    ASSERT_TRUE(WriteFileBytes(MapPath, bytes));
    FillVolumesWithPattern(2);
    LoadMap(0);
    EXPECT_EQ(FirstDungeonMismatch(1, Cells - 1), -1);
    EXPECT_EQ(FirstFlagMismatch(1, Cells - 1), -1);
    EXPECT_EQ(FlagMap[Cells - 1], PatternFlagByte(Cells - 1, 2));
    EXPECT_EQ(scriptedSleeps.size(), 35u + 1u);
}

// The chords as the command keys see them: S shares walking back with the
// save, and L the lights with the load.
TEST_F(MapFile, ALoadAskedForNeverSavesAndAnSHeldForWalkingStartsNoSave) {
    const std::vector<uint8_t> saved = MapFileOfPattern(1);
    ASSERT_TRUE(WriteFileBytes(MapPath, saved));
    FillVolumesWithPattern(2);
    auto pass = [](std::initializer_list<int32_t> held) {
        for (bool& key : scriptedKeys) key = false;
        for (int32_t key : held) scriptedKeys[key] = true;
        return ActOnCommandKeys();
    };
    // Ctrl, S and L all down at once: the map is loaded, not written first.
    ASSERT_TRUE(pass({KeyControl, 'S', 'L'}));
    EXPECT_TRUE(ReadFileBytes(MapPath) == saved) << "a load asked for saved over the map";
    EXPECT_TRUE(MapFileOfVolumes() == saved) << "the map was not loaded";
    // S held for walking, then Ctrl: no save; then L with them: a load.
    FillVolumesWithPattern(2);
    ASSERT_TRUE(pass({'S'}));
    ASSERT_TRUE(pass({'S', KeyControl}));
    EXPECT_TRUE(ReadFileBytes(MapPath) == saved) << "Ctrl pressed while walking back saved";
    ASSERT_TRUE(pass({'S', KeyControl, 'L'}));
    EXPECT_TRUE(ReadFileBytes(MapPath) == saved);
    EXPECT_TRUE(MapFileOfVolumes() == saved);
    // Let go and pressed again with Ctrl: Ctrl+S saves as ever.
    FillVolumesWithPattern(3);
    ASSERT_TRUE(pass({}));
    ASSERT_TRUE(pass({KeyControl, 'S'}));
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(3)) << "Ctrl+S did not save";
    // The page's Save is a deliberate act: it saves with S held for walking.
    FillVolumesWithPattern(4);
    ASSERT_TRUE(pass({'S'}));
    RecordInputEvent({WindowSaveAsked, 0, 0, 0, false, false});
    ASSERT_TRUE(pass({'S'}));
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(4)) << "the page's Save did not save while S was held";
}

TEST_F(MapFile, NothingToOpenCreatesNothingAndSaysSo) {
    FillVolumesWithPattern(2);
    struct Attempt {
        void (*run)(int32_t);
        const char* line;
    };
    // Each shows its failure line over one frame and holds it; nothing moves.
    auto check = [&](const Attempt& attempt) {
        ResetScriptedPlatform();
        frameCounter = 0;
        attempt.run(0);
        EXPECT_STREQ(TextLine, attempt.line);
        EXPECT_GT(YellowPixelsOnMapLine(20, 240), 100) << attempt.line << " is not in the picture";
        EXPECT_EQ(scriptedSwaps, 1) << attempt.line;
        EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapOutcomePauseMilliseconds}) << attempt.line;
        EXPECT_EQ(frameCounter, 1) << attempt.line;
    };
    check({LoadMap, "Loading failed: no map saved"});
    EXPECT_FALSE(fs::exists(MapPath)) << "loading created the map";
    EXPECT_TRUE(MapFolderEntries().empty());

    fs::remove("map");
    check({SaveMap, "Saving failed: no map folder"});
    check({LoadMap, "Loading failed: no map folder"});
    EXPECT_FALSE(fs::exists("map"));
    EXPECT_TRUE(fs::is_empty("."));
    EXPECT_EQ(FirstDungeonMismatch(2), -1);
    EXPECT_EQ(FirstFlagMismatch(2), -1);
}

TEST_F(MapFile, ShortAndEmptyMapsAreRejectedWholeAndSaySo) {
    FillVolumesWithPattern(2);
    std::vector<uint8_t> oneShort = MapFileOfPattern(1);
    oneShort.pop_back();
    for (const std::vector<uint8_t>& bytes : {oneShort, std::vector<uint8_t>(20000000, 0x11), std::vector<uint8_t>()}) {
        ResetScriptedPlatform();
        ASSERT_TRUE(WriteFileBytes(MapPath, bytes));
        LoadMap(0);
        EXPECT_EQ(FirstDungeonMismatch(2), -1) << bytes.size() << " bytes";
        EXPECT_EQ(FirstFlagMismatch(2), -1) << bytes.size() << " bytes";
        EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapOutcomePauseMilliseconds}) << bytes.size() << " bytes";
        EXPECT_EQ(scriptedSwaps, 1);
        EXPECT_STREQ(TextLine, "Loading failed: map too short");
        EXPECT_GT(YellowPixelsOnMapLine(20, 252), 0);
    }
}

TEST_F(MapFile, UnreadableMapChangesNothingAndSaysSo) {
    FillVolumesWithPattern(2);
    // A folder where the map should be: it opens on some systems but holds
    // no bytes to read.
    fs::create_directory(MapPath);
    LoadMap(0);
    EXPECT_EQ(FirstDungeonMismatch(2), -1);
    EXPECT_EQ(FirstFlagMismatch(2), -1);
    EXPECT_STREQ(TextLine, "Loading failed: map not readable");
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapOutcomePauseMilliseconds});
    EXPECT_EQ(scriptedSwaps, 1);
    fs::remove(MapPath);

    if (geteuid() == 0) GTEST_SKIP() << "running as root: a file without read permission is still readable";
    ResetScriptedPlatform();
    ASSERT_TRUE(WriteFileBytes(MapPath, MapFileOfPattern(1)));
    fs::permissions(MapPath, fs::perms::none);
    LoadMap(0);
    EXPECT_EQ(FirstDungeonMismatch(2), -1);
    EXPECT_EQ(FirstFlagMismatch(2), -1);
    EXPECT_STREQ(TextLine, "Loading failed: map not readable");
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{MapOutcomePauseMilliseconds});
}

TEST_F(MapFile, FailedSaveKeepsTheOldMapAndSaysSo) {
    std::vector<uint8_t> old = MapFileOfPattern(3);
    ASSERT_TRUE(WriteFileBytes(MapPath, old));
    FillVolumesWithPattern(1);

    // Fails in the dungeon-map phase.
    ASSERT_TRUE(RunWithFileSizeLimit(5500000, [] { SaveMap(0); }));
    EXPECT_TRUE(ReadFileBytes(MapPath) == old) << "the old map changed";
    EXPECT_EQ(MapFolderEntries(), std::vector<std::string>{"0.map"}) << "a temporary file was left behind";
    ASSERT_FALSE(scriptedSleeps.empty());
    EXPECT_EQ(scriptedSleeps.back(), MapOutcomePauseMilliseconds);
    EXPECT_LT(scriptedSleeps.size(), 7u);
    EXPECT_STREQ(TextLine, "Saving failed: map not written");
    EXPECT_LT(std::strlen(TextLine), 38u);
    // The failure line is longer than the progress line it replaces.
    EXPECT_GT(YellowPixelsOnMapLine(180, 260), 0) << "the failure message is not in the picture";

    // Fails in the flag-map phase, where nothing else is presented.
    ResetScriptedPlatform();
    std::vector<std::string> linesAtSwaps;
    scriptedOnSwap = [&](int) { linesAtSwaps.push_back(TextLine); };
    ASSERT_TRUE(RunWithFileSizeLimit(20000000, [] { SaveMap(0); }));
    EXPECT_TRUE(ReadFileBytes(MapPath) == old) << "the old map changed";
    EXPECT_EQ(MapFolderEntries(), std::vector<std::string>{"0.map"}) << "a temporary file was left behind";
    ASSERT_EQ(linesAtSwaps.size(), 18u);
    EXPECT_EQ(linesAtSwaps.back(), "Saving failed: map not written");
    EXPECT_EQ(scriptedSleeps.back(), MapOutcomePauseMilliseconds);
    EXPECT_EQ(std::count(scriptedSleeps.begin(), scriptedSleeps.end(), 1000), 17 + 3);

    // Without the limit the same save goes through.
    ResetScriptedPlatform();
    SaveMap(0);
    EXPECT_TRUE(ReadFileBytes(MapPath) == MapFileOfPattern(1));
}

TEST_F(MapFile, ReadFailingPartWayPutsTheVolumesBack) {
    ASSERT_TRUE(WriteFileBytes(MapPath, MapFileOfPattern(1)));
    FillVolumesWithPattern(2);
    // Just before the last dungeon-map chunk is read, the file shrinks so that
    // the dungeon map arrives whole but the flag map only in part.
    // What was seen before the load, and what the frames see of the world
    // half loaded (as a frame would, where it is open).
    MarkCellSeen(10, 20, 30);
    scriptedOnSwap = [&](int swaps) {
        if (swaps < 18) MarkCellSeen(10, 200, 30);
        if (swaps == 17) {
            ASSERT_EQ(truncate(MapPath, (Cells - 1) + 500000), 0);
        }
    };
    LoadMap(0);
    EXPECT_TRUE(CellSeen(10, 20, 30));
    EXPECT_FALSE(CellSeen(10, 200, 30)) << "the world half loaded was seen";
    EXPECT_EQ(FirstDungeonMismatch(2), -1) << "DungeonMap was not put back";
    EXPECT_EQ(FirstFlagMismatch(2), -1) << "FlagMap was not put back";
    EXPECT_STREQ(TextLine, "Loading failed: map not read");
    EXPECT_EQ(scriptedSwaps, 18);
    std::vector<int32_t> expected(17, 1000);
    expected.push_back(MapOutcomePauseMilliseconds);
    EXPECT_EQ(scriptedSleeps, expected);
}
