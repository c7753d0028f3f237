// The main loop and its command keys, driven through the scripted platform.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/Explorer.h"
#include "app/Help.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "app/Screenshots.h"
#include "app/Window.h"
#include "platform/XInputPad.h"
#include "render/Automap.h"
#include "render/Hud.h"
#include "render/Textures.h"
#include "screen/Screen.h"
#include "sys/DataFolders.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/Player.h"
#include "world/WorldState.h"

// Opens the scripted window as start-up would, without repainting anything.
static void OpenForTest() {
    ResetProgramState();
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
}

TEST(CommandKeys, RadiusStepsDownToOneWithAPauseEachPass) {
    OpenForTest();
    scriptedKeys[KeyOpenBracket] = true;
    for (int pass = 0; pass < 11; pass++) ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(viewRadius, 1);
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(viewRadius, 1);
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>(12, 200));
}

TEST(CommandKeys, RadiusStopsAtSixty) {
    OpenForTest();
    viewRadius = 58;
    scriptedKeys[KeyCloseBracket] = true;
    for (int pass = 0; pass < 5; pass++) ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(viewRadius, 60);
    EXPECT_EQ(scriptedClock, 1000.0);
}

TEST(CommandKeys, BothBracketsHeldStepDownThenUp) {
    OpenForTest();
    scriptedKeys[KeyOpenBracket] = scriptedKeys[KeyCloseBracket] = true;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(viewRadius, 12);
    EXPECT_EQ(scriptedSleeps, (std::vector<int32_t>{200, 200}));
}

TEST(CommandKeys, FunctionKeysRescaleInOrderAndTheLastWins) {
    OpenForTest();
    KeyDown[KeyF1] = KeyDown[KeyF1 + 1] = KeyDown[KeyF4] = 1;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(screenScale, 4);
    EXPECT_EQ(scriptedCloseCount, 3);
    EXPECT_EQ(scriptedOpenCount, 4);
    EXPECT_EQ(scriptedWindowWidth, 1280);
    EXPECT_EQ(scriptedWindowHeight, 960);
    EXPECT_EQ(KeyDown[KeyF1] + KeyDown[KeyF1 + 1] + KeyDown[KeyF4], 0);
}

TEST(CommandKeys, TheCurrentScaleStillReopens) {
    OpenForTest();
    KeyDown[KeyF1 + 2] = 1;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(screenScale, 3);
    EXPECT_EQ(scriptedCloseCount, 1);
    EXPECT_EQ(scriptedOpenCount, 2);
    EXPECT_EQ(KeyDown[KeyF1 + 2], 0);
}

TEST(CommandKeys, FailedRescaleEndsTheLoop) {
    OpenForTest();
    scriptedOpensBeforeFailure = 0;
    KeyDown[KeyF1 + 1] = 1;
    EXPECT_FALSE(ActOnCommandKeys());
    EXPECT_EQ(KeyDown[KeyF1 + 1], 1);
}

