// The window procedure's message table.
#include <gtest/gtest.h>

#include "app/KeyCodes.h"
#include "app/Platform.h"
#include "app/Window.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "world/WorldState.h"

TEST(WindowProc, ActivationFollowsTheMinimisedWordOnly) {
    ResetProgramState();
    EXPECT_TRUE(MainWindowProc(MessageActivate, (1u << 16) | 1u, 0));
    EXPECT_EQ(windowActive, 0);
    EXPECT_TRUE(MainWindowProc(MessageActivate, 0, 0));  // inactive but not minimised
    EXPECT_EQ(windowActive, 1);
}

TEST(WindowProc, KeysSetAndClearTheirEntries) {
    ResetProgramState();
    EXPECT_TRUE(MainWindowProc(MessageKeyDown, KeyEscape, 0));
    EXPECT_EQ(KeyDown[KeyEscape], 1);
    EXPECT_TRUE(MainWindowProc(MessageKeyUp, KeyEscape, 0));
    EXPECT_EQ(KeyDown[KeyEscape], 0);
    // Codes beyond the table are taken and ignored.
    EXPECT_TRUE(MainWindowProc(MessageKeyDown, 256, 0));
    EXPECT_TRUE(MainWindowProc(MessageKeyDown, ~uintptr_t{0}, 0));
    // System keys go to the default processing and are not recorded.
    EXPECT_FALSE(MainWindowProc(MessageSysKeyDown, KeyF10, 0));
    EXPECT_EQ(KeyDown[KeyF10], 0);
}

TEST(WindowProc, MouseMoveTakesBothWordsUnsigned) {
    ResetProgramState();
    EXPECT_TRUE(MainWindowProc(MessageMouseMove, 0, static_cast<intptr_t>(0xFFFF0005u)));
    EXPECT_EQ(mouseX, 5);
    EXPECT_EQ(mouseY, 65535);
}

TEST(WindowProc, CloseQueuesTheQuitWithCodeZero) {
    ResetProgramState();
    EXPECT_TRUE(MainWindowProc(MessageClose, 0, 0));
    uintptr_t wParam = 99;
    EXPECT_EQ(PlatformTakeMessage(&wParam), PlatformQuitMessage);
    EXPECT_EQ(wParam, 0u);
}

TEST(WindowProc, ScreenSaverAndMonitorPowerAreSwallowed) {
    ResetProgramState();
    EXPECT_TRUE(MainWindowProc(MessageSysCommand, CommandScreenSave, 0));
    EXPECT_TRUE(MainWindowProc(MessageSysCommand, CommandMonitorPower, 0));
    EXPECT_FALSE(MainWindowProc(MessageSysCommand, 0xF060, 0));  // SC_CLOSE goes on
}

TEST(WindowProc, SizeAndButtonsAreConsumedWithoutEffect) {
    ResetProgramState();
    for (uint32_t message : {MessageSize, MessageLeftButtonDown, MessageLeftButtonUp, MessageRightButtonDown,
                             MessageRightButtonUp, MessageMiddleButtonDown, MessageMiddleButtonUp})
        EXPECT_TRUE(MainWindowProc(message, 1, 1)) << message;
    EXPECT_EQ(windowActive, 1);
    EXPECT_FALSE(MainWindowProc(0x0203, 0, 0));  // double-click: default processing
}
