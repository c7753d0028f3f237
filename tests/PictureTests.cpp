// Whole frames: the picture RunFrame makes must match the plain per-cell
// reference drawing of the same scene, in small carved worlds and in both
// generated ones, from several places, view directions and radii, across
// wall textures and changes of the world between frames (including the
// frames a map load shows while its cells arrive). The chunk cache is built
// once and again after every change. Presentation draws the picture's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/Frames.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Maps.h"
#include "app/Window.h"
#include "render/Bitmaps.h"
#include "render/Chunks.h"
#include "render/FaceDepths.h"
#include "render/Frame.h"
#include "render/RenderCounts.h"
#include "render/SightWalk.h"
#include "render/Textures.h"
#include "render/ViewCube.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"
#include "sys/Worker.h"
#include "tests/support/PlainScene.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "tests/support/TestWorld.h"
#include "tests/support/Viewpoints.h"
#include "world/Generation.h"
#include "world/MapFile.h"
#include "world/Player.h"
#include "world/WorldState.h"

namespace {

class Picture : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        for (int slot = 0; slot < TextureSlots; slot++) {
            std::string path = std::string("../run/") + TextureFiles[slot];
            ASSERT_TRUE(LoadTextureFile(path.c_str(), slot)) << path;
        }
        UseRealContext();
        screenScale = 2;
        ASSERT_TRUE(OpenRenderWindow("picture", 640, 480, 24));
    }
    // A test that went into a scratch folder comes back out of it here.
    void TearDown() override {
        CloseRenderWindow();
        LeaveScratchFolder();
    }
};

std::string Describe(const Viewpoint& view) {
    return "at " + std::to_string(view.x) + "," + std::to_string(view.y) + "," + std::to_string(view.z) + " yaw " +
           std::to_string(static_cast<int>(view.yaw)) + " pitch " + std::to_string(static_cast<int>(view.pitch)) +
           " radius " + std::to_string(viewRadius);
}

// How many of the 76,800 pixels of frame differ from the plain reference
// drawn with the player at cell and offsets (the state the frame drew,
// before its movement step). Unless the view is meant to be sparse, checks
// that the picture is not mostly empty.
int CompareWithPlain(const std::vector<uint8_t>& frame, const int32_t cell[3], const float offsets[3],
                     const std::string& where, bool sparse) {
    SX = cell[0];
    SY = cell[1];
    SZ = cell[2];
    px = offsets[0];
    py = offsets[1];
    pz = offsets[2];
    std::vector<uint8_t> plain(ScreenPixelCount * 3);
    DrawPlainScene(plain.data());

    int differences = 0, covered = 0;
    for (int i = 0; i < ScreenPixelCount; i++) {
        const uint8_t* a = &frame[i * 3];
        const uint8_t* b = &plain[i * 3];
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) differences++;
        if (a[0] != clearColourKey[0] || a[1] != clearColourKey[1] || a[2] != clearColourKey[2]) covered++;
    }
    if (!sparse) {
        EXPECT_GT(covered, ScreenPixelCount / 2) << where << ": the frame shows mostly nothing";
    }
    return differences;
}

// Renders a frame from where place puts the player (after one frame to
// settle the lantern there) and compares it with the plain reference;
// returns how many pixels differ.
template <typename Place>
int CountDifferencesAt(Place place, const std::string& where, bool sparse) {
    place();
    RunFrame();
    place();
    const int32_t cell[3] = {SX, SY, SZ};
    const float offsets[3] = {px, py, pz};
    RunFrame();
    std::vector<uint8_t> frame = ReadbackRgb();
    return CompareWithPlain(frame, cell, offsets, where, sparse);
}

int CountDifferences(const Viewpoint& view, bool sparse = false) {
    return CountDifferencesAt([&] { PlaceViewer(view); }, Describe(view), sparse);
}

// At most 0.1 % of the pixels may differ, along edges.
constexpr int AllowedDifferences = ScreenPixelCount / 1000;