TEST(CommandKeys, F11CoversTheDisplayOncePerPressAndF11OrF1ReturnToAWindow) {
    OpenForTest();
    scriptedDisplayWidth = 1720;
    scriptedDisplayHeight = 1250;
    auto pressF11 = [] {
        HandleWindowEvent(KeyEvent(KeyF11, false));
        HandleWindowEvent(KeyEvent(KeyF11, true));
        return ActOnCommandKeys();
    };
    ASSERT_TRUE(pressF11());
    EXPECT_EQ(scriptedOpenCount, 1);
    EXPECT_EQ(scriptedWindowWidth, 1720);
    EXPECT_EQ(scriptedWindowHeight, 1250);
    EXPECT_EQ(picturePlacement.zoom, 5);
    EXPECT_EQ(picturePlacement.left, 60);
    EXPECT_EQ(picturePlacement.top, 25);
    EXPECT_EQ(picturePlacement.bottom, 25);
    // The key's repeats while it is held are not presses.
    HandleWindowEvent(KeyEvent(KeyF11, true));
    ASSERT_TRUE(ActOnCommandKeys());
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(picturePlacement.zoom, 5);

    // Mouse-look through the zoom and margins; a margin is the picture's edge.
    scriptedKeys[KeyRightButton] = true;
    mouseX = 60 + 5 * 100 + 4;
    mouseY = 25 + 5 * 50;
    PlayerInput input = ReadPlayerInput();
    EXPECT_EQ(input.lookX, 100);
    EXPECT_EQ(input.lookY, 50);
    mouseX = 10;
    mouseY = 1249;
    input = ReadPlayerInput();
    EXPECT_EQ(input.lookX, 0);
    EXPECT_EQ(input.lookY, 239);
    scriptedKeys[KeyRightButton] = false;
    // A dragged finger and the captured pointer turn by the picture's zoom,
    // not the window's scale: 10 window pixels are 2 picture units.
    input = ReadPlayerInput();
    HandleWindowEvent({WindowTouchLook, 0, 10, -10, false, false});
    input = ReadPlayerInput();
    EXPECT_FLOAT_EQ(input.turnX, 2.0f);
    EXPECT_FLOAT_EQ(input.turnY, -2.0f);

    ASSERT_TRUE(pressF11());
    EXPECT_EQ(picturePlacement.zoom, 0);
    EXPECT_EQ(scriptedOpenCount, 2);
    EXPECT_EQ(scriptedWindowWidth, 960);
    EXPECT_EQ(scriptedWindowHeight, 720);

    ASSERT_TRUE(pressF11());
    KeyDown[KeyF1] = 1;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(picturePlacement.zoom, 0);
    EXPECT_EQ(scriptedWindowWidth, 320);
    EXPECT_EQ(scriptedWindowHeight, 240);
    KeyDown[KeyF1] = 0;

    // Displays that are not 4:3 take the zoom of the side that fits fewer
    // pictures, so that none of the picture (the HUD at its foot) is cut off.
    struct Display {
        int32_t width, height, zoom, left, top, bottom;
    };
    for (const Display& d : {Display{1920, 1080, 4, 320, 60, 60}, Display{1366, 768, 3, 203, 24, 24},
                             Display{1080, 1920, 3, 60, 600, 600}}) {
        scriptedDisplayWidth = d.width;
        scriptedDisplayHeight = d.height;
        ASSERT_TRUE(pressF11());
        EXPECT_EQ(picturePlacement.zoom, d.zoom) << d.width << " x " << d.height;
        EXPECT_EQ(picturePlacement.left, d.left) << d.width << " x " << d.height;
        EXPECT_EQ(picturePlacement.top, d.top) << d.width << " x " << d.height;
        EXPECT_EQ(picturePlacement.bottom, d.bottom) << d.width << " x " << d.height;
        ASSERT_TRUE(pressF11());
    }
}

TEST(CommandKeys, HAndF10ToggleTheHelpUTheHudAndNTheMapOncePerPress) {
    OpenForTest();
    // Down, held through a second pass, up: each press acts once.
    auto press = [](int32_t key) {
        HandleWindowEvent(KeyEvent(key, true));
        EXPECT_TRUE(ActOnCommandKeys());
        EXPECT_TRUE(ActOnCommandKeys());
        HandleWindowEvent(KeyEvent(key, false));
        EXPECT_TRUE(ActOnCommandKeys());
    };
    EXPECT_FALSE(helpShown);
    EXPECT_TRUE(hudShown);
    press('H');
    EXPECT_TRUE(helpShown);
    press(KeyF10);
    EXPECT_FALSE(helpShown);
    press(KeyF10);
    EXPECT_TRUE(helpShown);
    press('H');
    EXPECT_FALSE(helpShown);
    press('U');
    EXPECT_FALSE(hudShown);
    EXPECT_FALSE(helpShown);
    press('U');
    EXPECT_TRUE(hudShown);
    // A finger on the page leaves the HUD's key lines out; U then hides and
    // shows that touch HUD, never the key lines.
    HandleWindowEvent({WindowTouched, 0, 0, 0, false, false});
    EXPECT_FALSE(hudKeyLinesShown);
    press('U');
    EXPECT_FALSE(hudShown);
    press('U');
    EXPECT_TRUE(hudShown);
    EXPECT_FALSE(hudKeyLinesShown);
    // The map's keys act only while a map is shown, and the page is told.
    press(KeyPageUp);
    press(KeyEquals);
    EXPECT_TRUE(automapFollowsPlayer && automapZoom == 2 && !scriptedMapControlsShown);
    press('N');
    EXPECT_TRUE(automapShown && scriptedMapControlsShown);
    press('O');
    press('N');
    EXPECT_TRUE(!automapShown && cornerMapShown && scriptedMapControlsShown);
    press(KeyPageUp);
    press(KeyPageUp);
    press(KeyPageDown);
    EXPECT_EQ(ShownMapLevel(), SZ - 1);
    press(KeyHome);
    EXPECT_EQ(ShownMapLevel(), SZ);
    for (int32_t key : {KeyEquals, KeyEquals, KeyEquals}) press(key);
    EXPECT_EQ(automapZoom, 4);
    for (int32_t key : {KeyMinus, KeyMinus, KeyMinus}) press(key);
    EXPECT_EQ(automapZoom, 1);
    for (int32_t zoom : {2, 4, 1}) {
        HandleWindowEvent({WindowZoomAsked, 0, 0, 0, false, false});
        ASSERT_TRUE(ActOnCommandKeys());
        EXPECT_EQ(automapZoom, zoom) << "the page's Zoom steps round 1, 2 and 4";
    }
    press('O');
    EXPECT_FALSE(cornerMapShown || scriptedMapControlsShown);
}

