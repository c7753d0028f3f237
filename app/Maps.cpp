// The shell around map saving and loading: while the map file moves, every
// chunk gets a frame, the first volume's chunks a progress line and bar
// presented on the screen, and a one-second pause; the window handling takes
// no event meanwhile, though the pauses keep answering the desktop and watch
// for Escape. The outcome, good or bad, is then held on the screen for two
// seconds. Escape cuts a save short of its pauses (the map is still written
// whole) and stops a load (the world is put back); either then quits. The
// page's "Finish now" (WindowFinishAsked) cuts either short of its pauses, and
// the program goes on. Each line is repeated on the page's status line, the
// progress line with the share of the map moved.
#include "app/Maps.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/Frames.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Notices.h"
#include "app/Platform.h"
#include "app/Window.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "world/MapFile.h"
#include "world/SeenFile.h"

// Where the progress and failure lines are drawn.
constexpr int32_t MapLineX = 20;
constexpr int32_t MapLineY = 100;

// The progress line of the operation under way.
static const char* progressLine = "";
// Chunks the operation under way has moved so far.
static int32_t chunksMoved = 0;
bool mapEscapePressed = false;
// Whether the page's "Finish now" was pressed during the operation under way.
static bool mapFinishPressed = false;
// Whether the operation under way is a save (which Escape hurries) or a load
// (which Escape stops).
static bool savingMap = false;

// Draws line in the map line's place and colour over the current picture.
static void DrawMapLine(const char* line) {
    FormatTextLine("%s", line);
    DrawTextLine(MapLineX, MapLineY, 255, 255, 0);
}

// Shows the outcome over a fresh frame and holds it for the user to read.
static void ShowMapOutcome(const char* message) {
    PlatformRepeatNotice(message, MapOutcomePauseMilliseconds, false);
    RunFrame();
    DrawMapLine(message);
    PresentScreen();
    PlatformSwapBuffers();
    PlatformWaitAnswering(MapOutcomePauseMilliseconds, 0);
}

// Draws the bar of chunks moved under the progress line: a yellow outline,
// filled from the left, a step per chunk.
void DrawMapBar(int32_t moved, int32_t total) {
    for (int32_t x = MapBarX; x < MapBarX + MapBarWidth; x++) {
        PutPixel(x, MapBarY, 255, 255, 0);
        PutPixel(x, MapBarY - MapBarHeight + 1, 255, 255, 0);
    }
    for (int32_t y = MapBarY - MapBarHeight + 1; y <= MapBarY; y++) {
        PutPixel(MapBarX, y, 255, 255, 0);
        PutPixel(MapBarX + MapBarWidth - 1, y, 255, 255, 0);
    }
    const int32_t inside = MapBarWidth - 4;
    const int32_t filled = total > 0 ? inside * std::clamp(moved, 0, total) / total : 0;
    for (int32_t y = MapBarY - MapBarHeight + 3; y <= MapBarY - 2; y++)
        for (int32_t x = MapBarX + 2; x < MapBarX + 2 + filled; x++) PutPixel(x, y, 255, 255, 0);
}

// The last progress picture presented, which the window goes on showing
// while the second volume moves: only its bar moves on.
static std::vector<uint8_t> progressPicture;

static void KeepProgressPicture() { progressPicture.assign(ScreenPixels, ScreenPixels + ScreenPixelCount * 4); }

// Between the second volume's chunks: the kept picture with the bar moved on,
// drawn straight onto the window, as no new picture is presented there.
static void ShowBarOverProgressPicture() {
    if (progressPicture.size() != static_cast<size_t>(ScreenPixelCount) * 4) return;
    std::memcpy(ScreenPixels, progressPicture.data(), progressPicture.size());
    DrawMapBar(chunksMoved, MapChunkCount());
    PresentScreenOnFront();
}

// Whether Escape has been pressed since the operation began: held now, or
// its key-down recorded (the tap latch).
static bool EscapeSeen() {
    if (WasKeyPressed(KeyEscape) || IsKeyHeld(KeyEscape)) mapEscapePressed = true;
    return mapEscapePressed;
}

// Whether the page's "Finish now" has been pressed since the operation began.
static bool FinishSeen() {
    if (PlatformFinishAsked()) mapFinishPressed = true;
    return mapFinishPressed;
}

// A pause that ends early when Escape (or the page's "Finish now") goes down.
static void PauseWatchingEscape(int32_t milliseconds) {
    if (PlatformWaitAnswering(milliseconds, KeyEscape) && !FinishSeen()) mapEscapePressed = true;
}

// Repeats the progress line on the page's status line with the share of the
// map moved so far: "Saving dungeon maps 40 %".
static void RepeatProgress() {
    char line[64];
    const int32_t total = MapChunkCount();
    std::snprintf(line, sizeof line, "%s %d %%", progressLine,
                  static_cast<int>(total > 0 ? 100 * std::clamp(chunksMoved, 0, total) / total : 0));
    PlatformRepeatNotice(line, 0, true);
}

