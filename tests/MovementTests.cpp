// Walking along the view direction, the push out of walls and the carry of the
// in-cell offsets into the player cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Window.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "tests/support/TestWorld.h"
#include "world/Movement.h"
#include "world/Player.h"
#include "world/WorldState.h"

// The eye in world cell units.
struct Eye {
    double x, y, z;
};
static Eye EyeNow() { return {SX + 1.0 - px, SY + 1.0 - py, SZ + 1.0 - pz}; }

static void RunFrames(int frames) {
    for (int i = 0; i < frames; i++) UpdatePlayerPosition(ReadWalkInput());
}

// The all-solid world of ResetProgramState with an open box around the start.
static void StartInOpenRoom() {
    ResetProgramState();
    FillCells(90, 80, 90, 110, 110, 110, CellEmpty);
}

TEST(Movement, StandingStillAwayFromWallsChangesNothing) {
    StartInOpenRoom();
    yaw = 123.0f;
    pitch = 45.0f;
    px = 0.35f;
    py = 0.62f;
    pz = 0.5f;
    RunFrames(20);
    EXPECT_EQ(SX, 100);
    EXPECT_EQ(SY, 100);
    EXPECT_EQ(SZ, 100);
    EXPECT_EQ(px, 0.35f);
    EXPECT_EQ(py, 0.62f);
    EXPECT_EQ(pz, 0.5f);
}

TEST(Movement, ForwardAndBackwardTogetherCancel) {
    StartInOpenRoom();
    yaw = 37.5f;
    pitch = 63.0f;
    scriptedKeys[KeyLeftButton] = true;
    scriptedKeys['Z'] = true;
    RunFrames(30);
    EXPECT_EQ(SX, 100);
    EXPECT_EQ(SY, 100);
    EXPECT_EQ(SZ, 100);
    EXPECT_NEAR(px, 0.5f, 1e-5);
    EXPECT_NEAR(py, 0.5f, 1e-5);
    EXPECT_NEAR(pz, 0.5f, 1e-5);
}

TEST(Movement, LevelForwardAtYaw180WalksTowardsSmallerY) {
    StartInOpenRoom();
    yaw = 180.0f;
    pitch = 90.0f;
    scriptedKeys[KeyLeftButton] = true;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_EQ(px, 0.5f);
    EXPECT_EQ(pz, 0.5f);
    EXPECT_NEAR(py, 0.6f, 1e-6);

    int lastCarry = 0;
    for (int frame = 2; frame <= 100; frame++) {
        int before = SY;
        UpdatePlayerPosition(ReadWalkInput());
        ASSERT_EQ(px, 0.5f) << "frame " << frame;
        ASSERT_EQ(pz, 0.5f) << "frame " << frame;
        if (SY != before) {
            ASSERT_EQ(SY, before - 1) << "frame " << frame;
            if (lastCarry) {
                EXPECT_NEAR(frame - lastCarry, 10, 1) << "frame " << frame;
            }
            lastCarry = frame;
        }
    }
    // 0.5 + 100 steps of 0.1: ten cells, half a cell into the last one.
    EXPECT_EQ(SY, 90);
    EXPECT_NEAR(py, 0.5f, 1e-3);
    EXPECT_EQ(SX, 100);
    EXPECT_EQ(SZ, 100);
}