// What a key that acts once per press has done, as one flag.
static bool EffectOf(int32_t key) {
    switch (key) {
    case KeyF11: return picturePlacement.zoom > 0;
    case KeyF12: return screenshotDue;
    case 'U': return hudShown;
    case KeyTab: return pointerCaptured;
    default: return helpShown;  // H, F10
    }
}

TEST(CommandKeys, ATapAndThenAHeldPressEachActOnce) {
    for (int32_t key : {KeyF11, KeyF12, int32_t{'H'}, KeyF10, int32_t{'U'}, KeyTab}) {
        OpenForTest();
        // Tapped: down and up before the keys act; then pressed and held.
        for (bool tapped : {true, false}) {
            HandleWindowEvent(KeyEvent(key, true));
            if (tapped) HandleWindowEvent(KeyEvent(key, false));
            const bool before = EffectOf(key);
            ASSERT_TRUE(ActOnCommandKeys());
            EXPECT_NE(EffectOf(key), before) << "key " << key << (tapped ? " tapped" : " held");
            screenshotDue = false;
            // Held through another pass, it does not act again.
            const bool after = EffectOf(key);
            ASSERT_TRUE(ActOnCommandKeys());
            EXPECT_EQ(EffectOf(key), after) << "key " << key << " acted again while held";
        }
        HandleWindowEvent(KeyEvent(key, false));
    }
    // Tapped twice before the keys act (as during a save): each tap acts
    // once, a pass each, a polled key as a key that acts once per press.
    OpenForTest();
    for (int32_t key : {int32_t{'H'}, KeyCloseBracket})
        for (bool down : {true, false, true, false}) HandleWindowEvent(KeyEvent(key, down));
    for (int32_t pass = 1; pass <= 3; pass++) {
        ASSERT_TRUE(ActOnCommandKeys());
        EXPECT_EQ(viewRadius, 12 + std::min(pass, 2)) << "pass " << pass;
        EXPECT_EQ(helpShown, pass == 1) << "pass " << pass;
    }
    // Held as a pass looks, before its key-down is taken from the queue:
    // that press has acted, and does not act again once taken.
    scriptedKeys[KeyCloseBracket] = true;
    ASSERT_TRUE(ActOnCommandKeys());
    scriptedKeys[KeyCloseBracket] = false;
    for (bool down : {true, false}) HandleWindowEvent(KeyEvent(KeyCloseBracket, down));
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(viewRadius, 15) << "a press acted on as held acted again";
}

TEST(CommandKeys, WhereThePointerCannotBeCapturedTheMouseStillLooks) {
    OpenForTest();
    scriptedCaptureRefused = true;
    mouseX = 480;
    mouseY = 360;
    HandleWindowEvent(KeyEvent(KeyTab, true));
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_FALSE(pointerCaptured);
    scriptedKeys[KeyLeftButton] = true;
    HandleWindowEvent(MouseMoveEvent(483, 300));
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 161.0f * 2.0f + 20.0f);
    EXPECT_EQ(pitch, 100.0f - 30.0f);
}

