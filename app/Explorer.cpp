// The explorer's entry point body: start-up in its fixed order, then the loop
// that handles one window event per pass, draws a frame when none waits,
// acts on the command keys, and paces such passes to the display's rate.
#include "app/Explorer.h"

#include <cstdio>
#include <cstring>

#include "app/Frames.h"
#include "app/Help.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "app/Notices.h"
#include "app/Platform.h"
#include "app/Screenshots.h"
#include "app/Window.h"
#include "render/Automap.h"
#include "render/Bitmaps.h"
#include "render/Hud.h"
#include "render/Textures.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "sys/DataFolders.h"
#include "sys/Time.h"
#include "world/Generation.h"
#include "world/WorldState.h"

double firstFrameMilliseconds = -1.0;
double pacedPassEnd = -1.0e9;
SwapPace swapPace = SwapPaceUnknown;
static int32_t swapsJudged = 0;
static int32_t swapsWaited = 0;
// The shortest wait PacePass sleeps.
constexpr int32_t ShortestPaceMilliseconds = 2;
static double startMilliseconds = 0.0;
// How long the lines naming refused textures stay over the picture.
constexpr int32_t TextureNoticeMilliseconds = 5000;

// The line naming slot's texture, by its bare file name, and why it was
// refused: "Texture MIRKEL.bmp refused: 8-bit palette".
static void FormatTextureRefusal(int slot, char (&line)[TextLineBytes]) {
    const char* slash = std::strrchr(TextureFiles[slot], '/');
    std::snprintf(line, sizeof line, "Texture %s refused: %s", slash ? slash + 1 : TextureFiles[slot],
                  TextureRefusals[slot]);
}

// Called after the loads: names every texture that did not load on stderr.
static void ReportTextureRefusals() {
    char line[TextLineBytes];
    for (int slot = 0; slot < TextureSlots; slot++) {
        if (!TextureRefusals[slot][0]) continue;
        FormatTextureRefusal(slot, line);
        std::fprintf(stderr, "talvox: %s\n", line);
    }
}

// Called just before the first frame: shows the same lines over the picture
// as far as the notice lines go (the first textures first); the rest are on
// stderr only.
static void ShowTextureRefusals() {
    char line[TextLineBytes];
    int32_t shown = 0;
    for (int slot = 0; slot < TextureSlots; slot++) {
        if (!TextureRefusals[slot][0]) continue;
        FormatTextureRefusal(slot, line);
        shown += NoticeLinesOf(line);
        if (shown > NoticeLines) break;
        ShowNotice(line, TextureNoticeMilliseconds);
    }
}

// Whether the page was last told that a map is shown.
static bool mapControlsShown = false;

// The map's own keys, acting once per press while a map is shown (pressed
// while none is, they are taken and do nothing); and the page's controls
// for them shown or hidden with the maps.
static void ActOnMapKeys() {
    const bool shown = automapShown || cornerMapShown;
    if (TakeKeyPress(KeyPageUp) && shown) BrowseMapLevel(-1);
    if (TakeKeyPress(KeyPageDown) && shown) BrowseMapLevel(1);
    if (TakeKeyPress(KeyHome) && shown) ShowPlayersMapLevel();
    if (TakeKeyPress(KeyEquals) && shown) ZoomMap(1);
    if (TakeKeyPress(KeyMinus) && shown) ZoomMap(-1);
    if (MapZoomAsked() && shown) CycleMapZoom();
    if (shown != mapControlsShown) PlatformShowMapControls(shown);
    mapControlsShown = shown;
}

bool StartExplorer() {
    startMilliseconds = SysMilliseconds();
    AllocateTextureImages();
    FindDataFolders();
    for (int slot = 0; slot < TextureSlots; slot++) {
        char path[DataPathBytes];
        FormatDataPath(dataFolder, TextureFiles[slot], path);
        LoadTextureFile(path, slot);
    }
    ReportTextureRefusals();
    AllocateVolumes();
    AllocateLights();
    RegenerateWorld(0);
    ForgetSwapPace();
    if (!OpenRenderWindow(WindowTitle, ScreenWidth * screenScale, ScreenHeight * screenScale, 16)) return false;
    PrepareScreenBuffers();
    PlatformShowCursor();
    mapControlsShown = false;
    PlatformShowMapControls(false);
    ShowTextureRefusals();
    return true;
}