TEST(Movement, StepsFollowTheViewDirection) {
    struct Case {
        float yaw, pitch;
    };
    const Case cases[] = {{340.0f, 60.0f}, {20.0f, 120.0f}, {250.0f, 90.0f}, {97.0f, -30.0f}, {658.0f, 209.0f}};
    const double degrees = 3.141592653 / 180.0;
    for (const Case& c : cases) {
        for (int backward = 0; backward < 2; backward++) {
            StartInOpenRoom();
            yaw = c.yaw;
            pitch = c.pitch;
            scriptedKeys[backward ? 'Z' : KeyLeftButton] = true;
            Eye start = EyeNow();
            UpdatePlayerPosition(ReadWalkInput());
            Eye end = EyeNow();
            double sign = backward ? -1.0 : 1.0;
            double sp = std::sin(c.pitch * degrees), cp = std::cos(c.pitch * degrees);
            double sy = std::sin(c.yaw * degrees), cy = std::cos(c.yaw * degrees);
            EXPECT_NEAR(end.x - start.x, sign * 0.1 * -sp * sy, 1e-6)
                << c.yaw << "/" << c.pitch << " back " << backward;
            EXPECT_NEAR(end.y - start.y, sign * 0.1 * sp * cy, 1e-6) << c.yaw << "/" << c.pitch << " back " << backward;
            EXPECT_NEAR(end.z - start.z, sign * 0.1 * -cp, 1e-6) << c.yaw << "/" << c.pitch << " back " << backward;
        }
    }
}

// Where the player ends after frames of walking with only key held, from the
// middle of the open room at the given view: the cell and the offsets.
struct Place {
    int32_t sx, sy, sz;
    float px, py, pz;
};
static Place PlaceAfterWalking(int32_t key, float viewYaw, float viewPitch, int frames) {
    StartInOpenRoom();
    yaw = viewYaw;
    pitch = viewPitch;
    scriptedKeys[key] = true;
    RunFrames(frames);
    return {SX, SY, SZ, px, py, pz};
}

TEST(Movement, TheWalkingKeysStepAndCollideAsTheButtonAndZDo) {
    // 150 frames is 15 cells: far enough to reach the room's walls and be
    // held there.
    const float views[][2] = {{37.5f, 63.0f}, {250.0f, 120.0f}, {180.0f, 90.0f}};
    const struct {
        int32_t key, same;
    } keys[] = {{'W', KeyLeftButton}, {KeyArrowUp, KeyLeftButton}, {'S', 'Z'}, {KeyArrowDown, 'Z'}};
    for (const auto& view : views) {
        for (const auto& key : keys) {
            const Place expected = PlaceAfterWalking(key.same, view[0], view[1], 150);
            const Place walked = PlaceAfterWalking(key.key, view[0], view[1], 150);
            EXPECT_EQ(std::memcmp(&walked, &expected, sizeof walked), 0)
                << "key " << key.key << " at " << view[0] << "/" << view[1] << ": at " << walked.sx << "," << walked.sy
                << "," << walked.sz << " not " << expected.sx << "," << expected.sy << "," << expected.sz;
        }
    }
}

TEST(Movement, SidestepKeepsPitchOutOfTheStepAndStopsAtWalls) {
    const double degrees = 3.141592653 / 180.0;
    const float views[][2] = {{0.0f, 90.0f}, {37.5f, 20.0f}, {250.0f, 170.0f}};
    for (const auto& view : views) {
        for (int right = 0; right < 2; right++) {
            StartInOpenRoom();
            yaw = view[0];
            pitch = view[1];
            scriptedKeys[right ? int32_t{'D'} : int32_t{'A'}] = true;
            Eye start = EyeNow();
            UpdatePlayerPosition(ReadWalkInput());
            Eye end = EyeNow();
            // To the right of a view along (-sin yaw, cos yaw) is (-cos yaw, -sin yaw).
            double sign = right ? 1.0 : -1.0;
            double sy = std::sin(view[0] * degrees), cy = std::cos(view[0] * degrees);
            EXPECT_NEAR(end.x - start.x, sign * 0.1 * -cy, 1e-6) << view[0] << "/" << view[1] << " right " << right;
            EXPECT_NEAR(end.y - start.y, sign * 0.1 * -sy, 1e-6) << view[0] << "/" << view[1] << " right " << right;
            EXPECT_EQ(end.z, start.z) << view[0] << "/" << view[1] << " right " << right;
        }
    }
    // Looking along -y, D walks towards +x into the last open column, and the
    // wall beyond x = 110 keeps the eye 0.3 away, as it does a walk along the view.
    StartInOpenRoom();
    yaw = 180.0f;
    pitch = 30.0f;
    scriptedKeys['D'] = true;
    double nearest = 0.0;
    for (int frame = 0; frame < 150; frame++) {
        UpdatePlayerPosition(ReadWalkInput());
        nearest = std::max(nearest, EyeNow().x);
    }
    EXPECT_EQ(SX, 110);
    EXPECT_NEAR(nearest, 110.7, 1e-5);
    EXPECT_EQ(pz, 0.5f);
}