TEST(CommandKeys, AGamepadWalksTurnsAndPressesItsKeysAndLetsAllGoWhenPulledOut) {
    OpenForTest();
    scriptedPad.connected = true;
    // Within the dead zone a stick is centred, whichever way it leans;
    // beyond it, it walks as keys do.
    for (float lean : {-0.2f, 0.2f}) {
        scriptedPad.leftX = scriptedPad.leftY = lean;
        ReadPad();
        const WalkInput drifting = ReadWalkInput();
        EXPECT_FALSE(drifting.forward || drifting.backward || drifting.left || drifting.right) << "lean " << lean;
    }
    scriptedPad.leftY = -0.9f;
    scriptedPad.leftX = 0.5f;
    ReadPad();
    WalkInput walk = ReadWalkInput();
    EXPECT_TRUE(walk.forward && walk.right && !walk.backward && !walk.left);
    // The right stick turns by the time since the last read: all the way
    // right for 100 ms is 12 degrees; up for 50 ms looks up 6 degrees.
    yaw = 100.0f;
    pitch = 90.0f;
    scriptedPad.rightX = 1.0f;
    scriptedClock += 100.0;
    ReadPad();
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(yaw, 112.0f);
    scriptedPad.rightX = 0.0f;
    scriptedPad.rightY = -1.0f;
    scriptedClock += 50.0;
    ReadPad();
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(pitch, 96.0f);
    // After a five-second pause the stick turns no further than in 100 ms.
    scriptedPad.rightX = 1.0f;
    scriptedPad.rightY = 0.0f;
    scriptedClock += 5000.0;
    ReadPad();
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(yaw, 124.0f) << "a pause swung the view";
    scriptedPad.rightX = 0.0f;
    // The right stick pressed in looks level, the yaw kept.
    scriptedPad.buttons[PadRightStick] = true;
    ReadPad();
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(pitch, 90.0f);
    EXPECT_FLOAT_EQ(yaw, 124.0f);
    scriptedPad.buttons[PadRightStick] = false;
    // A holds T; Start shows the help once per press.
    scriptedPad.buttons[PadA] = scriptedPad.buttons[PadStart] = true;
    for (int pass = 0; pass < 2; pass++) {
        ReadPad();
        EXPECT_TRUE(IsKeyHeld('T'));
        ASSERT_TRUE(ActOnCommandKeys());
        EXPECT_TRUE(helpShown) << "pass " << pass;
    }
    // Pulled out mid-walk: nothing walks, turns or stays held.
    scriptedPad.connected = false;
    ReadPad();
    walk = ReadWalkInput();
    EXPECT_FALSE(walk.forward || walk.right || IsKeyHeld('T'));
    EXPECT_EQ(KeyDown['H'], 0);
    // XInput's pad (Windows): its sticks count up positive; A is bit 0x1000,
    // Start 0x0010, Back 0x0020 and the right stick pressed in 0x0080.
    scriptedPad = PadFromXInput(0x1000, -32768, 32767, 0, 0);
    ReadPad();
    walk = ReadWalkInput();
    EXPECT_TRUE(walk.forward && walk.left && !walk.backward && !walk.right && IsKeyHeld('T'));
    const PadState start = PadFromXInput(0x0010, 0, 0, 0, 0), back = PadFromXInput(0x0020, 0, 0, 0, 0);
    EXPECT_TRUE(start.buttons[PadStart] && !start.buttons[PadBack]);
    EXPECT_TRUE(back.buttons[PadBack] && !back.buttons[PadStart]);
    EXPECT_TRUE(PadFromXInput(0x0080, 0, 0, 0, 0).buttons[PadRightStick]);
}