bool RescaleWindow(int32_t n) {
    screenScale = n;
    picturePlacement = {};
    displayCovered = false;
    CloseRenderWindow();
    ForgetSwapPace();
    if (!OpenRenderWindow(WindowTitle, ScreenWidth * n, ScreenHeight * n, 16)) return false;
    KeyDown[KeyF1 + n - 1] = KeyTapped[KeyF1 + n - 1] = 0;
    return true;
}

bool ToggleFullscreen() {
    if (displayCovered) return RescaleWindow(screenScale);
    int32_t width = 0, height = 0;
    if (PlatformCoverDisplay(&width, &height)) {
        displayCovered = true;
        picturePlacement = CentredPicturePlacement(width, height);
    }
    return true;
}

bool ActOnCommandKeys() {
    if (KeyActs('M') && PlatformMovesWindow()) {
        int32_t x = 0, y = 0;
        PlatformCursorPosition(&x, &y);
        // A fullscreen window stays where it is.
        if (!displayCovered && screenScale >= 1 && screenScale <= 4)
            PlatformMoveWindow(x, y, ScreenWidth * screenScale, ScreenHeight * screenScale);
        PlatformShowCursor();
    }
    // Escape during a save or load: the program quits once the map is whole
    // (a save) or the world put back (a load), with no other key acting.
    mapEscapePressed = false;
    // Each key is asked once a pass, so that a press that came and went
    // while the program was busy acts once; after a save, Ctrl and L are
    // asked again as they are held then.
    if (MapSaveAsked(KeyActs(KeyControl), KeyActs('S'), KeyActs('L'))) SaveMap(0);
    if (!mapEscapePressed && MapLoadAsked(KeyActs(KeyControl), KeyActs('L'))) LoadMap(0);
    if (mapEscapePressed) {
        PostQuit(0);
        EndCommandKeysPass();
        return true;
    }
    if (KeyActs('1')) RegenerateWorld(0);
    if (KeyActs('2')) RegenerateWorld(1);
    if (KeyActs(KeyOpenBracket)) {
        viewRadius -= 1;
        if (viewRadius < 1) viewRadius = 1;
        SysSleep(200);
    }
    if (KeyActs(KeyCloseBracket)) {
        viewRadius += 1;
        if (viewRadius > 60) viewRadius = 60;
        SysSleep(200);
    }
    if (KeyActs('L')) {
        ScatterLights();
        SysSleep(500);
    }
    for (int32_t n = 1; n <= 4; n++)
        if (WasKeyPressed(KeyF1 + n - 1) && !RescaleWindow(n)) return false;
    for (int32_t slot = 0; slot <= 4; slot++)
        if (WasKeyPressed(KeyF5 + slot)) wallTexture = slot;
    if (TakeKeyPress(KeyF11) && !ToggleFullscreen()) return false;
    if (TakeKeyPress(KeyF12)) screenshotDue = true;
    // F10 reaches the program where the platform leaves it to programs (on
    // Windows it is the system's key, never recorded).
    const bool helpKeyPressed = TakeKeyPress('H');
    if (TakeKeyPress(KeyF10) || helpKeyPressed) helpShown = !helpShown;
    if (TakeKeyPress('U')) ToggleHud();
    if (TakeKeyPress('N')) automapShown = !automapShown;
    if (TakeKeyPress('O')) cornerMapShown = !cornerMapShown;
    ActOnMapKeys();
    if (TakeKeyPress(KeyTab)) CapturePointer(!pointerCaptured);
    EndCommandKeysPass();
    return true;
}

double PacedPassEnd(double previousEnd, double now, int32_t passesPerSecond) {
    const double interval = 1000.0 / (passesPerSecond > 0 ? passesPerSecond : 60);
    const double end = previousEnd + interval;
    return end > now ? end : now;
}