TEST(Movement, CtrlSDoesNotWalk) {
    StartInOpenRoom();
    yaw = 37.5f;
    pitch = 63.0f;
    scriptedKeys['S'] = scriptedKeys[KeyControl] = true;
    RunFrames(10);
    EXPECT_EQ(SX, 100);
    EXPECT_EQ(SY, 100);
    EXPECT_EQ(SZ, 100);
    EXPECT_EQ(px, 0.5f);
    EXPECT_EQ(py, 0.5f);
    EXPECT_EQ(pz, 0.5f);
}

TEST(Movement, TheArrowKeysTurnTwoDegreesAFrameUnlessTheMouseLooks) {
    ResetProgramState();
    yaw = 10.0f;
    pitch = 70.0f;
    scriptedKeys[KeyArrowLeft] = true;
    for (int frame = 0; frame < 6; frame++) UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(yaw, 358.0f);
    scriptedKeys[KeyArrowLeft] = false;
    scriptedKeys[KeyArrowRight] = true;
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_FLOAT_EQ(yaw, 0.0f);
    EXPECT_EQ(pitch, 70.0f);
    // With a button held the mouse has the view, as before.
    screenScale = 1;
    mouseX = 100;
    mouseY = 50;
    scriptedKeys[KeyRightButton] = true;
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 220.0f);
    EXPECT_EQ(pitch, 20.0f);
    // V tapped between two frames looks level once, the yaw kept.
    scriptedKeys[KeyRightButton] = scriptedKeys[KeyArrowRight] = false;
    RecordInputEvent(KeyEvent('V', true));
    RecordInputEvent(KeyEvent('V', false));
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 220.0f);
    EXPECT_EQ(pitch, 90.0f);
    pitch = 20.0f;
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(pitch, 20.0f) << "one tap of V levelled the view twice";
}

TEST(Movement, AWallOnTheLowSideHoldsTheEyeAtThreeTenths) {
    // Open cells from x = 100 upwards; the column x = 99 is rock.
    ResetProgramState();
    FillCells(100, 95, 95, 105, 105, 105, CellEmpty);

    px = 1.0f - 0.25f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_NEAR(1.0f - px, 0.3f, 1e-6);
    EXPECT_EQ(py, 0.5f);
    EXPECT_EQ(pz, 0.5f);
    EXPECT_EQ(SX, 100);

    // Closer than 0.2: snapped to 0.3, pushed 0.2 more, and the diagonal probe
    // that reaches the same wall pushes along x and y.
    px = 1.0f - 0.15f;
    py = 0.5f;
    EXPECT_EQ(PushOutOfWalls(0.15f, 0.5f, 0.5f), 1);
    EXPECT_NEAR(1.0f - px, 0.7f, 1e-6);
    EXPECT_NEAR(1.0f - py, 0.7f, 1e-6);
    EXPECT_EQ(pz, 0.5f);
}

