// The HUD over the picture: its lines, where they sit, and when the block line
// shows.
#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include "app/Help.h"
#include "app/Input.h"
#include "app/Notices.h"
#include "app/Screenshots.h"
#include "render/Automap.h"
#include "render/Blocks.h"
#include "render/Hud.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/Player.h"
#include "world/WorldState.h"

using PixelSet = std::set<std::pair<int, int>>;

// The pixels a line of text sets when drawn at (x, y), found by drawing it in
// a scratch copy of the picture.
static PixelSet LinePixels(const std::string& text, int x, int y) {
    std::vector<uint8_t> saved(ScreenPixels, ScreenPixels + ScreenPixelCount * 4);
    std::memset(ScreenPixels, 0, ScreenPixelCount * 4);
    std::snprintf(TextLine, sizeof TextLine, "%s", text.c_str());
    DrawTextLine(x, y, 255, 255, 255);
    PixelSet pixels;
    for (int p = 0; p < ScreenPixelCount; p++)
        if (ScreenPixels[p * 4 + 3] == 255) pixels.insert({p % 320, p / 320});
    std::memcpy(ScreenPixels, saved.data(), saved.size());
    return pixels;
}

// The white pixels of the picture in rows low..high; the backdrop has none.
static PixelSet WhitePixels(int low = 0, int high = 239) {
    PixelSet pixels;
    for (int y = low; y <= high; y++) {
        for (int x = 0; x < 320; x++) {
            const uint8_t* p = ScreenPixels + (y * 320 + x) * 4;
            if (p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255) pixels.insert({x, y});
        }
    }
    return pixels;
}

static void DrawHudOverBackdrop() {
    RestoreBackdrop();
    DrawHud();
}

