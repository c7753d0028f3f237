// What each window event does to the key, mouse and activity state.
#include <gtest/gtest.h>

#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "app/Window.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "world/WorldState.h"

TEST(WindowEvents, ActivationFollowsTheMinimisedStateOnly) {
    ResetProgramState();
    EXPECT_TRUE(HandleWindowEvent(ActivateEvent(true, true)));
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(HandleWindowEvent(ActivateEvent(false, false)));  // inactive but not minimised
    EXPECT_EQ(windowActive, 1);
}

TEST(WindowEvents, KeysSetAndClearTheirEntries) {
    ResetProgramState();
    EXPECT_TRUE(HandleWindowEvent(KeyEvent(KeyEscape, true)));
    EXPECT_EQ(KeyDown[KeyEscape], 1);
    EXPECT_TRUE(HandleWindowEvent(KeyEvent(KeyEscape, false)));
    EXPECT_EQ(KeyDown[KeyEscape], 0);
    // Codes beyond the table are taken and ignored.
    EXPECT_TRUE(HandleWindowEvent(KeyEvent(256, true)));
    EXPECT_TRUE(HandleWindowEvent(KeyEvent(-1, true)));
    // System keys go to the default processing and are not recorded.
    EXPECT_FALSE(HandleWindowEvent({WindowSystemKey, KeyF10, 0, 0, false, false}));
    EXPECT_EQ(KeyDown[KeyF10], 0);
}

TEST(WindowEvents, MouseMoveTakesThePositionAsGiven) {
    ResetProgramState();
    EXPECT_TRUE(HandleWindowEvent(MouseMoveEvent(5, 65535)));
    EXPECT_EQ(mouseX, 5);
    EXPECT_EQ(mouseY, 65535);
}

TEST(WindowEvents, CloseQueuesTheQuitWithCodeZero) {
    ResetProgramState();
    quitCode = 99;
    EXPECT_TRUE(HandleWindowEvent(CloseEvent()));
    EXPECT_TRUE(quitPosted);
    EXPECT_EQ(quitCode, 0);
}

TEST(WindowEvents, AnAreaOtherThanTheWindowAskedPlacesThePictureInIt) {
    ResetProgramState();
    EXPECT_TRUE(HandleWindowEvent({WindowAreaGiven, 0, 1280, 1000, false, false}));
    EXPECT_EQ(picturePlacement.zoom, 4);
    EXPECT_EQ(picturePlacement.top, 20);
    // The window as asked (scale 3) is drawn as any window is; covering the
    // display, it is placed all the same.
    EXPECT_TRUE(HandleWindowEvent({WindowAreaGiven, 0, 960, 720, false, false}));
    EXPECT_EQ(picturePlacement.zoom, 0);
    displayCovered = true;
    EXPECT_TRUE(HandleWindowEvent({WindowAreaGiven, 0, 960, 720, false, false}));
    EXPECT_EQ(picturePlacement.zoom, 3);
}

TEST(WindowEvents, ScreenSaverAndMonitorPowerAreSwallowed) {
    ResetProgramState();
    EXPECT_TRUE(HandleWindowEvent({WindowScreenSaver, 0, 0, 0, false, false}));
}

TEST(WindowEvents, SizeAndButtonsAreConsumedWithoutEffect) {
    ResetProgramState();
    for (WindowEventKind kind : {WindowResize, WindowButtonDown, WindowButtonUp})
        for (int32_t key : {KeyLeftButton, KeyRightButton, KeyMiddleButton}) {
            EXPECT_TRUE(HandleWindowEvent({kind, key, 1, 1, false, false})) << kind;
            EXPECT_EQ(KeyDown[key], 0) << kind;
        }
    EXPECT_EQ(windowActive, 1);
    EXPECT_EQ(mouseX, 0);
}