// Where the carved world has its odd-coded cell.
constexpr int32_t OddX = 97, OddY = 100, OddZ = 101;

// Two halls joined by a corridor, a shaft, pillars, an odd-coded cell in the
// floor with a cellar under it, a patch of alternative floor, objects of both
// kinds and a few lights.
void CarveTestWorld() {
    FillCells(90, 90, 98, 104, 104, 101, CellEmpty);   // first hall, 4 high
    FillCells(105, 96, 100, 120, 97, 101, CellEmpty);  // corridor east, 2 wide
    FillCells(121, 88, 96, 130, 106, 101, CellEmpty);  // second hall, 6 high
    FillCells(95, 95, 80, 96, 96, 97, CellEmpty);      // shaft up from the first hall
    FillCells(95, 98, 103, 99, 102, 104, CellEmpty);   // cellar under the odd cell, a layer of rock between
    for (int32_t z = 98; z <= 101; z++) {
        DungeonMap[CellIndex(94, 94, z)] = CellSolid;  // pillars
        DungeonMap[CellIndex(100, 94, z)] = CellSolid;
    }
    DungeonMap[CellIndex(OddX, OddY, OddZ)] = 2;
    for (int32_t y = 98; y <= 102; y++)
        for (int32_t x = 96; x <= 99; x++) FlagMap[CellIndex(x, y, 101)] = FlagAltTexture;
    FlagMap[CellIndex(99, 97, 100)] = FlagCube;
    FlagMap[CellIndex(101, 98, 101)] = FlagActor;
    FlagMap[CellIndex(125, 95, 100)] = FlagCube;
    FlagMap[CellIndex(92, 89, 99)] = FlagActor;  // in the rock beside the hall
    MarkVolumesChanged();
    Lights[5] = Light{92, 92, 100, 255, 80, 60, 5};
    Lights[6] = Light{103, 103, 99, 60, 120, 255, 7};
    Lights[7] = Light{110, 96, 101, 200, 255, 200, 9};
}

}  // namespace

// ---------------------------------------------------------------------------
// The same picture
// ---------------------------------------------------------------------------

TEST_F(Picture, FramesMatchThePlainDrawingInACarvedWorld) {
    CarveTestWorld();
    const Viewpoint views[] = {
        {97, 97, 100, 340.0f, 90.0f},        // first hall, level, towards the objects
        {93, 100, 99, 250.0f, 70.0f},        // looking up the hall and its shaft
        {110, 96, 101, 160.0f, 100.0f},      // in the corridor, along it
        {125, 100, 99, 20.0f, 140.0f},       // second hall, looking down
        {98, 96, 100, 270.0f, 90.0f},        // level along +x, every edge on a pixel row
        {91, 97, 100, 90.0f, 90.0f, 0.96f},  // the eye against a wall
        {97, 97, 99, 0.0f, 130.0f},          // down at the odd cell, through it and the rock to the cellar
    };
    // With the odd cell sight passes into the rock beside it; without it
    // nothing does, and hidden cells can be left out.
    for (bool odd : {true, false}) {
        DungeonMap[CellIndex(OddX, OddY, OddZ)] = odd ? 2 : CellSolid;
        MarkVolumesChanged();
        for (const Viewpoint& view : views) EXPECT_LE(CountDifferences(view), AllowedDifferences) << Describe(view);
    }
    // From inside the rock, the faces behind it show.
    const Viewpoint inRock = {92, 89, 99, 0.0f, 90.0f};
    EXPECT_LE(CountDifferences(inRock, true), AllowedDifferences) << Describe(inRock);
    // A frame turned by the arrow key draws from the angles it has just
    // taken, as the plain drawing at those angles does.
    scriptedKeys[KeyArrowRight] = true;
    EXPECT_LE(CountDifferences(views[0]), AllowedDifferences) << "turning " << Describe(views[0]);
    scriptedKeys[KeyArrowRight] = false;
    // Where the GL has no framebuffer objects, the frame is drawn in the back
    // buffer, to the same picture.
    CloseRenderWindow();
    scriptedContext.function = nullptr;
    ASSERT_TRUE(OpenRenderWindow("picture", 640, 480, 24));
    ASSERT_FALSE(pictureTargetOpen);
    for (const Viewpoint& view : views)
        EXPECT_LE(CountDifferences(view), AllowedDifferences) << "in the back buffer " << Describe(view);
}