static std::string Format(const char* format, int a, int b, int c = 0, int d = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

static const char* const BlockFormat = "block=%d view=%d 1-2, T, L,[] and click";

TEST(Hud, DrawsEveryLineInItsPlaceAndNothingElse) {
    ResetProgramState();
    DungeonMap[CellIndex(100, 100, 100)] = CellEmpty;
    activeLightCount = 17;
    DrawHudOverBackdrop();

    PixelSet expected;
    auto add = [&](const std::string& text, int x, int y) {
        PixelSet line = LinePixels(text, x, y);
        EXPECT_FALSE(line.empty()) << text;
        expected.insert(line.begin(), line.end());
    };
    add("SX=100,SY=100,SZ=100 Light=17", 9, 42);
    add("OpenGL 320x240 viewport scaning.", 9, 30);
    add(Format(BlockFormat, 0, 12), 9, 54);
    add("VIZARAD001 (ESC CLOSE) (MOVE WITH M)", 6, 239);
    add("F1 320x240", 6, 218);
    add("F2 640x480", 6, 206);
    add("F3 960x720", 6, 194);
    add("F4 1280x960", 6, 182);
    add("F5 CASTLE", 6, 158);
    add("F6 BRICKOLD2", 6, 146);
    add("F7 MIRKEL", 6, 134);
    add("F8 4_SW", 6, 122);
    add("F9 BRICKOLD3", 6, 110);

    // Rows 6..17 belong to the credit line alone: it is there, in one line.
    PixelSet credit = WhitePixels(6, 17);
    EXPECT_GT(credit.size(), 50u);
    for (const auto& [x, y] : credit) {
        ASSERT_GE(x, 9);
        ASSERT_LT(x, 319) << "the credit line runs into the frame";
    }
    expected.insert(credit.begin(), credit.end());

    PixelSet white = WhitePixels();
    EXPECT_EQ(white, expected);
    // Elsewhere the backdrop is untouched.
    for (int p = 0; p < ScreenPixelCount; p++) {
        if (white.count({p % 320, p / 320})) continue;
        ASSERT_EQ(0, std::memcmp(ScreenPixels + p * 4, BackdropPixels + p * 4, 4)) << "pixel " << p;
    }

    // A finger on the page leaves the key lines out: the title, position, view and credit lines stay in place.
    hudKeyLinesShown = false;
    DrawHudOverBackdrop();
    PixelSet touched = credit;
    for (const auto& [text, x, y] : {std::tuple<const char*, int, int>{"SX=100,SY=100,SZ=100 Light=17", 9, 42},
                                     {"OpenGL 320x240 viewport scaning.", 9, 30},
                                     {"block=0 view=12", 9, 54},
                                     {"VIZARAD001", 6, 239}})
        for (const auto& pixel : LinePixels(text, x, y)) touched.insert(pixel);
    EXPECT_EQ(WhitePixels(), touched);
}

TEST(Hud, OverTheMapOnlyTheTitleThePositionAndTheViewLinesShow) {
    ResetProgramState();
    automapShown = true;
    std::memset(ScreenPixels, 0, ScreenPixelCount * 4);
    DrawHud();
    PixelSet expected = LinePixels("VIZARAD001 (ESC CLOSE) (MOVE WITH M)", 6, 239);
    for (const PixelSet& line :
         {LinePixels("SX=100,SY=100,SZ=100 Light=0", 9, 42), LinePixels(Format(BlockFormat, 1, 12), 9, 54)})
        expected.insert(line.begin(), line.end());
    EXPECT_EQ(WhitePixels(), expected);
    // Browsed to another level, the view line names it.
    BrowseMapLevel(-1);
    std::memset(ScreenPixels, 0, ScreenPixelCount * 4);
    DrawHud();
    const PixelSet levelLine = LinePixels(Format("block=%d view=%d map level %d", 1, 12, 99), 9, 54);
    for (const auto& pixel : LinePixels(Format(BlockFormat, 1, 12), 9, 54)) expected.erase(pixel);
    expected.insert(levelLine.begin(), levelLine.end());
    EXPECT_EQ(WhitePixels(), expected);
    ShowPlayersMapLevel();
    // The help panel dims the map, not a world the map hides.
    DrawHelpPanel();
    const uint8_t* player = ScreenPixels + ((ScreenHeight - 1 - AutomapPlayerRow) * 320 + AutomapPlayerColumn) * 4;
    EXPECT_EQ(player[0] * 65536 + player[1] * 256 + player[2], 63 * 65536 + 63 * 256) << "the help hid the map";
}

TEST(Hud, TheTitleSitsInsideTheBluePanel) {
    ResetProgramState();
    DrawHudOverBackdrop();
    PixelSet title = WhitePixels(219, 239);
    ASSERT_GT(title.size(), 100u);
    for (const auto& [x, y] : title) {
        // The panel is rows 228..238 between the frame columns.
        ASSERT_GE(y, 228);
        ASSERT_LE(y, 238);
        ASSERT_GE(x, 1);
        ASSERT_LE(x, 318);
    }
    // Between the strokes the panel stays blue: the text has no box.
    for (int y = 228; y <= 238; y++) {
        for (int x = 1; x <= 318; x++) {
            if (title.count({x, y})) continue;
            const uint8_t* p = ScreenPixels + (y * 320 + x) * 4;
            ASSERT_EQ(p[0], 0) << x << "," << y;
            ASSERT_EQ(p[1], 0) << x << "," << y;
            ASSERT_EQ(p[2], 255) << x << "," << y;
        }
    }
}

TEST(Hud, ThePositionLineShowsThePlayerCellAndTheLightCount) {
    ResetProgramState();
    const int cells[][4] = {{12, 200, 7, 0}, {254, 1, 255, 24}, {-3, 300, 0, 5}};
    for (const auto& cell : cells) {
        SX = cell[0];
        SY = cell[1];
        SZ = cell[2];
        activeLightCount = cell[3];
        DrawHudOverBackdrop();
        std::string text = Format("SX=%d,SY=%d,SZ=%d Light=%d", SX, SY, SZ, activeLightCount);
        EXPECT_EQ(WhitePixels(30, 41), LinePixels(text, 9, 42)) << text;
    }
}

TEST(Hud, TheBlockLineShowsOnlyForCellsInsideTheBorder) {
    struct Case {
        int x, y, z;
        bool shown;
    };
    const Case cases[] = {
        {100, 100, 100, true}, {1, 1, 1, true},        {254, 254, 254, true},  {100, 100, 255, true},
        {0, 100, 100, false},  {255, 100, 100, false}, {100, 0, 100, false},   {100, 255, 100, false},
        {100, 100, 0, false},  {-1, 100, 100, false},  {100, 100, 256, false}, {400, 400, 400, false},
    };
    for (const Case& c : cases) {
        ResetProgramState();
        SX = c.x;
        SY = c.y;
        SZ = c.z;
        viewRadius = 37;
        int value = c.shown ? 2 + c.z % 200 : 0;
        if (c.shown) DungeonMap[CellIndex(c.x, c.y, c.z)] = static_cast<uint8_t>(value);
        DrawHudOverBackdrop();
        PixelSet expected;
        if (c.shown) expected = LinePixels(Format(BlockFormat, value, 37), 9, 54);
        EXPECT_EQ(WhitePixels(42, 53), expected) << c.x << "," << c.y << "," << c.z;
    }
}

// The pixels of the picture in one colour; the yellow ones.
static PixelSet PixelsOfColour(uint8_t r, uint8_t g, uint8_t b) {
    PixelSet pixels;
    for (int p = 0; p < ScreenPixelCount; p++) {
        const uint8_t* c = ScreenPixels + p * 4;
        if (c[0] == r && c[1] == g && c[2] == b) pixels.insert({p % 320, p / 320});
    }
    return pixels;
}
static PixelSet YellowPixels() { return PixelsOfColour(255, 255, 0); }

TEST(Hud, NoticesStackDownFromTheMapLineInYellowBrokenToFitAndGoWhenTheirTimeIsOver) {
    ResetProgramState();
    scriptedClock = 1000.0;
    char first[] = "Texture MIRKEL.bmp refused: 32 bits per pixel";
    ShowNotice(first, 3000);
    scriptedClock = 2000.0;
    ShowNotice("Screenshot saved", 2000);
    RestoreBackdrop();
    first[0] = 'X';  // the notice keeps its own copy of the text
    DrawNotices();
    // Too long for one line: broken after its colon.
    PixelSet expected = LinePixels("Texture MIRKEL.bmp refused:", NoticeX, NoticeY);
    for (PixelSet line : {LinePixels("  32 bits per pixel", NoticeX, NoticeY - NoticeLineStep),
                          LinePixels("Screenshot saved", NoticeX, NoticeY - 2 * NoticeLineStep)})
        expected.insert(line.begin(), line.end());
    EXPECT_EQ(YellowPixels(), expected);

    // Both end at 4.0 s.
    scriptedClock = 3999.0;
    RestoreBackdrop();
    DrawNotices();
    EXPECT_EQ(YellowPixels(), expected);
    scriptedClock = 4000.0;
    RestoreBackdrop();
    DrawNotices();
    EXPECT_TRUE(YellowPixels().empty());

    // More lines than fit: the oldest go first, the newest sits lowest.
    for (int i = 0; i <= NoticeLines; i++) ShowNotice(Format("line %d", i, 0).c_str(), 1000);
    RestoreBackdrop();
    DrawNotices();
    PixelSet lines;
    for (int i = 1; i <= NoticeLines; i++) {
        PixelSet line = LinePixels(Format("line %d", i, 0), NoticeX, NoticeY - (i - 1) * NoticeLineStep);
        lines.insert(line.begin(), line.end());
    }
    EXPECT_EQ(YellowPixels(), lines);
    // Even the lowest line, with its descenders, stays clear of the HUD's
    // highest line of text (the block line).
    const PixelSet blockLine = LinePixels(Format(BlockFormat, 255, 60), 9, 54);
    int32_t hudTop = 0, noticesBottom = ScreenHeight;
    for (const auto& pixel : blockLine) hudTop = std::max(hudTop, pixel.second);
    for (const auto& pixel : YellowPixels()) noticesBottom = std::min(noticesBottom, pixel.second);
    EXPECT_GT(noticesBottom, hudTop + 1) << "the notices touch the HUD";
}

// The yellow pixels the notices of texts, shown in turn, draw over the
// backdrop.
static PixelSet NoticePixels(const std::vector<std::string>& texts) {
    ClearNotices();
    for (const std::string& text : texts) ShowNotice(text.c_str(), ScreenshotNoticeMilliseconds);
    RestoreBackdrop();
    DrawNotices();
    return YellowPixels();
}

// F12 twice within one second gives two files, neither replacing the other,
// each named with its folder in its notice; a write that fails (here past a file size limit,
// as on a full disk) leaves no file behind and says so.
TEST(Hud, ScreenshotsNeverReplaceOneAnotherAndAFailedOneLeavesNoFile) {
    ResetProgramState();
    ASSERT_TRUE(EnterScratchFolder("talvox-screenshots"));
    RestoreBackdrop();
    for (int x = 0; x < ScreenWidth; x++) PutPixel(x, ScreenHeight - 1, 255, 0, 0);
    // Both in the same second: from just after one begins.
    const std::time_t before = std::time(nullptr);
    while (std::time(nullptr) == before) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(SaveScreenshot());
    EXPECT_TRUE(SaveScreenshot());
    const std::string printed = testing::internal::GetCapturedStdout();
    RestoreBackdrop();
    DrawNotices();
    const PixelSet shown = YellowPixels();
    const std::vector<std::string> names = FolderEntries("screenshots");
    ASSERT_EQ(names.size(), 2u) << "two screenshots in a second did not make two files";
    // Sorted, "<time>-2.png" comes before "<time>.png".
    EXPECT_EQ(names[0], names[1].substr(0, names[1].size() - 4) + "-2.png");
    const std::vector<uint8_t> first = ReadFileBytes("screenshots/" + names[1]);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(first.size(), 8u);
    EXPECT_EQ(std::memcmp(first.data(), signature, 8), 0) << names[1] << " is not a PNG";
    EXPECT_TRUE(ReadFileBytes("screenshots/" + names[0]) == first) << "the two pictures differ";
    // The picture's top row, red here, is the file's first.
    int width = 0, height = 0, channels = 0;
    uint8_t* decoded =
        stbi_load_from_memory(first.data(), static_cast<int>(first.size()), &width, &height, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(width * 1000 + height, 320 * 1000 + 240);
    EXPECT_EQ(decoded[0] * 65536 + decoded[1] * 256 + decoded[2], 0xFF0000) << "the file is upside down";
    stbi_image_free(decoded);
    // The standard output names each file by its whole path, whatever the
    // current folder.
    const std::string folder = std::filesystem::current_path().string() + "/screenshots/";
    EXPECT_EQ(printed, "talvox: Screenshot saved: " + folder + names[1] + "\ntalvox: Screenshot saved: " + folder +
                           names[0] + "\n");
    // Each notice names the file and, on a line of its own, its folder; of
    // the four lines the oldest is pushed out.
    EXPECT_EQ(shown, NoticePixels({"Screenshot saved: " + names[1], "  screenshots/", "Screenshot saved: " + names[0],
                                   "  screenshots/"}));

    // The same picture cut short at its start, and by its last byte (which
    // only the flush before closing writes).
    for (const uint64_t limit : {uint64_t{16}, static_cast<uint64_t>(first.size() - 1)}) {
        ClearNotices();
        RestoreBackdrop();
        for (int x = 0; x < ScreenWidth; x++) PutPixel(x, ScreenHeight - 1, 255, 0, 0);
        bool saved = true;
        ASSERT_TRUE(RunWithFileSizeLimit(limit, [&] { saved = SaveScreenshot(); }));
        EXPECT_FALSE(saved) << "limit " << limit;
        RestoreBackdrop();
        DrawNotices();
        const PixelSet failed = YellowPixels();
        EXPECT_EQ(FolderEntries("screenshots"), names) << "the failed screenshot left a file, limit " << limit;
        EXPECT_EQ(failed, NoticePixels({"Screenshot failed: file not written"})) << "limit " << limit;
    }
    LeaveScratchFolder();
    ClearNotices();
}

TEST(Hud, HiddenItLeavesTheBackdropAsItWas) {
    ResetProgramState();
    DungeonMap[CellIndex(100, 100, 100)] = CellEmpty;
    hudShown = false;
    DrawHudOverBackdrop();
    EXPECT_EQ(0, std::memcmp(ScreenPixels, BackdropPixels, ScreenPixelCount * 4));
}

TEST(Hud, TheHelpPanelListsEveryKeyOverThePictureDimmedToAQuarter) {
    // With a pad connected its names stand for keys, keys it has none for
    // grey; by touch only the touch controls' rows, in their own words.
    for (HelpReader reader : {HelpForKeys, HelpForPad, HelpForTouch}) {
        ResetProgramState();
        padState.connected = reader == HelpForPad;
        touchUsed = reader == HelpForTouch;
        // Over a frame whose scene is empty, its HUD drawn: the panel hides the HUD.
        for (int p = 0; p < ScreenPixelCount; p++) std::memcpy(ReadbackPixels + p * 4, clearColourKey, 3);
        DrawHudOverBackdrop();
        DrawHelpPanel();
        PixelSet keys, greyKeys, effects;
        int32_t y = HelpTopY;
        for (const KeyDescription& description : KeyDescriptions) {
            if (!HelpRowShown(description, reader)) continue;
            const std::string_view names = reader == HelpForKeys  ? description.keys
                                           : reader == HelpForPad ? description.pad
                                                                  : description.touch;
            const std::string effect(reader == HelpForTouch && !description.touchEffect.empty()
                                         ? description.touchEffect
                                         : description.effect);
            const PixelSet key = LinePixels(std::string(names.empty() ? description.keys : names), HelpKeysX, y);
            const PixelSet shown = LinePixels(effect, HelpEffectX, y);
            EXPECT_FALSE(key.empty() || shown.empty()) << "row at " << y;
            // By touch, no file or folder is named.
            if (reader == HelpForTouch)
                EXPECT_TRUE(effect.find("map/") == std::string::npos && effect.find("s/") == std::string::npos)
                    << effect;
            (names.empty() ? greyKeys : keys).insert(key.begin(), key.end());
            effects.insert(shown.begin(), shown.end());
            y -= HelpLineStep;
        }
        EXPECT_EQ(YellowPixels(), keys) << "reader " << reader;
        EXPECT_EQ(PixelsOfColour(128, 128, 128), greyKeys) << "reader " << reader;
        EXPECT_EQ(WhitePixels(), effects) << "reader " << reader;
        for (int p = 0; p < ScreenPixelCount; p++) {
            const std::pair<int, int> at = {p % 320, p / 320};
            if (keys.count(at) || greyKeys.count(at) || effects.count(at)) continue;
            for (int channel = 0; channel < 3; channel++)
                ASSERT_EQ(ScreenPixels[p * 4 + channel], BackdropPixels[p * 4 + channel] / 4) << "pixel " << p;
        }
    }
}

TEST(Hud, TheReadmesKeyTableIsTheHelpPanelsTable) {
    std::ifstream readme(TALVOX_SOURCE_FOLDER "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    // The rows of the table under "## Keys", past its heading row and rule.
    std::vector<std::string> rows;
    std::string line;
    bool inKeys = false;
    while (std::getline(readme, line)) {
        if (line.rfind("## ", 0) == 0) inKeys = line == "## Keys";
        if (inKeys && line.rfind("| ", 0) == 0 && line != "| Key | Pad | Touch | Effect |") rows.push_back(line);
    }
    std::vector<std::string> expected;
    for (const KeyDescription& row : KeyDescriptions)
        expected.push_back("| " + std::string(row.keys) + " | " + std::string(row.pad) + " | " +
                           std::string(row.touch) + " | " + std::string(row.effect) + " |");
    EXPECT_EQ(rows, expected) << "README.md's Keys table and KeyDescriptions (app/Help.h) differ";
}

// The words of a column of the help: its names between spaces and commas,
// without the D-pad's own name ("D-pad < >" is "<" and ">").
static std::vector<std::string> HelpWords(std::string_view column) {
    std::vector<std::string> words;
    std::string word;
    for (char c : std::string(column) + " ") {
        if (c != ' ' && c != ',') word += c;
        else if (!word.empty() && word != "D-pad") words.push_back(word);
        if (c == ' ' || c == ',') word.clear();
    }
    return words;
}

TEST(Hud, EachPadButtonStandsForTheKeyTheHelpNamesItBeside) {
    struct ButtonName {
        PadButton button;
        const char* name;
    };
    static const ButtonName ButtonNames[] = {
        {PadA, "A"},
        {PadB, "B"},
        {PadX, "X"},
        {PadY, "Y"},
        {PadBack, "Back"},
        {PadStart, "Start"},
        {PadLeftShoulder, "LB"},
        {PadRightShoulder, "RB"},
        {PadUp, "^"},
        {PadDown, "v"},
        {PadLeft, "<"},
        {PadRight, ">"},
        {PadRightStick, "R stick in"},
    };
    for (const PadButtonKey& mapping : PadButtonKeys) {
        std::string key = mapping.key == KeyOpenBracket    ? "["
                          : mapping.key == KeyCloseBracket ? "]"
                          : mapping.key == KeyPageUp       ? "PgUp"
                          : mapping.key == KeyPageDown     ? "PgDn"
                                                           : "";
        if (mapping.key >= KeyF1 && mapping.key < KeyF1 + 12) key = "F" + std::to_string(mapping.key - KeyF1 + 1);
        if (key.empty()) key = std::string(1, static_cast<char>(mapping.key));
        std::string button;
        for (const ButtonName& name : ButtonNames)
            if (name.button == mapping.button) button = name.name;
        std::string named;  // what the help names beside the key
        for (const KeyDescription& row : KeyDescriptions) {
            const std::vector<std::string> keys = HelpWords(row.keys), pad = HelpWords(row.pad);
            const auto at = std::find(keys.begin(), keys.end(), key);
            if (at == keys.end()) continue;
            // A key alone in its row: the whole pad column names its button.
            const size_t index = static_cast<size_t>(at - keys.begin());
            named = keys.size() == 1 ? std::string(row.pad) : index < pad.size() ? pad[index] : "nothing";
            break;
        }
        EXPECT_EQ(named, button) << "the pad's " << button << " stands for " << key;
    }
}

// Picture pixels (x, y from the bottom) of a colour of the automap.
static PixelSet MapPixelsOf(const uint8_t (&c)[3]) { return PixelsOfColour(c[0], c[1], c[2]); }

TEST(Automap, ShowsTheLevelItsBandTheTrailTheEdgeAndTheViewsDirectionAtEachZoom) {
    ResetProgramState();
    automapZoom = 1;
    SX = 5;
    yaw = 90.0f;
    // On the player's level: the player cell, one 3 to the right (+x), one 4
    // below (+y) with an open cell straight above it, one never seen beside
    // the second. Around it: cells seen 1 and 8 levels below and above, 9
    // above, and both 1 above and 1 below one column.
    for (const auto& [x, y, z, seen] : {std::tuple{5, 100, 100, true},
                                        {8, 100, 100, true},
                                        {5, 104, 100, true},
                                        {5, 104, 99, false},
                                        {9, 100, 100, false},
                                        {8, 112, 101, true},
                                        {20, 100, 92, true},
                                        {21, 100, 91, true},
                                        {22, 100, 99, true},
                                        {22, 100, 101, true},
                                        {26, 100, 101, true}}) {
        DungeonMap[CellIndex(x, y, z)] = CellEmpty;
        if (seen) MarkCellSeen(x, y, z);
    }
    // The trail over a seen cell, far east in a row with nothing else (its
    // byte's fourth cell), and on the level below, not shown.
    for (const auto& [x, y, z] : {std::tuple{8, 100, 100}, {155, 90, 100}, {30, 100, 101}}) {
        const int32_t index = CellIndex(x, y, z);
        TrailCells[index >> 3] |= static_cast<uint8_t>(1 << (index & 7));
    }
    // A light where the band shows, and one on the level below.
    Lights[1] = {8, 100, 101, 1, 2, 3, 4};
    Lights[2] = {26, 100, 100, 4, 5, 6, 4};
    DrawAutomap();
    // Picture pixel (x, y from the bottom) of the cell (x, y) at zoom 1.
    auto at = [](int x, int y) { return std::pair{160 + x - SX, 119 - (y - SY)}; };
    EXPECT_EQ(MapPixelsOf(AutomapTrailColour), (PixelSet{at(8, 100), at(155, 90)}));
    EXPECT_EQ(MapPixelsOf(AutomapWayUpColour), (PixelSet{at(5, 104)}));
    EXPECT_TRUE(MapPixelsOf(AutomapOpenColour).empty());
    const uint8_t below[3] = {BandBelowHue[0] * 14 / 16, BandBelowHue[1] * 14 / 16, BandBelowHue[2] * 14 / 16};
    const uint8_t above[3] = {BandAboveHue[0] * 14 / 16, BandAboveHue[1] * 14 / 16, BandAboveHue[2] * 14 / 16};
    const uint8_t farAbove[3] = {BandAboveHue[0] * 3 / 16, BandAboveHue[1] * 3 / 16, BandAboveHue[2] * 3 / 16};
    EXPECT_EQ(MapPixelsOf(below), (PixelSet{at(8, 112)}));
    EXPECT_EQ(MapPixelsOf(above), (PixelSet{at(22, 100)})) << "above first where two are as near";
    EXPECT_EQ(MapPixelsOf(farAbove), (PixelSet{at(20, 100)}));
    EXPECT_EQ(PixelsOfColour(4, 5, 6), (PixelSet{at(26, 100)})) << "the light where the band shows";
    EXPECT_TRUE(PixelsOfColour(1, 2, 3).empty()) << "a light of another level";
    // Rock all round the seen cells of the level is wall, and no other; the
    // view's mark covers one (yaw 90 looks along -x), and the cell never
    // seen is black.
    PixelSet walls;
    for (const auto& [x, y] : {std::pair{5, 100}, {8, 100}, {5, 104}})
        for (int d = 0; d < 9; d++)
            if (d != 4) walls.insert(at(x + d % 3 - 1, y + d / 3 - 1));
    walls.erase(at(4, 100));
    walls.erase(at(9, 100));
    EXPECT_EQ(MapPixelsOf(AutomapWallColour), walls);
    PixelSet edge;  // the cells just outside the world: x = -1 and y = -1
    for (int k = 0; k <= 220; k++) edge.insert({154, k});
    for (int k = 154; k < 320; k++) edge.insert({k, 220});
    EXPECT_EQ(MapPixelsOf(AutomapEdgeColour), edge);
    EXPECT_EQ(MapPixelsOf(AutomapPlayerColour), (PixelSet{{160, 119}, {159, 119}, {158, 119}, {157, 119}}));
    // Browsed a level down, the cell straight below the player's level shows
    // as seen, the level's own trail over it.
    BrowseMapLevel(1);
    DrawAutomap();
    EXPECT_EQ(MapPixelsOf(AutomapOpenColour), (PixelSet{at(8, 112), at(22, 100), at(26, 100)}));
    EXPECT_EQ(MapPixelsOf(AutomapTrailColour), (PixelSet{at(30, 100)}));
    ShowPlayersMapLevel();

    // At zoom 2 near the far corner: the edge at x = 256 and y = 256, two
    // pixels a cell, and the player's square with a line six pixels long.
    automapZoom = 2;
    SX = SY = 250;
    yaw = 180.0f;  // walking goes up the picture
    DrawAutomap();
    edge.clear();
    for (int k = 0; k <= 133; k++) edge.insert({172, 239 - k}), edge.insert({173, 239 - k});
    for (int k = 0; k <= 173; k++) edge.insert({k, 239 - 132}), edge.insert({k, 239 - 133});
    EXPECT_EQ(MapPixelsOf(AutomapEdgeColour), edge);
    PixelSet player = {{160, 119}, {161, 119}, {160, 118}, {161, 118}};
    for (int k = 1; k <= 6; k++) player.insert({160, 119 + k});
    EXPECT_EQ(MapPixelsOf(AutomapPlayerColour), player);

    // The corner map: framed, an eighth of the picture, clear of the HUD's
    // text lines, the rest of the picture as it was.
    std::memset(ScreenPixels, 0, ScreenPixelCount * 4);
    DrawHud();
    const PixelSet hud = WhitePixels();
    DrawCornerMap();
    PixelSet frame;
    for (int x = CornerMapLeft; x < CornerMapLeft + CornerMapWidth; x++)
        frame.insert({x, 239 - CornerMapTop}), frame.insert({x, 239 - CornerMapTop - CornerMapHeight + 1});
    for (int y = CornerMapTop; y < CornerMapTop + CornerMapHeight; y++)
        frame.insert({CornerMapLeft, 239 - y}), frame.insert({CornerMapLeft + CornerMapWidth - 1, 239 - y});
    EXPECT_EQ(MapPixelsOf(CornerMapFrameColour), frame);
    EXPECT_EQ(WhitePixels(), hud) << "the corner map covers HUD text";
    EXPECT_EQ(MapPixelsOf(AutomapPlayerColour).count({260, 239 - 56}), 1u);
}