TEST(Movement, AWallOnTheHighSideHoldsTheEyeAtThreeTenthsOnEveryAxis) {
    // The eye 0.25 from the high face of its cell, on each axis in turn, with
    // rock just beyond that face and open cells everywhere else around.
    for (int axis = 0; axis < 3; axis++) {
        ResetProgramState();
        FillCells(95, 95, 95, 105, 105, 105, CellEmpty);
        float* offset[3] = {&px, &py, &pz};
        if (axis == 0) FillCells(101, 95, 95, 101, 105, 105, CellSolid);
        if (axis == 1) FillCells(95, 101, 95, 105, 101, 105, CellSolid);
        if (axis == 2) FillCells(95, 95, 101, 105, 105, 101, CellSolid);
        *offset[axis] = 1.0f - 0.75f;
        EXPECT_EQ(PushOutOfWalls(1.0f - px, 1.0f - py, 1.0f - pz), 0) << "axis " << axis;
        for (int other = 0; other < 3; other++) {
            float expected = other == axis ? 1.0f - 0.7f : 0.5f;
            EXPECT_NEAR(*offset[other], expected, 1e-6) << "axis " << axis << " offset " << other;
        }
    }
}

TEST(Movement, InsideRockThePlayerDriftsDiagonallyUntilItReachesOpenSpace) {
    ResetProgramState();
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_NEAR(px, 0.3f, 1e-6);
    EXPECT_NEAR(py, 0.3f, 1e-6);
    EXPECT_NEAR(pz, 0.5f, 1e-6);

    RunFrames(9);  // ten frames, two cells along x and y
    EXPECT_EQ(SX, 102);
    EXPECT_EQ(SY, 102);
    EXPECT_EQ(SZ, 100);
    EXPECT_NEAR(px, 0.5f, 1e-4);
    EXPECT_NEAR(py, 0.5f, 1e-4);

    // A room ahead on the diagonal stops the drift.
    FillCells(105, 105, 98, 110, 110, 102, CellEmpty);
    RunFrames(40);
    Eye settled = EyeNow();
    RunFrames(10);
    Eye later = EyeNow();
    EXPECT_EQ(settled.x, later.x);
    EXPECT_EQ(settled.y, later.y);
    EXPECT_GE(SX, 105);
    EXPECT_GE(SY, 105);
    EXPECT_EQ(DungeonMap[CellIndex(SX, SY, SZ)], CellEmpty);
}

TEST(Movement, ACellOfValueTwoNeitherPushesNorCountsAsEmpty) {
    // A value-2 wall next to an empty player cell does not push.
    ResetProgramState();
    FillCells(95, 95, 95, 105, 105, 105, CellEmpty);
    FillCells(99, 95, 95, 99, 105, 105, 2);
    px = 1.0f - 0.15f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_EQ(px, 1.0f - 0.15f);
    EXPECT_EQ(py, 0.5f);

    // A value-2 player cell next to rock: the snap rule wants an empty own
    // cell, so only the push within 0.2 acts.
    ResetProgramState();
    FillCells(100, 95, 95, 105, 105, 105, 2);
    px = 1.0f - 0.25f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_EQ(px, 1.0f - 0.25f);
    px = 1.0f - 0.15f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_NEAR(1.0f - px, 0.35f + 0.2f, 1e-6);  // the x push and the diagonal
    EXPECT_NEAR(1.0f - py, 0.7f, 1e-6);

    // The player walks straight through value-2 cells.
    ResetProgramState();
    FillCells(80, 80, 80, 110, 110, 110, 2);
    yaw = 180.0f;
    pitch = 90.0f;
    scriptedKeys[KeyLeftButton] = true;
    RunFrames(50);
    EXPECT_EQ(SY, 95);
    EXPECT_EQ(px, 0.5f);
}

// A 16-cell world inside the big allocation, with every byte open, so that a
// probe read past the small volume's edge would find an open cell.
static void StartInSmallOpenWorld() {
    ResetProgramState();
    std::memset(DungeonMap, CellEmpty, static_cast<size_t>(VolumeCells()));
    worldSide = 16;
    worldLevels = 16;
    layerSize = worldSide * worldSide;
}