namespace {
void* (*realLookup)(const char* name) = nullptr;
void RefuseStorage(GLenum, GLenum, GLsizei, GLsizei) { glEnable(0xFFFF); }
void* LookupRefusingStorage(const char* name) {
    if (std::strcmp(name, "glRenderbufferStorageEXT") == 0) return reinterpret_cast<void*>(&RefuseStorage);
    return realLookup(name);
}
}  // namespace

// A target the GL will not give storage to is given up, and the error it
// raised is not left for the next call that checks its own.
TEST_F(Picture, ATargetWithoutStorageLeavesTheBackBufferAndNoError) {
    CloseRenderWindow();
    realLookup = scriptedContext.function;
    scriptedContext.function = LookupRefusingStorage;
    ASSERT_TRUE(OpenRenderWindow("picture", 640, 480, 24));
    EXPECT_FALSE(pictureTargetOpen);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Picture, FramesMatchThePlainDrawingAcrossRadiiAndWallTextures) {
    CarveTestWorld();
    const Viewpoint view = {100, 100, 100, 300.0f, 95.0f};
    // Texture 2 is also the floor's: the GL then draws a cell's floor with its
    // walls, which changes how it splits them.
    for (int32_t radius : {1, 3, 12}) {
        for (int32_t texture : {0, 2, 3}) {
            viewRadius = radius;
            wallTexture = texture;
            // Small radii leave most of the picture to the backdrop.
            EXPECT_LE(CountDifferences(view, radius < 12), AllowedDifferences)
                << Describe(view) << " texture " << texture;
        }
    }
}

// A seeded part of the benchmark's sweep, in both generated worlds and in one
// with cells of odd codes and marks scattered in: open cells, cells in rock
// and cells from which a side of the view cube is the first or last layer of
// a chunk, looking towards it; random offsets, angles, radii, wall textures
// and lights.
TEST_F(Picture, FramesMatchThePlainDrawingAcrossASeededSweep) {
    // First, in rock, a hall just across a chunk's high side (x 111 | 112)
    // seen from inside the rock: the cube ends at the chunk's first layer,
    // whose cells are all open, so nothing of that chunk is in sight but the
    // backs of the faces its cells show against the rock.
    FillCells(112, 90, 90, 124, 110, 110, CellEmpty);
    viewRadius = 5;
    const Viewpoint inRock = {108, 100, 100, 270.0f, 90.0f, 0.3f};
    EXPECT_LE(CountDifferences(inRock), AllowedDifferences) << "hall across a chunk side " << Describe(inRock);
    int seenAcross = 0;
    for (int32_t z = 95; z <= 104; z++)
        for (int32_t y = 95; y <= 104; y++) seenAcross += CellSightScreen(112, y, z) != nullptr;
    EXPECT_EQ(seenAcross, 0) << "cells of the chunk across are in sight";

    constexpr uint32_t Seed = 7;
    for (int32_t world = 0; world < 3; world++) {
        RegenerateWorld(world == 0 ? 0 : 1);
        if (world == 2) ScatterOddCells(Seed, 500);
        for (const SweepView& s : MakeSweepViews(Seed + world, 4, 2, 4)) {
            PlaceSweepViewer(s);
            const std::string where = "world " + std::to_string(world) + " " + SweepKindName(s.kind) + " " +
                                      Describe(s.view) + " offsets " + std::to_string(s.offsets[0]) + "," +
                                      std::to_string(s.offsets[1]) + "," + std::to_string(s.offsets[2]);
            auto place = [&] {
                PlaceViewer(s.view);
                px = s.offsets[0];
                py = s.offsets[1];
                pz = s.offsets[2];
            };
            // Small radii and rock may leave most of the picture empty.
            EXPECT_LE(CountDifferencesAt(place, where, true), AllowedDifferences) << where;
        }
    }
}