// What the pad holds is what it holds now: let go while the window is
// minimised, or during a save, it holds nothing; and a key the keyboard
// still holds stays down when the pad lets go of it.
TEST(CommandKeys, APadHoldsOnlyWhatItHoldsNowAndNeverLetsGoOfTheKeyboardsKeys) {
    OpenForTest();
    scriptedPad.connected = true;
    scriptedPad.buttons[PadLeftShoulder] = true;
    scriptedOnSwap = [](int swaps) {
        // LB let go while the window is minimised: the radius stops.
        if (swaps == 1) {
            QueueEvent(ActivateEvent(true, false));
            scriptedPad.buttons[PadLeftShoulder] = false;
        }
        if (swaps == 6) KeyDown[KeyEscape] = 1;
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(viewRadius, 11) << "LB let go while minimised went on stepping the radius";

    // The stick let go as a save begins: its frames walk no further.
    ResetProgramState();
    ASSERT_TRUE(EnterScratchFolder("talvox-pad-save"));
    std::filesystem::create_directories("map");
    scriptedPad.connected = true;
    scriptedPad.leftY = -1.0f;
    scriptedKeys[KeyControl] = scriptedKeys['S'] = true;
    bool walkedAfterLetGo = false;
    scriptedOnSwap = [&](int swaps) {
        if (swaps == 2) scriptedPad.leftY = 0.0f;
        if (swaps > 2) walkedAfterLetGo = walkedAfterLetGo || ReadWalkInput().forward;
        if (swaps == 4) scriptedKeys[KeyControl] = scriptedKeys['S'] = false;
    };
    ReadPad();  // as the loop's frame before the keys act
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_GT(scriptedSwaps, 4);
    EXPECT_FALSE(walkedAfterLetGo) << "the stick went on walking through the save's frames";
    LeaveScratchFolder();

    // H held on the keyboard while Start is pressed and let go: the
    // keyboard's repeats are not new presses.
    OpenForTest();
    scriptedPad.connected = true;
    HandleWindowEvent(KeyEvent('H', true));
    ASSERT_TRUE(ActOnCommandKeys());
    for (bool start : {true, false}) {
        scriptedPad.buttons[PadStart] = start;
        ReadPad();
        HandleWindowEvent(KeyEvent('H', true));
        ASSERT_TRUE(ActOnCommandKeys());
        EXPECT_TRUE(helpShown) << "Start " << (start ? "pressed" : "let go") << " while H was held";
    }
    EXPECT_EQ(KeyDown['H'], 1) << "the pad let go of H the keyboard holds";
    // The focus lost, the keyboard's keys go up where it went: none sticks.
    HandleWindowEvent(KeyEvent(KeyF5 + 2, true));
    HandleWindowEvent(ActivateEvent(false, false));
    EXPECT_EQ(KeyDown['H'] + KeyDown[KeyF5 + 2], 0) << "a key held as the focus left stuck";
    // Start held through a minimise acts once: read again, still held, it
    // is no new press.
    const bool shown = helpShown;
    scriptedPad.buttons[PadStart] = true;
    ReadPad();
    ASSERT_TRUE(ActOnCommandKeys());
    LetGoOfPad();
    LetGoOfPad();
    ReadPad();
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_NE(helpShown, shown) << "Start held through a minimise toggled the help again";
}

// Tab pressed once: down, a pass of the command keys, up.
static void TapTab() {
    HandleWindowEvent(KeyEvent(KeyTab, true));
    ASSERT_TRUE(ActOnCommandKeys());
    HandleWindowEvent(KeyEvent(KeyTab, false));
}

TEST(CommandKeys, TabCapturesThePointerWhichTurnsTheViewAsFarAsTheMousePositionWouldUpToTheVertical) {
    for (int32_t scale : {1, 4}) {
        ResetProgramState();
        screenScale = scale;
        ASSERT_TRUE(OpenRenderWindow(WindowTitle, 320 * scale, 240 * scale, 16));
        // A finger dragged over the picture turns as far, without a capture.
        yaw = 100.0f;
        pitch = 90.0f;
        HandleWindowEvent({WindowTouchLook, 0, 4, 8, false, false});
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_FLOAT_EQ(yaw, 100.0f + 8.0f / static_cast<float>(scale)) << "touch, scale " << scale;
        EXPECT_FLOAT_EQ(pitch, 90.0f + 8.0f / static_cast<float>(scale)) << "touch, scale " << scale;
        yaw = 100.0f;
        pitch = 90.0f;
        TapTab();
        ASSERT_TRUE(scriptedPointerCaptured) << "scale " << scale;
        // 2 degrees of yaw and 1 of pitch a picture unit, as the mouse
        // position maps them: 4 x 8 window pixels turn 8/scale and 8/scale.
        HandleWindowEvent(PointerMotionEvent(4, 0));
        HandleWindowEvent(PointerMotionEvent(0, 8));
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_FLOAT_EQ(yaw, 100.0f + 8.0f / static_cast<float>(scale)) << "scale " << scale;
        EXPECT_FLOAT_EQ(pitch, 90.0f + 8.0f / static_cast<float>(scale)) << "scale " << scale;
        // The motion was taken: the next frame turns nothing more.
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_FLOAT_EQ(yaw, 100.0f + 8.0f / static_cast<float>(scale)) << "scale " << scale;
        // Buttons held do not look by the position meanwhile.
        scriptedKeys[KeyRightButton] = true;
        mouseX = 300;
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_FLOAT_EQ(yaw, 100.0f + 8.0f / static_cast<float>(scale)) << "scale " << scale;
        // The pitch stops at straight down and straight up.
        HandleWindowEvent(PointerMotionEvent(0, 1000 * scale));
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_EQ(pitch, 180.0f) << "scale " << scale;
        HandleWindowEvent(PointerMotionEvent(0, -5000 * scale));
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_EQ(pitch, 0.0f) << "scale " << scale;
    }
}

TEST(CommandKeys, ReleasingTheCapturedPointerKeepsTheViewUntilThePointerMovesWithAButton) {
    OpenForTest();
    mouseX = 480;
    mouseY = 360;
    yaw = 33.0f;
    pitch = 77.0f;
    for (int release = 0; release < 3; release++) {
        TapTab();
        ASSERT_TRUE(pointerCaptured);
        HandleWindowEvent(PointerMotionEvent(3, -3));
        UpdateViewAngles(ReadPlayerInput());
        const float capturedYaw = yaw, capturedPitch = pitch;
        // Tab again, the focus lost, a minimise: each gives the pointer back.
        if (release == 0) TapTab();
        if (release == 1) HandleWindowEvent(ActivateEvent(false, false));
        if (release == 2) HandleWindowEvent(ActivateEvent(true, false));
        EXPECT_FALSE(scriptedPointerCaptured) << "release " << release;
        EXPECT_FALSE(pointerCaptured) << "release " << release;
        // A button pressed where the pointer is keeps the angles; so do
        // frames without one.
        UpdateViewAngles(ReadPlayerInput());
        scriptedKeys[KeyLeftButton] = true;
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_EQ(yaw, capturedYaw) << "release " << release;
        EXPECT_EQ(pitch, capturedPitch) << "release " << release;
        // Moved with it held, the view follows the position as before.
        HandleWindowEvent(MouseMoveEvent(mouseX + 3, mouseY));
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_EQ(yaw, static_cast<float>(mouseX / 3) * 2.0f + 20.0f) << "release " << release;
        EXPECT_EQ(pitch, static_cast<float>(mouseY / 3) - 30.0f) << "release " << release;
        scriptedKeys[KeyLeftButton] = false;
        HandleWindowEvent(ActivateEvent(false, true));
        // Captured again, the view starts from where it is.
        const float before = yaw;
        TapTab();
        UpdateViewAngles(ReadPlayerInput());
        EXPECT_EQ(yaw, before) << "release " << release;
        TapTab();
    }
    EXPECT_EQ(scriptedPointerCaptures, 6);
}

TEST(CommandKeys, WallTextureKeysStayHeldAndTheHighestWins) {
    OpenForTest();
    KeyDown[KeyF5 + 3] = 1;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(wallTexture, 3);
    EXPECT_EQ(KeyDown[KeyF5 + 3], 1);
    KeyDown[KeyF5] = 1;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(wallTexture, 3);
    KeyDown[KeyF5 + 3] = 0;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(wallTexture, 0);
}

TEST(CommandKeys, MMovesTheWindowToTheCursorAtTheCurrentScale) {
    OpenForTest();
    screenScale = 2;
    scriptedCursorX = 300;
    scriptedCursorY = 77;
    scriptedKeys['M'] = true;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(scriptedWindowX, 300);
    EXPECT_EQ(scriptedWindowY, 77);
    EXPECT_EQ(scriptedWindowWidth, 640);
    EXPECT_EQ(scriptedWindowHeight, 480);
    EXPECT_EQ(scriptedCursorShows, 1);
}

TEST(CommandKeys, LScattersWithAHalfSecondPause) {
    OpenForTest();
    scriptedKeys['L'] = true;
    ASSERT_TRUE(ActOnCommandKeys());
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{500});
}