TEST(Movement, TheVolumesEdgeHoldsThePlayerInside) {
    struct Walk {
        float yaw, pitch;
        int cell[3];
        int axis, edge;
    };
    const Walk walks[] = {
        {270.0f, 90.0f, {15, 8, 8}, 0, 15}, {90.0f, 90.0f, {0, 8, 8}, 0, 0},   {0.0f, 90.0f, {8, 15, 8}, 1, 15},
        {180.0f, 90.0f, {8, 0, 8}, 1, 0},   {0.0f, 180.0f, {8, 8, 15}, 2, 15}, {0.0f, 0.0f, {8, 8, 0}, 2, 0},
    };
    for (const Walk& walk : walks) {
        StartInSmallOpenWorld();
        SX = walk.cell[0];
        SY = walk.cell[1];
        SZ = walk.cell[2];
        yaw = walk.yaw;
        pitch = walk.pitch;
        scriptedKeys[KeyLeftButton] = true;
        RunFrames(40);
        int cell[3] = {SX, SY, SZ};
        float offset[3] = {px, py, pz};
        EXPECT_EQ(cell[walk.axis], walk.edge) << "walking along axis " << walk.axis << " to " << walk.edge;
        EXPECT_TRUE(CellInVolume(SX, SY, SZ)) << SX << "," << SY << "," << SZ;
        // The eye keeps at least 0.3 from the outer face.
        float eye = 1.0f - offset[walk.axis];
        if (walk.edge == 0) {
            EXPECT_GE(eye, 0.3f - 1e-5f) << "axis " << walk.axis;
        } else {
            EXPECT_LE(eye, 0.7f + 1e-5f) << "axis " << walk.axis;
        }
    }
}

TEST(Movement, CellsOutsideTheVolumeReadAsRock) {
    StartInSmallOpenWorld();
    SX = 15;
    SY = 0;
    SZ = 15;
    EXPECT_EQ(CellAt(0.5f, 0.5f, 0.5f), CellEmpty);
    EXPECT_EQ(CellAt(1.0f, 0.5f, 0.5f), CellSolid);
    EXPECT_EQ(CellAt(0.5f, -0.01f, 0.5f), CellSolid);
    EXPECT_EQ(CellAt(0.5f, 0.5f, 1.5f), CellSolid);
    EXPECT_EQ(CellAt(-0.5f, 0.99f, 0.0f), CellEmpty);

    // Far outside, every probe is rock: the player drifts as inside rock,
    // and nothing is read.
    const int places[][3] = {{300, 100, 100}, {-40, -40, -40}, {255, 255, 255}, {0, 0, 0}, {100, 1000, 255}};
    for (const auto& place : places) {
        ResetProgramState();
        std::memset(DungeonMap, CellEmpty, static_cast<size_t>(VolumeCells()));
        SX = place[0];
        SY = place[1];
        SZ = place[2];
        bool inside = CellInVolume(SX, SY, SZ);
        UpdatePlayerPosition(ReadWalkInput());
        if (inside) continue;  // an open edge cell: only reading safely matters
        EXPECT_NEAR(px, 0.3f, 1e-6) << place[0] << "," << place[1] << "," << place[2];
        EXPECT_NEAR(py, 0.3f, 1e-6) << place[0] << "," << place[1] << "," << place[2];
    }
}

TEST(Movement, CarryMovesThePlayerCellInBothDirections) {
    StartInOpenRoom();
    px = 1.05f;
    py = -0.05f;
    pz = 1.02f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_EQ(SX, 99);
    EXPECT_EQ(SY, 101);
    EXPECT_EQ(SZ, 99);
    EXPECT_NEAR(px, 0.05f, 1e-6);
    EXPECT_NEAR(py, 0.95f, 1e-6);
    EXPECT_NEAR(pz, 0.02f, 1e-6);

    StartInOpenRoom();
    px = -0.1f;
    py = 1.1f;
    pz = -0.04f;
    UpdatePlayerPosition(ReadWalkInput());
    EXPECT_EQ(SX, 101);
    EXPECT_EQ(SY, 99);
    EXPECT_EQ(SZ, 101);
    EXPECT_NEAR(pz, 0.96f, 1e-6);
}