// From inside rock, sight passes through the rock to the backs of the
// hollows around, which together hide whatever lies beyond them: the walk
// stops there instead of following the rock between them to the end of the
// view (one of the slowest views of the benchmark's sweep: about 16,000
// cells in sight, 81,000 when every cell is followed that the screens of
// its neighbours reach).
TEST_F(Picture, HollowsSeenFromInsideRockHideWhatLiesBeyondThem) {
    RegenerateWorld(0);
    viewRadius = 60;
    auto place = [] {
        PlaceViewer({32, 66, 62, 290.1f, 54.4f});
        px = 0.94f;
        py = 0.78f;
        pz = 0.53f;
    };
    ASSERT_EQ(DungeonMap[CellIndex(32, 66, 62)], CellSolid);
    EXPECT_LE(CountDifferencesAt(place, "inside rock at 32,66,62", false), AllowedDifferences);
    EXPECT_TRUE(viewCubeCounts.occluding);
    EXPECT_LT(viewCubeCounts.sightCells, 30000);
}

// A view large enough to be walked in two halves is walked whole on this
// thread when the system gives no helper thread, to the same picture.
TEST_F(Picture, ALargeViewIsWalkedWholeWhenNoHelperThreadCanStart) {
    RegenerateWorld(0);
    viewRadius = 60;
    workerThreadRefused = true;
    const int64_t whole = wholeSightWalks, halvesOnHelper = helperSightWalks;
    auto place = [] { PlaceViewer({140, 120, 60, 35.0f, -20.0f}); };
    EXPECT_LE(CountDifferencesAt(place, "without a helper thread", false), AllowedDifferences);
    EXPECT_GE(CountCellsInSight(), 2000) << "the view is too small to be parted";
    EXPECT_EQ(helperSightWalks, halvesOnHelper) << "a half of the view was walked on the refused helper thread";
    EXPECT_EQ(wholeSightWalks - whole, 2) << "the two frames' views were not both walked whole";
    workerThreadRefused = false;
}