void ForgetSwapPace() {
    swapPace = SwapPaceUnknown;
    swapsJudged = swapsWaited = 0;
}

void JudgeSwap(double workBegan, double swapBegan, double swapEnded) {
    if (swapPace == SwapDoesNotWait) return;
    const double interval = 1000.0 / displayRefreshRate;
    const double left = interval - (swapBegan - workBegan);
    // A pass that worked most of an interval leaves the swap too little to
    // tell waiting from working.
    if (left < interval / 4) return;
    const bool waited = swapEnded - swapBegan >= 0.75 * left;
    if (swapPace == SwapPaceUnknown) {
        swapsJudged++;
        if (waited) swapsWaited++;
        if (swapsJudged == SwapsToJudge)
            swapPace = swapsWaited >= WaitingSwapsNeeded ? SwapWaitsForDisplay : SwapDoesNotWait;
        return;
    }
    // Waiting so far: SwapsToJudge swaps in a row that did not wait end it.
    swapsJudged = waited ? 0 : swapsJudged + 1;
    if (swapsJudged >= SwapsToJudge) swapPace = SwapDoesNotWait;
}

// Sleeps what is left of the interval since the last pass that took no
// message, so that frames come at the display's rate where the swap does not
// wait for it. Where it does, the display paces the loop, and sleeping to the
// whole-number rate it reports as well would drift against the display's
// true rate (59.94 Hz reported as 59) and drop frames. While minimised
// nothing can be seen, and such passes come only MinimisedPassesPerSecond
// times a second.
static void PacePass() {
    const double now = SysMilliseconds();
    if (windowActive && swapPace == SwapWaitsForDisplay) {
        pacedPassEnd = now;
        return;
    }
    const int32_t rate = windowActive ? displayRefreshRate : MinimisedPassesPerSecond;
    const double end = PacedPassEnd(pacedPassEnd, now, rate);
    // Whole milliseconds, rounded down; the next pass is measured from the
    // planned end, so the rounding does not add up. A wait under
    // ShortestPaceMilliseconds is skipped (where the swap waits for the
    // display, what is left is that small, and a sleep can last longer).
    const int32_t wait = static_cast<int32_t>(end - now);
    if (wait >= ShortestPaceMilliseconds) SysSleep(wait);
    pacedPassEnd = end;
}

int RunMainLoop() {
    bool done = false;
    int exitCode = 0;
    double workBegan = SysMilliseconds();
    while (!done) {
        if (quitPosted) {
            quitPosted = false;
            exitCode = quitCode;
            done = true;
            continue;
        }
        WindowEvent event;
        if (PlatformTakeEvent(&event)) {
            HandleWindowEvent(event);
            continue;
        }

        if (windowActive) {
            RunFrame();
            if (screenshotDue) {
                screenshotDue = false;
                SaveScreenshot();
            }
            // Over the picture but not in its screenshot; the notices stay
            // readable over it.
            if (helpShown) DrawHelpPanel();
            DrawNotices();
        } else {
            // No frame reads the pad: nothing it held while unread stays held.
            LetGoOfPad();
        }
        if (WasKeyPressed(KeyEscape)) {
            // A normal quit with Escape reports success, not the last
            // message's parameter (which would be the Escape key's code).
            done = true;
            continue;
        }
        PresentScreen();
        const double swapBegan = SysMilliseconds();
        PlatformSwapBuffers();
        const double swapEnded = SysMilliseconds();
        if (windowActive) JudgeSwap(workBegan, swapBegan, swapEnded);
        if (firstFrameMilliseconds < 0.0) firstFrameMilliseconds = swapEnded - startMilliseconds;
        if (!ActOnCommandKeys()) return 0;
        PacePass();
        workBegan = SysMilliseconds();
    }
    CloseRenderWindow();
    return exitCode;
}

int RunExplorer() {
    if (!StartExplorer()) return 0;
    return RunMainLoop();
}