TEST(MainLoop, EscapeEndsTheLoopEvenWhileInactive) {
    OpenForTest();
    windowActive = 0;
    KeyDown[KeyEscape] = 1;
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(frameCounter, 0);
    EXPECT_EQ(scriptedSwaps, 0);
    EXPECT_EQ(scriptedCloseCount, 1);
}

TEST(MainLoop, InactiveWindowPresentsWithoutFramesAndKeysStillAct) {
    OpenForTest();
    windowActive = 0;
    scriptedKeys[KeyCloseBracket] = true;
    scriptedOnSwap = [](int swaps) {
        if (swaps == 3) KeyDown[KeyEscape] = 1;
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(frameCounter, 0);
    EXPECT_EQ(scriptedSwaps, 3);
    EXPECT_EQ(viewRadius, 15);
}

TEST(MainLoop, MessagesAreHandledAheadOfFrames) {
    OpenForTest();
    QueueEvent(MouseMoveEvent(10, 20));
    QueueEvent(KeyEvent(KeyF5 + 2, true));
    QueueEvent(ActivateEvent(false, true));
    scriptedOnSwap = [](int swaps) {
        if (swaps == 1) {
            EXPECT_EQ(frameCounter, 1);
            EXPECT_EQ(mouseX, 10);
            EXPECT_EQ(mouseY, 20);
            KeyDown[KeyEscape] = 1;
        }
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(scriptedSwaps, 1);
    EXPECT_EQ(wallTexture, 2);
}

// The queue the backends share: events are taken in the order they came,
// and a wait finds a tap of its stop key among those waiting.
TEST(MainLoop, EventsAreTakenInTheirOrderAndAWaitFindsATappedStopKey) {
    OpenForTest();
    QueueEvent(KeyEvent('H', true));
    QueueEvent(KeyEvent('H', false));
    scriptedOnSwap = [](int) { KeyDown[KeyEscape] = 1; };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_TRUE(helpShown);
    EXPECT_EQ(KeyDown['H'], 0) << "the tap's key-up was taken before its key-down";

    OpenForTest();
    scriptedOnSleep = [](int32_t) {
        QueueEvent(KeyEvent(KeyEscape, true));
        QueueEvent(KeyEvent(KeyEscape, false));
    };
    EXPECT_TRUE(PlatformWaitAnswering(1000, KeyEscape)) << "a tapped stop key was missed";
    EXPECT_FALSE(PlatformWaitAnswering(1000, 'Q'));
}

// F12 with the help panel shown: the picture is saved without the panel,
// the same file as with the panel off.
TEST(MainLoop, AScreenshotHoldsThePictureWithoutTheHelpPanel) {
    ASSERT_TRUE(EnterScratchFolder("talvox-help-screenshot"));
    for (bool help : {false, true}) {
        OpenForTest();
        helpShown = help;
        QueueEvent(KeyEvent(KeyF12, true));
        QueueEvent(KeyEvent(KeyF12, false));
        scriptedOnSwap = [](int swaps) {
            if (swaps == 2) KeyDown[KeyEscape] = 1;
        };
        EXPECT_EQ(RunMainLoop(), 0);
    }
    const std::vector<std::string> names = FolderEntries("screenshots");
    EXPECT_EQ(names.size(), 2u);
    if (names.size() == 2) {
        const std::vector<uint8_t> first = ReadFileBytes("screenshots/" + names[0]);
        EXPECT_GT(first.size(), 8u);
        EXPECT_TRUE(first == ReadFileBytes("screenshots/" + names[1])) << "the help panel is in the screenshot";
    }
    LeaveScratchFolder();
}

TEST(MainLoop, PassesWithoutAMessageArePacedToTheDisplayAndMessagesAreNot) {
    ResetProgramState();
    scriptedRefreshRate = 50;  // a 20 ms interval
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    for (int i = 0; i < 100; i++) QueueEvent(MouseMoveEvent(i, 0));
    scriptedOnSwap = [](int swaps) {
        if (swaps == 1) {
            EXPECT_TRUE(scriptedSleeps.empty()) << "a pass that took a message slept";
        }
        // Each pass works 3 ms; the tenth is late by 30 ms more.
        scriptedClock += swaps == 10 ? 33.0 : 3.0;
        if (swaps == 30) KeyDown[KeyEscape] = 1;
    };
    EXPECT_EQ(RunMainLoop(), 0);
    // The first paced pass has nothing to wait for, the late one neither, and
    // the one after it waits its whole rest again rather than catching up.
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>(28, 17));
    EXPECT_EQ(scriptedClock, 3.0 + 8 * 20.0 + 33.0 + 20 * 20.0);

    // Minimised, the passes come ten times a second.
    ResetProgramState();
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    windowActive = 0;
    scriptedOnSwap = [](int swaps) {
        scriptedClock += 3.0;
        if (swaps == 5) KeyDown[KeyEscape] = 1;
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>(4, 97));

    // Where the swap waits for a display of 59.94 Hz, reported as 59 or as
    // 60, the loop does not sleep on top of it: sleeping to the reported
    // rate would drift against the display and drop a frame every second.
    for (int32_t reported : {59, 60}) {
        ResetProgramState();
        scriptedRefreshRate = reported;
        ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
        static std::vector<double> swapTimes;
        swapTimes.clear();
        scriptedOnSwap = [](int swaps) {
            // 3 ms of work before the swap, which returns at the display's
            // next refresh.
            constexpr double refresh = 1000.0 / 59.94;
            scriptedClock = (std::floor((scriptedClock + 3.0) / refresh) + 1.0) * refresh;
            swapTimes.push_back(scriptedClock);
            if (swaps == 600) KeyDown[KeyEscape] = 1;
        };
        EXPECT_EQ(RunMainLoop(), 0);
        ASSERT_EQ(swapTimes.size(), 600u);
        double longest = 0.0;
        for (size_t i = 1; i < swapTimes.size(); i++) longest = std::max(longest, swapTimes[i] - swapTimes[i - 1]);
        EXPECT_LT(longest, 25.0) << "a frame was dropped at a reported " << reported << " Hz";
        EXPECT_EQ(swapPace, SwapWaitsForDisplay);
    }

    // A rate the platform cannot tell counts as 60 hertz.
    ResetProgramState();
    scriptedRefreshRate = 0;
    ASSERT_TRUE(OpenRenderWindow(WindowTitle, 960, 720, 16));
    EXPECT_EQ(displayRefreshRate, 60);
    EXPECT_DOUBLE_EQ(PacedPassEnd(100.0, 105.0, displayRefreshRate), 100.0 + 1000.0 / 60.0);
}

TEST(MainLoop, CloseRequestQuitsBeforeAnyFurtherFrame) {
    OpenForTest();
    scriptedOnSwap = [](int swaps) {
        if (swaps == 2) QueueEvent(CloseEvent());
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(scriptedSwaps, 2);
    EXPECT_EQ(frameCounter, 2);
    EXPECT_EQ(scriptedCloseCount, 1);
}

TEST(MainLoop, TheSystemsQuitReturnsItsCode) {
    OpenForTest();
    QueueEvent({WindowQuit, 0, 7, 0, false, false});
    EXPECT_EQ(RunMainLoop(), 7);
}

TEST(MainLoop, FailedRescaleReturnsZeroWithoutClosingAgain) {
    OpenForTest();
    scriptedOpensBeforeFailure = 0;
    QueueEvent(KeyEvent(KeyF1, true));
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(scriptedCloseCount, 1);
}

TEST(MainLoop, MinimisingStopsFramesAndRestoringResumesThem) {
    OpenForTest();
    QueueEvent(ActivateEvent(true, false));
    scriptedOnSwap = [](int swaps) {
        if (swaps == 2) {
            EXPECT_EQ(frameCounter, 0);
            QueueEvent(ActivateEvent(false, false));  // restored, though not focused
        }
        if (swaps == 4) KeyDown[KeyEscape] = 1;
    };
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(frameCounter, 3);
}

TEST(StartUp, FailedOpeningReturnsZeroBeforeAnyBuffer) {
    ResetProgramState();
    scriptedOpensBeforeFailure = 0;
    EXPECT_EQ(RunExplorer(), 0);
    EXPECT_EQ(scriptedCursorShows, 0);
}

// Started from anywhere: the data is taken from the current folder, else from
// beside the program, else from the installed data folder; saves go beside
// the data, except for an installed copy, whose saves go into the user's XDG
// folder, made by the first save.
TEST(StartUp, DataIsFoundHereThenBesideTheProgramThenInstalled) {
    ResetProgramState();
    ASSERT_TRUE(EnterScratchFolder("talvox-folders"));
    namespace fs = std::filesystem;
    const std::string root = scratchFolder.string() + "/";
    const std::string program = root + "usr/bin/";
    const char* oldHome = std::getenv("HOME");
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string home = oldHome ? oldHome : "", data = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", (root + "xdg").c_str(), 1);
    fs::create_directories(program);

    ChooseDataFolders(program.c_str());
    EXPECT_STREQ(dataFolder, "") << "with data nowhere, the current folder as ever";
    EXPECT_STREQ(saveFolder, "");

    fs::create_directories(root + "usr/share/talvox/bmp_cube");
    ChooseDataFolders(program.c_str());
    EXPECT_EQ(std::string(dataFolder), program + "../share/talvox/");
    EXPECT_EQ(std::string(saveFolder), root + "xdg/talvox/");
    MakeSaveFolder();
    EXPECT_TRUE(fs::is_directory(root + "xdg/talvox/map")) << "a save does not make the XDG map folder";
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", (root + "home").c_str(), 1);
    ChooseDataFolders(program.c_str());
    EXPECT_EQ(std::string(saveFolder), root + "home/.local/share/talvox/");
    // A relative XDG_DATA_HOME is no folder of the user's: saves would land
    // wherever the program was started.
    setenv("XDG_DATA_HOME", "relative-xdg", 1);
    ChooseDataFolders(program.c_str());
    EXPECT_EQ(std::string(saveFolder), root + "home/.local/share/talvox/") << "a relative XDG_DATA_HOME was taken";
    MakeSaveFolder();
    EXPECT_FALSE(fs::exists("relative-xdg")) << "a relative XDG_DATA_HOME was made in the current folder";
    unsetenv("XDG_DATA_HOME");

    fs::create_directories(program + "bmp_cube");
    ChooseDataFolders(program.c_str());
    EXPECT_EQ(std::string(dataFolder), program);
    EXPECT_EQ(std::string(saveFolder), program);
    MakeSaveFolder();
    EXPECT_FALSE(fs::exists(program + "map")) << "a run folder's missing map folder was made";

    fs::create_directories("bmp_cube");
    ChooseDataFolders(program.c_str());
    EXPECT_STREQ(dataFolder, "");
    EXPECT_STREQ(saveFolder, "");

    if (oldHome) setenv("HOME", home.c_str(), 1);
    else unsetenv("HOME");
    if (oldData) setenv("XDG_DATA_HOME", data.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    LeaveScratchFolder();
    ResetProgramState();
}

// Data in a folder the user cannot write, the current one here: saves go
// into the user's own folder. Root may write anywhere, so as root the
// folders are found in a child that has become nobody.
TEST(StartUp, DataInAFolderTheUserCannotWriteSavesIntoTheUsersOwn) {
    ResetProgramState();
    ASSERT_TRUE(EnterScratchFolder("talvox-read-only"));
    const std::string xdg = scratchFolder.string() + "/xdg";
    std::filesystem::create_directories("bmp_cube");
    std::filesystem::create_directories(xdg);
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string data = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    EXPECT_EQ(chmod(".", 0555), 0);
    std::string saves;
    int status = 0;
    if (geteuid() != 0) {
        FindDataFolders();
        saves = saveFolder;
    } else {
        constexpr uid_t Nobody = 65534;
        int ends[2] = {-1, -1};
        EXPECT_EQ(chown(xdg.c_str(), Nobody, Nobody), 0);
        EXPECT_EQ(pipe(ends), 0);
        const pid_t child = fork();
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0) _exit(2);
            FindDataFolders();
            const ssize_t length = static_cast<ssize_t>(std::strlen(saveFolder));
            _exit(write(ends[1], saveFolder, static_cast<size_t>(length)) == length ? 0 : 1);
        }
        close(ends[1]);
        char reported[DataPathBytes] = {};
        const ssize_t got = read(ends[0], reported, sizeof reported - 1);
        close(ends[0]);
        EXPECT_EQ(waitpid(child, &status, 0), child);
        saves.assign(reported, static_cast<size_t>(std::max<ssize_t>(got, 0)));
    }
    chmod(".", 0755);
    if (oldData) setenv("XDG_DATA_HOME", data.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    LeaveScratchFolder();
    ResetProgramState();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "root here cannot become nobody";
    EXPECT_EQ(status, 0) << "the child that became nobody did not report";
    EXPECT_EQ(saves, xdg + "/talvox/") << "saves go beside data the user cannot write";
}
