// The shell around map saving and loading: while the map file moves, every
// chunk gets a frame, the first volume's chunks a progress line presented on
// the screen, and a one-second pause; the window takes no message meanwhile,
// though the pauses keep answering the desktop. The outcome, good or bad, is
// then held on the screen for two seconds.
#include "app/Maps.h"

#include <cstdio>

#include "app/Frames.h"
#include "app/Platform.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "world/MapFile.h"

// Where the progress and failure lines are drawn.
constexpr int32_t MapLineX = 20;
constexpr int32_t MapLineY = 100;

// The progress line of the operation under way.
static const char* progressLine = "";

// Draws line in the map line's place and colour over the current picture.
static void DrawMapLine(const char* line) {
    FormatTextLine("%s", line);
    DrawTextLine(MapLineX, MapLineY, 255, 255, 0);
}

// Shows the outcome over a fresh frame and holds it for the user to read.
static void ShowMapOutcome(const char* message) {
    DrawFrame();
    DrawMapLine(message);
    PresentScreen();
    PlatformSwapBuffers();
    PlatformWaitAnswering(MapOutcomePauseMilliseconds);
}

// Between chunks: a frame before each (presented with the progress line
// while the first volume moves), a pause after each and after the last.
static void ShowMapProgress(MapStage stage, bool firstVolume) {
    switch (stage) {
    case MapChunkStarting:
        DrawFrame();
        if (firstVolume) {
            DrawMapLine(progressLine);
            PresentScreen();
            PlatformSwapBuffers();
        }
        break;
    case MapChunkMoved: PlatformWaitAnswering(MapChunkPauseMilliseconds); break;
    case MapAllMoved:
        DrawFrame();
        PlatformWaitAnswering(MapChunkPauseMilliseconds);
        break;
    }
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
};
static_assert(sizeof MapFailureReasons / sizeof MapFailureReasons[0] == MapNotRead + 1,
              "one reason for every map outcome");

// Shows doneLine, or failedLine with the outcome's reason.
static void ShowMapOutcomeOf(MapOutcome outcome, const char* doneLine, const char* failedLine) {
    if (outcome == MapDone) {
        ShowMapOutcome(doneLine);
        return;
    }
    char line[64];
    std::snprintf(line, sizeof line, "%s: %s", failedLine, MapFailureReasons[outcome]);
    ShowMapOutcome(line);
}

void SaveMap(int32_t n) {
    progressLine = "Saving dungeon maps";
    ShowMapOutcomeOf(SaveMapFile(n, ShowMapProgress), "Map saved", "Saving failed");
}

void LoadMap(int32_t n) {
    progressLine = "Loading dungeon maps";
    ShowMapOutcomeOf(LoadMapFile(n, ShowMapProgress), "Map loaded", "Loading failed");
}