// Between chunks: a frame before each (presented with the progress line and
// bar while the first volume moves; after that only the bar moves on), a
// pause after each and after the last.
// Once Escape is seen, a save goes on without frames or pauses and a load
// stops; once "Finish now" is, either goes on without them.
static bool ShowMapProgress(MapStage stage, bool firstVolume) {
    if (stage == MapChunkMoved) {
        chunksMoved++;
        RepeatProgress();
    }
    if (EscapeSeen()) return savingMap;
    if (FinishSeen()) return true;
    switch (stage) {
    case MapChunkStarting:
        RunFrame();
        if (firstVolume) {
            DrawMapLine(progressLine);
            DrawMapBar(chunksMoved, MapChunkCount());
            KeepProgressPicture();
            PresentScreen();
            PlatformSwapBuffers();
        } else {
            ShowBarOverProgressPicture();
        }
        break;
    case MapChunkMoved: PauseWatchingEscape(MapChunkPauseMilliseconds); break;
    case MapAllMoved:
        RunFrame();
        ShowBarOverProgressPicture();
        PauseWatchingEscape(MapChunkPauseMilliseconds);
        break;
    }
    return !mapEscapePressed || savingMap;
}

// Why a save or load did not end well, by outcome, as its failure line says.
static const char* const MapFailureReasons[] = {
    "",                      // MapDone
    "no map folder",         // MapNoFolder
    "no map saved",          // MapNoMap
    "map not readable",      // MapNotReadable
    "map folder read-only",  // MapFolderReadOnly
    "disk full",             // MapDiskFull
    "map not written",       // MapNotWritten
    "map too short",         // MapTooShort
    "out of memory",         // MapOutOfMemory
    "map not read",          // MapNotRead
    "stopped by Esc",        // MapStopped
};
static_assert(sizeof MapFailureReasons / sizeof MapFailureReasons[0] == MapStopped + 1,
              "one reason for every map outcome");

// Shows doneLine, or failedLine with the outcome's reason, which also goes
// to stderr; after Escape nothing is shown or held, as the program quits.
static void ShowMapOutcomeOf(MapOutcome outcome, const char* doneLine, const char* failedLine) {
    char line[64];
    if (outcome != MapDone) {
        std::snprintf(line, sizeof line, "%s: %s", failedLine, MapFailureReasons[outcome]);
        std::fprintf(stderr, "talvox: %s\n", line);
    }
    if (!mapEscapePressed) ShowMapOutcome(outcome == MapDone ? doneLine : line);
    else PlatformRepeatNotice("", 0, false);
}

// Begins a save or load: no chunk moved, Escape not pressed.
static void BeginMapOperation(const char* line, bool saving) {
    progressLine = line;
    chunksMoved = 0;
    mapEscapePressed = false;
    mapFinishPressed = false;
    savingMap = saving;
    RepeatProgress();
}

// Why the seen file beside a map was not saved or read back, by outcome, as
// its notice says.
static const char* const SeenFailureLines[] = {
    "",                                      // SeenDone
    "Seen cells and trail not saved",        // SeenNotWritten
    "Map unseen: no seen cells saved",       // SeenMissing
    "Map unseen: seen file too short",       // SeenTooShort
    "Map unseen: seen file damaged",         // SeenDamaged
    "Map unseen: seen file of another map",  // SeenOtherMap
};
static_assert(sizeof SeenFailureLines / sizeof SeenFailureLines[0] == SeenOtherMap + 1,
              "one line for every seen file outcome");

// Shows why the seen file failed, once the map's outcome has been read, as
// a notice (also on stderr).
static void ShowSeenOutcome(SeenOutcome outcome) {
    if (outcome == SeenDone) return;
    std::fprintf(stderr, "talvox: %s\n", SeenFailureLines[outcome]);
    if (!mapEscapePressed) ShowNotice(SeenFailureLines[outcome], SeenNoticeMilliseconds);
}

void SaveMap(int32_t n) {
    BeginMapOperation("Saving dungeon maps", true);
    const MapOutcome outcome = SaveMapFile(n, ShowMapProgress);
    // What was seen goes beside the map it belongs to, never beside another.
    const SeenOutcome seen = outcome == MapDone ? SaveSeenFile(n) : SeenDone;
    ShowMapOutcomeOf(outcome, "Map saved", "Saving failed");
    ShowSeenOutcome(seen);
}

void LoadMap(int32_t n) {
    BeginMapOperation("Loading dungeon maps", false);
    const MapOutcome outcome = LoadMapFile(n, ShowMapProgress);
    const SeenOutcome seen = outcome == MapDone ? LoadSeenFile(n) : SeenDone;
    ShowMapOutcomeOf(outcome, "Map loaded", "Loading failed");
    ShowSeenOutcome(seen);
}
