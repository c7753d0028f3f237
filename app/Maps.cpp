// The shell around map saving and loading: while the map file moves, every
// chunk gets a frame, the first volume's chunks a progress line presented on
// the screen, and a one-second pause; the window takes no message meanwhile,
// though the pauses keep answering the desktop. The outcome, good or bad, is
// then held on the screen for two seconds.
#include "app/Maps.h"

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
    case MapChunkMoved:
        PlatformWaitAnswering(MapChunkPauseMilliseconds);
        break;
    case MapAllMoved:
        DrawFrame();
        PlatformWaitAnswering(MapChunkPauseMilliseconds);
        break;
    }
}

void SaveMap(int32_t n) {
    progressLine = "Saving dungeon maps";
    switch (SaveMapFile(n, ShowMapProgress)) {
    case MapDone:
        ShowMapOutcome("Map saved");
        break;
    case MapNoFolder:
        ShowMapOutcome("Saving failed: no map folder");
        break;
    case MapFolderReadOnly:
        ShowMapOutcome("Saving failed: map folder read-only");
        break;
    case MapDiskFull:
        ShowMapOutcome("Saving failed: disk full");
        break;
    case MapNotWritten:
    default:
        ShowMapOutcome("Saving failed: map not written");
        break;
    }
}

void LoadMap(int32_t n) {
    progressLine = "Loading dungeon maps";
    switch (LoadMapFile(n, ShowMapProgress)) {
    case MapDone:
        ShowMapOutcome("Map loaded");
        break;
    case MapTooShort:
        ShowMapOutcome("Loading failed: map too short");
        break;
    case MapOutOfMemory:
        ShowMapOutcome("Loading failed: out of memory");
        break;
    case MapNoFolder:
        ShowMapOutcome("Loading failed: no map folder");
        break;
    case MapNoMap:
        ShowMapOutcome("Loading failed: no map saved");
        break;
    case MapNotReadable:
        ShowMapOutcome("Loading failed: map not readable");
        break;
    case MapNotRead:
    default:
        ShowMapOutcome("Loading failed: map not read");
        break;
    }
}