// A face the walk met hides only what lies behind its farthest corner, with
// room for the depth buffer's rounding: a side as far as that corner (as
// where two faces meet at an edge) is not hidden, nor one at the depth where
// hiding begins; one just past that is.
TEST_F(Picture, ASideNoFartherThanAFaceMetIsNotHiddenBehindIt) {
    const float x[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, y[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
    const float wholeScreen[4] = {-1.0f, -1.0f, 1.0f, 1.0f}, behind[4] = {-0.25f, -0.25f, 0.25f, 0.25f};
    const float nearest = 10.0f, edge = FaceHidingDepth(nearest);
    struct Case {
        float farthest;
        bool hidden;
    };
    for (const Case& c : {Case{nearest, false}, Case{edge, false}, Case{std::nextafter(edge, 0.0f), true}}) {
        FaceDepths depths;
        ClearFaceDepths(depths, ScreenWidth, ScreenHeight);
        AddFaceDepth(depths, x, y, c.farthest, wholeScreen);
        EXPECT_EQ(IsHiddenBehindFaces(depths, behind, nearest), c.hidden)
            << "a side at depth " << nearest << " behind a face met whose farthest depth is " << c.farthest;
    }
}

// Every cell a line of sight passes through before it meets a face is
// marked in sight, seen through a screen that holds that line's pixel: for
// each pixel centre, followed cell by cell from the near plane to the first
// face, the far plane or the end of the drawn cells. At radius 60 the view
// is walked as two halves of the screen, one on the helper thread.
TEST_F(Picture, EveryLineOfSightIsFollowedToItsFirstFace) {
    RegenerateWorld(0);
    viewRadius = 60;
    for (const Viewpoint& view : {Viewpoint{32, 66, 62, 290.1f, 54.4f}, Viewpoint{140, 120, 60, 35.0f, -20.0f}}) {
        // The second frame is walked in halves, parted where the first
        // frame's cells divide.
        for (int frame = 0; frame < 2; frame++) {
            PlaceViewer(view);
            RunFrame();
            EXPECT_GT(CountCellsInSight(), 2000) << Describe(view);
        }
        PlaceViewer(view);
        glLoadIdentity();
        ApplyCamera();
        double modelview[16], projection[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glLoadIdentity();
        const GLint viewport[4] = {0, 0, ScreenWidth, ScreenHeight};
        auto unproject = [&](double i, double j, double depth, double out[3]) {
            ASSERT_TRUE(gluUnProject(i, j, depth, modelview, projection, viewport, &out[0], &out[1], &out[2]));
        };
        const int32_t player[3] = {SX, SY, SZ};
        const int32_t sides[3] = {worldSide, worldSide, worldLevels};
        int unseen = 0, followed = 0;
        for (int j = 0; j < ScreenHeight; j++)
            for (int i = 0; i < ScreenWidth; i++) {
                const double x = (i + 0.5) / ScreenWidth * 2.0 - 1.0, y = (j + 0.5) / ScreenHeight * 2.0 - 1.0;
                double from[3], to[3], direction[3];
                unproject(i + 0.5, j + 0.5, 0.0, from);
                unproject(i + 0.5, j + 0.5, 0.9995, to);
                int32_t cell[3], step[3];
                double next[3], across[3];
                for (int axis = 0; axis < 3; axis++) {
                    direction[axis] = to[axis] - from[axis];
                    // Cells are unit cubes around whole draw coordinates.
                    const double at = from[axis] + 0.5;
                    cell[axis] = static_cast<int32_t>(std::floor(at));
                    step[axis] = direction[axis] > 0.0 ? 1 : -1;
                    const double boundary = direction[axis] > 0.0 ? cell[axis] + 1.0 : cell[axis];
                    across[axis] = direction[axis] != 0.0 ? std::fabs(1.0 / direction[axis]) : 1e30;
                    next[axis] = direction[axis] != 0.0 ? (boundary - at) / direction[axis] : 1e30;
                }
                // t runs from the near plane (0) to the far plane (1).
                for (;;) {
                    int32_t c[3];
                    bool inside = true;
                    for (int axis = 0; axis < 3; axis++) {
                        c[axis] = cell[axis] + player[axis];
                        inside = inside && c[axis] >= std::max(1, player[axis] - viewRadius) &&
                                 c[axis] <= std::min(sides[axis] - 2, player[axis] + viewRadius - 1);
                    }
                    if (!inside) break;
                    followed++;
                    const float* screen = CellSightScreen(c[0], c[1], c[2]);
                    constexpr double room = 1e-3;
                    if (!screen || x < screen[0] - room || x > screen[2] + room || y < screen[1] - room ||
                        y > screen[3] + room) {
                        if (unseen++ < 5)
                            ADD_FAILURE() << Describe(view) << ": pixel " << i << "," << j << " cell " << c[0] << ","
                                          << c[1] << "," << c[2];
                        break;
                    }
                    const int axis = next[0] < next[1] ? (next[0] < next[2] ? 0 : 2) : (next[1] < next[2] ? 1 : 2);
                    if (next[axis] >= 1.0) break;
                    int32_t n[3] = {c[0], c[1], c[2]};
                    n[axis] += step[axis];
                    const int sum = DungeonMap[CellIndex(c[0], c[1], c[2])] + DungeonMap[CellIndex(n[0], n[1], n[2])];
                    if (sum == CellEmpty + CellSolid) break;
                    cell[axis] += step[axis];
                    next[axis] += across[axis];
                }
            }
        EXPECT_EQ(unseen, 0) << Describe(view);
        EXPECT_GT(followed, ScreenPixelCount) << Describe(view);
    }
}

// A hall and a room behind a wall one cell thick with three small windows,
// an object and lights in the room: seen at slants through the windows.
TEST_F(Picture, FramesMatchThePlainDrawingThroughSmallOpenings) {
    FillCells(90, 90, 96, 110, 110, 101, CellEmpty);   // the hall
    FillCells(90, 112, 92, 110, 126, 105, CellEmpty);  // the room behind the wall at y = 111
    FillCells(95, 111, 99, 95, 111, 99, CellEmpty);    // windows through it
    FillCells(101, 111, 98, 102, 111, 98, CellEmpty);
    FillCells(107, 111, 100, 107, 111, 101, CellEmpty);
    FlagMap[CellIndex(100, 118, 99)] = FlagCube;
    FlagMap[CellIndex(96, 116, 100)] = FlagAltTexture;
    MarkVolumesChanged();
    Lights[3] = Light{100, 118, 100, 255, 255, 255, 9};
    Lights[4] = Light{95, 108, 99, 200, 90, 40, 6};
    viewRadius = 30;
    for (float yaw : {20.0f, 336.0f, 66.0f, 290.0f})
        for (float pitch : {90.0f, 104.0f, 76.0f}) {
            const Viewpoint view = {100, 100, 99, yaw, pitch};
            EXPECT_LE(CountDifferences(view), AllowedDifferences) << Describe(view);
        }
    // Close to a window, looking through it along the wall.
    const Viewpoint close = {96, 109, 99, 336.0f, 90.0f};
    EXPECT_LE(CountDifferences(close), AllowedDifferences) << Describe(close);

    // Walled up, the room can no longer be seen: its faces are left out.
    PlaceViewer({100, 100, 99, 0.0f, 90.0f});
    RunFrame();
    const int32_t open = viewCubeCounts.faces + viewCubeCounts.rects;
    for (int32_t x : {95, 101, 102, 107}) DungeonMap[CellIndex(x, 111, x == 107 ? 100 : 99)] = CellSolid;
    DungeonMap[CellIndex(101, 111, 98)] = DungeonMap[CellIndex(102, 111, 98)] = DungeonMap[CellIndex(107, 111, 101)] =
        CellSolid;
    MarkVolumesChanged();
    PlaceViewer({100, 100, 99, 0.0f, 90.0f});
    RunFrame();
    EXPECT_TRUE(viewCubeCounts.occluding);
    EXPECT_LT(viewCubeCounts.faces + viewCubeCounts.rects, open);
    const Viewpoint walled = {100, 100, 99, 0.0f, 90.0f};
    EXPECT_LE(CountDifferences(walled), AllowedDifferences) << Describe(walled);
}

// ---------------------------------------------------------------------------
// Changes of the world between frames
// ---------------------------------------------------------------------------

TEST_F(Picture, FramesFollowTheWorldWhenItChanges) {
    RegenerateWorld(0);
    std::vector<Viewpoint> views = FindOpenViews(1, 20);
    ASSERT_FALSE(views.empty());
    const Viewpoint view = views[0];
    viewRadius = 20;
    EXPECT_LE(CountDifferences(view), AllowedDifferences) << "first world " << Describe(view);

    // Another world around the same place.
    RegenerateWorld(1);
    FillCells(view.x - 2, view.y - 2, view.z - 2, view.x + 2, view.y + 2, view.z + 2, CellEmpty);
    EXPECT_LE(CountDifferences(view), AllowedDifferences) << "second world " << Describe(view);

    // Cells written directly, as a map load writes them: a wall across the
    // view, a room carved beyond it, marks on its floor.
    FillCells(view.x + 1, view.y - 2, view.z - 2, view.x + 1, view.y + 2, view.z + 2, CellSolid);
    FillCells(view.x + 3, view.y - 4, view.z - 3, view.x + 9, view.y + 4, view.z + 3, CellEmpty);
    DecorateAround({view.x + 6, view.y, view.z, 0.0f, 0.0f});
    for (float look : {view.yaw, 270.0f}) {
        const Viewpoint turned = {view.x, view.y, view.z, look, 90.0f};
        EXPECT_LE(CountDifferences(turned), AllowedDifferences) << "written cells " << Describe(turned);
    }
}

TEST_F(Picture, FramesDuringAMapLoadShowTheCellsLoadedSoFar) {
    ASSERT_TRUE(EnterScratchFolder("talvox-picture"));

    // Save the mode-1 world, then stand in the mode-0 world and load it: the
    // load's frames show the first chunks of cells from the file, the rest
    // from the world before. The viewer's own surroundings are open in both,
    // so that no frame's movement step pushes it.
    RegenerateWorld(0);
    std::vector<Viewpoint> views = FindOpenViews(1, 20);
    ASSERT_FALSE(views.empty());
    // Levels 94..116: the seventh and eighth chunks of the file arrive in view.
    const Viewpoint view = {views[0].x, views[0].y, 105, 0.0f, 60.0f};
    RegenerateWorld(1);
    FillCells(view.x - 1, view.y - 1, view.z - 1, view.x + 1, view.y + 1, view.z + 1, CellEmpty);
    SaveMap(0);
    RegenerateWorld(0);
    FillCells(view.x - 1, view.y - 1, view.z - 1, view.x + 1, view.y + 1, view.z + 1, CellEmpty);
    viewRadius = 12;
    PlaceViewer(view);
    RunFrame();
    int compared = 0;
    scriptedOnSwap = [&](int) {
        // The frame just shown; the cells it drew have not changed since.
        std::vector<uint8_t> frame = ReadbackRgb();
        const int32_t cell[3] = {SX, SY, SZ};
        const float offsets[3] = {px, py, pz};
        EXPECT_LE(CompareWithPlain(frame, cell, offsets, "load frame " + std::to_string(compared), true),
                  AllowedDifferences)
            << "load frame " << compared;
        compared++;
    };
    LoadMap(0);
    scriptedOnSwap = nullptr;
    EXPECT_EQ(compared, 17 + 1);  // the progress pictures and the "Map loaded" one
    EXPECT_LE(CountDifferences(view, true), AllowedDifferences) << "after the load";
}

TEST_F(Picture, ChunksAreBuiltOnceAndAgainAfterEveryChangeOfTheCells) {
    RegenerateWorld(0);
    std::vector<Viewpoint> views = FindOpenViews(1, 20);
    ASSERT_FALSE(views.empty());
    viewRadius = 30;
    auto lookAround = [&] {
        for (float look : {0.0f, 90.0f, 180.0f, 270.0f}) {
            PlaceViewer({views[0].x, views[0].y, views[0].z, look, 90.0f});
            RunFrame();
            EXPECT_GT(viewCubeCounts.faces + viewCubeCounts.rects, 0);
        }
    };
    // Chunks are built as the view first needs them; the same cells seen
    // again build nothing.
    lookAround();
    const int64_t first = chunkBuilds;
    EXPECT_GT(first, 0);
    lookAround();
    EXPECT_EQ(chunkBuilds, first);

    // A regeneration, even of the same world, and a direct write that is
    // announced each make the next frame build its chunks again.
    RegenerateWorld(0);
    RunFrame();
    const int64_t afterRegeneration = chunkBuilds;
    EXPECT_GT(afterRegeneration, first);
    DungeonMap[CellIndex(views[0].x + 3, views[0].y, views[0].z)] = CellSolid;
    MarkVolumesChanged();
    RunFrame();
    EXPECT_GT(chunkBuilds, afterRegeneration);
}

// ---------------------------------------------------------------------------
// Presentation
// ---------------------------------------------------------------------------

// The window's pixels after presentation are those of the picture drawn with
// a zoomed glDrawPixels at the raster position: every picture pixel a zoom x
// zoom block, blended over the back buffer where it is not opaque.
TEST(Presentation, FillsTheWindowWithTheSamePixelsAsZoomedPixelDrawing) {
    ResetProgramState();
    UseRealContext();
    for (int32_t scale = 1; scale <= 4; scale++) {
        const int width = ScreenWidth * scale, height = ScreenHeight * scale;
        ASSERT_TRUE(OpenRenderWindow("present", width, height, 24));
        screenScale = scale;
        // A picture with every channel varying, an opaque alpha as the
        // screen buffer always has, and a few pixels of the clear colour.
        for (int i = 0; i < ScreenPixelCount; i++) {
            uint8_t* p = ScreenPixels + i * 4;
            p[0] = static_cast<uint8_t>(i * 7);
            p[1] = static_cast<uint8_t>(i / 320 + i % 13);
            p[2] = static_cast<uint8_t>(i * 31 / 7);
            p[3] = 255;
        }
        std::copy(clearColourKey, clearColourKey + 3, ScreenPixels + 4 * 4321);
        // Half-transparent pixels in the second half of the scales.
        if (scale > 2) ScreenPixels[4 * 777 + 3] = ScreenPixels[4 * 70000 + 3] = 128;
        auto readWindow = [&] {
            std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
            glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            return pixels;
        };
        // Something under the picture for blending to show.
        auto clearToGrey = [] {
            glClearColor(0.3f, 0.6f, 0.2f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glClearColor(1.0f, 0.0f, 0.9f, 0.0f);
        };
        SetPresentationZoom();
        clearToGrey();
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glDrawPixels(ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, ScreenPixels);
        glDisable(GL_BLEND);
        glEnable(GL_TEXTURE_2D);
        const std::vector<uint8_t> zoomed = readWindow();

        clearToGrey();
        PresentScreen();
        const std::vector<uint8_t> presented = readWindow();
        size_t differing = 0;
        for (size_t i = 0; i < zoomed.size(); i += 4) differing += std::memcmp(&zoomed[i], &presented[i], 3) != 0;
        EXPECT_EQ(differing, 0u) << "scale " << scale;
        // The window's top-right block is the picture's top-right pixel.
        const uint8_t* corner = &presented[(static_cast<size_t>(height - 1) * width + width - 1) * 4];
        EXPECT_EQ(std::memcmp(corner, ScreenPixels + (ScreenPixelCount - 1) * 4, 3), 0) << "scale " << scale;
        // The state the frame relies on is as the zoomed drawing leaves it.
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], width);
        CloseRenderWindow();
    }

    // Fullscreen on a wide display, where the frame is drawn in the back
    // buffer (no own target): the margins are black after every
    // presentation, whether the back buffer held the clear colour or a frame
    // drawn into its bottom-left corner, which lies in a margin.
    scriptedContext.function = nullptr;
    const int width = 1000, height = 700;
    ASSERT_TRUE(OpenRenderWindow("present", width, height, 24));
    ASSERT_FALSE(pictureTargetOpen);
    picturePlacement = CentredPicturePlacement(width, height);
    ASSERT_EQ(picturePlacement.zoom, 2);
    const int left = picturePlacement.left, bottom = picturePlacement.bottom;
    for (int pass = 0; pass < 3; pass++) {
        if (pass == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        else RunFrame();
        PresentScreen();
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        size_t lit = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const bool inPicture =
                    x >= left && x < left + 2 * ScreenWidth && y >= bottom && y < bottom + 2 * ScreenHeight;
                const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
                if (!inPicture && (p[0] | p[1] | p[2])) lit++;
            }
        EXPECT_EQ(lit, 0u) << "margin pixels not black after presentation " << pass;
    }
    picturePlacement = {};
    CloseRenderWindow();
}
