// Cell and object drawing, lighting, light selection, mouse-look, the view
// cube and the once-per-frame keys, checked in a real GL context: geometry is
// captured with GL feedback, textures are told apart by solid colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "app/Explorer.h"
#include "app/Frames.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Window.h"
#include "render/Automap.h"
#include "render/Bitmaps.h"
#include "render/Blocks.h"
#include "render/Frame.h"
#include "render/Textures.h"
#include "render/ViewCube.h"
#include "screen/OpenGL.h"
#include "screen/Screen.h"
#include "sys/Random.h"
#include "tests/support/PlainScene.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestState.h"
#include "tests/support/TestWorld.h"
#include "world/Player.h"
#include "world/WorldState.h"

namespace {

// The solid colour each texture slot is given in these tests.
const uint8_t SlotColours[TextureSlots][3] = {
    {200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}, {0, 200, 200}, {200, 0, 200},
};

// Fills slots 0..5 with 2 x 2 images of their colours.
void UseSolidTextures() {
    for (int slot = 0; slot < TextureSlots; slot++) {
        TextureImage& image = TextureImages[slot];
        std::free(image.pixels);
        image.pixels = static_cast<uint8_t*>(std::malloc(2 * 2 * 3));
        for (int i = 0; i < 4; i++) std::copy(SlotColours[slot], SlotColours[slot] + 3, image.pixels + i * 3);
        image.width = image.height = 2;
        image.bytesPerPixel = 3;
    }
}

class Drawing : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        UseSolidTextures();
        UseRealContext();
        ASSERT_TRUE(OpenRenderWindow("drawing", 320, 240, 24));
    }
    void TearDown() override { CloseRenderWindow(); }
};

// One vertex as fed back: object position (the ortho view below maps it
// straight back), colour 0..255 and texture coordinate.
struct FedVertex {
    float x, y, z;
    int r, g, b;
    float s, t;
};
using FedPolygon = std::vector<FedVertex>;

// An orthographic view of the box +-extent around the origin, 200 x 200
// pixels, with nothing culled: every face drawn comes back whole.
constexpr int FeedViewport = 200;

void SetFeedbackView(float extent) {
    glViewport(0, 0, FeedViewport, FeedViewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Feedback may hand each quad back as two triangles: joins each such pair
// into one polygon of its distinct corners, in the order first seen.
std::vector<FedPolygon> MergeTrianglePairs(const std::vector<FedPolygon>& polygons) {
    std::vector<FedPolygon> quads;
    for (size_t i = 0; i < polygons.size(); i++) {
        if (polygons[i].size() != 3 || i + 1 >= polygons.size() || polygons[i + 1].size() != 3) {
            quads.push_back(polygons[i]);
            continue;
        }
        FedPolygon quad = polygons[i];
        for (const FedVertex& v : polygons[i + 1]) {
            bool known = std::any_of(quad.begin(), quad.end(), [&](const FedVertex& q) {
                return std::fabs(q.x - v.x) < 1e-4f && std::fabs(q.y - v.y) < 1e-4f && std::fabs(q.z - v.z) < 1e-4f;
            });
            if (!known) quad.push_back(v);
        }
        quads.push_back(quad);
        i++;
    }
    return quads;
}

// Runs draw in feedback mode and returns the quads it drew, in order.
template <typename Draw>
std::vector<FedPolygon> CapturePolygons(float extent, Draw draw) {
    static std::vector<GLfloat> buffer(1 << 22);
    SetFeedbackView(extent);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glPushMatrix();
    draw();
    glPopMatrix();
    GLint count = glRenderMode(GL_RENDER);
    EXPECT_GE(count, 0) << "feedback buffer overflow";
    std::vector<FedPolygon> polygons;
    auto unmap = [extent](float window) { return window / FeedViewport * 2.0f * extent - extent; };
    for (GLint i = 0; i < count;) {
        GLint token = static_cast<GLint>(buffer[i++]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        GLint corners = static_cast<GLint>(buffer[i++]);
        FedPolygon polygon;
        for (GLint c = 0; c < corners; c++, i += 11) {
            const GLfloat* v = &buffer[i];
            FedVertex vertex;
            vertex.x = unmap(v[0]);
            vertex.y = unmap(v[1]);
            vertex.z = extent - v[2] * 2.0f * extent;  // depth 0 is the near plane at z = +extent
            vertex.r = static_cast<int>(std::lround(v[3] * 255.0f));
            vertex.g = static_cast<int>(std::lround(v[4] * 255.0f));
            vertex.b = static_cast<int>(std::lround(v[5] * 255.0f));
            vertex.s = v[7];
            vertex.t = v[8];
            polygon.push_back(vertex);
        }
        polygons.push_back(polygon);
    }
    return MergeTrianglePairs(polygons);
}

// Which face of the cell a polygon is, as "+z", "-x"...: the axis on which
// all its corners share the same side.
std::string FaceName(const FedPolygon& polygon) {
    const char* axes = "xyz";
    for (int axis = 0; axis < 3; axis++) {
        auto coordinate = [axis](const FedVertex& v) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
        float first = coordinate(polygon[0]);
        bool flat = std::all_of(polygon.begin(), polygon.end(),
                                [&](const FedVertex& v) { return std::fabs(coordinate(v) - first) < 1e-3f; });
        if (flat) return std::string(first > 0 ? "+" : "-") + axes[axis];
    }
    return "?";
}

std::vector<std::string> FaceNames(const std::vector<FedPolygon>& polygons) {
    std::vector<std::string> names;
    for (const FedPolygon& polygon : polygons) names.push_back(FaceName(polygon));
    return names;
}

std::vector<FedPolygon> CaptureCell(int32_t x, int32_t y, int32_t z) {
    return CapturePolygons(1.0f, [&] { DrawPlainCell(x, y, z); });
}

// A one-cell tunnel along x through (100, 100, 100).
void CarveTunnelAlongX() { FillCells(95, 100, 100, 105, 100, 100, CellEmpty); }

// A white light on the cell, the only active one, so faces show their
// textures' own colours.
void LightCellWhite(int32_t x, int32_t y, int32_t z) {
    Lights[2] = Light{x, y, z, 255, 255, 255, 50};
    activeLights[0] = plainLights[0] = 2;
    activeLightCount = plainLightCount = 1;
}

// Draws cell (x, y, z) seen slantwise and returns the set of colours that
// cover pixels (the clear colour left out).
std::set<std::array<int, 3>> ColoursDrawnBy(int32_t x, int32_t y, int32_t z) {
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glRotatef(35.0f, 1.0f, 0.4f, 0.2f);
    DrawPlainCell(x, y, z);
    glEnable(GL_DEPTH_TEST);
    std::vector<uint8_t> pixels(64 * 64 * 3);
    glReadPixels(0, 0, 64, 64, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::set<std::array<int, 3>> colours;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        std::array<int, 3> c = {pixels[i], pixels[i + 1], pixels[i + 2]};
        if (c != std::array<int, 3>{clearColourKey[0], clearColourKey[1], clearColourKey[2]}) colours.insert(c);
    }
    return colours;
}

std::array<int, 3> SlotColour(int slot) { return {SlotColours[slot][0], SlotColours[slot][1], SlotColours[slot][2]}; }

}  // namespace

// ---------------------------------------------------------------------------
// Faces
// ---------------------------------------------------------------------------

TEST_F(Drawing, SolidAndSurroundedCellsDrawNothing) {
    EXPECT_TRUE(CaptureCell(100, 100, 100).empty());
    FillCells(99, 99, 99, 101, 101, 101, CellEmpty);
    EXPECT_TRUE(CaptureCell(100, 100, 100).empty());
}

TEST_F(Drawing, ATunnelCellDrawsFloorCeilingAndItsSolidSides) {
    CarveTunnelAlongX();
    std::vector<FedPolygon> faces = CaptureCell(100, 100, 100);
    EXPECT_EQ(FaceNames(faces), (std::vector<std::string>{"+z", "-z", "+y", "-y"}));
    for (const FedPolygon& face : faces) {
        ASSERT_EQ(face.size(), 4u);
        for (const FedVertex& v : face) {
            // The +-1 cube scaled by a half.
            EXPECT_NEAR(std::fabs(v.x), 0.5f, 1e-4f);
            EXPECT_NEAR(std::fabs(v.y), 0.5f, 1e-4f);
            EXPECT_NEAR(std::fabs(v.z), 0.5f, 1e-4f);
        }
    }
    // The floor: t = 1 on the -y edge, s = 1 on the +x edge.
    const FedPolygon& floor = faces[0];
    for (const FedVertex& v : floor) {
        EXPECT_EQ(v.s, v.x > 0 ? 1.0f : 0.0f);
        EXPECT_EQ(v.t, v.y < 0 ? 1.0f : 0.0f);
    }
    // The walls: t = 0 on the lower (+z) edge, t = 1 on the upper edge, and
    // s runs along the wall.
    for (size_t i = 2; i < faces.size(); i++) {
        std::set<std::pair<float, float>> seen;
        for (const FedVertex& v : faces[i]) {
            EXPECT_EQ(v.t, v.z > 0 ? 0.0f : 1.0f) << FaceName(faces[i]);
            seen.insert({v.s, v.t});
        }
        EXPECT_EQ(seen.size(), 4u) << FaceName(faces[i]);
    }
    // A shaft cell along z meets rock on its four walls only.
    FillCells(110, 110, 95, 110, 110, 105, CellEmpty);
    EXPECT_EQ(FaceNames(CaptureCell(110, 110, 100)), (std::vector<std::string>{"+y", "-y", "+x", "-x"}));
}

TEST_F(Drawing, CodesAboveOneAreNeitherDrawnNorFacedAgainst) {
    CarveTunnelAlongX();
    SetCell(100, 101, 100, 2);  // beside the tunnel
    SetCell(101, 100, 100, 200);
    EXPECT_EQ(FaceNames(CaptureCell(100, 100, 100)), (std::vector<std::string>{"+z", "-z", "-y"}));
    // The odd cell itself draws nothing, though it has rock around it.
    EXPECT_TRUE(CaptureCell(100, 101, 100).empty());
}

TEST_F(Drawing, FloorTakesSlotTwoOrFiveAndTheRestTheWallTexture) {
    LightCellWhite(100, 100, 100);
    // Only the rock under the cell: the floor alone is drawn.
    FillCells(99, 99, 99, 101, 101, 100, CellEmpty);
    EXPECT_EQ(ColoursDrawnBy(100, 100, 100), (std::set<std::array<int, 3>>{SlotColour(2)}));
    FlagMap[CellIndex(100, 100, 100)] = FlagAltTexture;
    EXPECT_EQ(ColoursDrawnBy(100, 100, 100), (std::set<std::array<int, 3>>{SlotColour(5)}));

    // Only the rock over the cell (the ceiling), then only at its side: both
    // take the wall texture, whatever the flag.
    SetCell(100, 100, 101, CellEmpty);
    SetCell(100, 100, 99, CellSolid);
    wallTexture = 4;
    EXPECT_EQ(ColoursDrawnBy(100, 100, 100), (std::set<std::array<int, 3>>{SlotColour(4)}));
    SetCell(100, 100, 99, CellEmpty);
    SetCell(101, 100, 100, CellSolid);
    wallTexture = 0;
    EXPECT_EQ(ColoursDrawnBy(100, 100, 100), (std::set<std::array<int, 3>>{SlotColour(0)}));
}

// ---------------------------------------------------------------------------
// Colour
// ---------------------------------------------------------------------------

TEST_F(Drawing, CellsTakeTheAverageOfTheLightsThatReachThem) {
    Lights[0] = Light{100, 100, 100, 255, 255, 100, 6};
    activeLightCount = 1;
    activeLights[0] = 0;
    uint8_t colour[3];
    ComputeCellColour(101, 98, 100, colour);  // Manhattan distance 3
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{127, 127, 50}));

    activeLightCount = 11;
    for (int e = 0; e < 11; e++) activeLights[e] = 0;
    ComputeCellColour(100, 100, 103, colour);
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{121, 121, 44}));

    ComputeCellColour(103, 100, 103, colour);  // distance 6: out of reach
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{0, 0, 0}));

    // Two lights: each term is divided by the number that reach the cell.
    Lights[1] = Light{100, 100, 100, 255, 0, 0, 3};
    activeLightCount = 2;
    activeLights[0] = 0;
    activeLights[1] = 1;
    // 1 - 1/6 of the lantern and 1 - 1/3 of the red light, halved; 255 times
    // the single-precision 2/3 is just below 170.
    ComputeCellColour(100, 100, 101, colour);
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{106 + 84, 106, 41}));

    // A light with no radius never contributes.
    Lights[1].radius = 0;
    ComputeCellColour(100, 100, 100, colour);
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{255, 255, 100}));

    // The colour reaches GL as the vertex colour of every face of the plain
    // drawing (the picture tests hold the renderer to that drawing).
    CarveTunnelAlongX();
    plainLights[0] = 0;
    plainLightCount = 1;
    for (const FedPolygon& face : CaptureCell(101, 100, 100))
        for (const FedVertex& v : face)
            EXPECT_EQ((std::array<int, 3>{v.r, v.g, v.b}), (std::array<int, 3>{212, 212, 83}));
}

TEST_F(Drawing, FarLightsDoNotOverflowIntoTheColour) {
    Lights[0] = Light{100, 100, 100, 255, 255, 100, 6};
    // Half the 32-bit range away: its axis distance does not fit in 32 bits.
    Lights[3] = Light{-2147483548, 100, 100, 255, 255, 255, 6};
    Lights[4] = Light{2147483647, 2147483647, 2147483647, 255, 255, 255, 2147483647};
    activeLightCount = 3;
    activeLights[0] = 3;
    activeLights[1] = 0;
    activeLights[2] = 4;
    uint8_t colour[3];
    ComputeCellColour(101, 98, 100, colour);
    EXPECT_EQ((std::array<int, 3>{colour[0], colour[1], colour[2]}), (std::array<int, 3>{127, 127, 50}));
}

// ---------------------------------------------------------------------------
// Light selection
// ---------------------------------------------------------------------------

std::vector<int32_t> ActiveList() { return std::vector<int32_t>(activeLights, activeLights + activeLightCount); }

TEST_F(Drawing, SelectionTakesNearLightsFirstAndRepeatsThem) {
    // Nothing set: nothing selected.
    SelectActiveLights();
    EXPECT_EQ(activeLightCount, 0);

    // A light in the player cell stands in all eleven passes.
    Lights[7] = Light{100, 100, 100, 1, 2, 3, 5};
    SelectActiveLights();
    EXPECT_EQ(ActiveList(), std::vector<int32_t>(11, 7));

    // Plane distance 5 (3, 4) counts from the pass of radius 9; vertical
    // distance adds on; 40 is reached only by the last pass, 41 never.
    ClearLights();
    Lights[9] = Light{103, 104, 100, 0, 0, 0, 1};   // 5
    Lights[2] = Light{100, 100, 96, 0, 0, 0, 1};    // 4
    Lights[5] = Light{103, 104, 104, 0, 0, 0, 1};   // 9
    Lights[6] = Light{140, 100, 100, 0, 0, 0, 1};   // 40
    Lights[8] = Light{100, 59, 100, 0, 0, 0, 1};    // 41
    Lights[10] = Light{124, 124, 100, 0, 0, 0, 1};  // 33.94
    const std::vector<std::pair<int32_t, double>> distances = {{2, 4.0},  {5, 9.0}, {6, 40.0},
                                                               {8, 41.0}, {9, 5.0}, {10, std::sqrt(24.0 * 24.0 * 2)}};
    SelectActiveLights();
    std::vector<int32_t> expected;
    for (int r = 1; r <= 41; r += 4)
        for (const auto& [index, distance] : distances)
            if (r > distance) expected.push_back(index);
    expected.resize(std::min<size_t>(expected.size(), 24));
    EXPECT_EQ(ActiveList(), expected);
}

TEST_F(Drawing, SelectionStopsAtTwentyFourEntries) {
    for (int i = 0; i < 3; i++) Lights[20 + i] = Light{100, 100, 100, 0, 0, 0, 1};
    Lights[4] = Light{101, 100, 100, 0, 0, 0, 1};
    SelectActiveLights();
    ASSERT_EQ(activeLightCount, 24);
    // Pass 1: the three in the cell; then four a pass from the second on.
    std::vector<int32_t> expected = {20, 21, 22};
    while (expected.size() < 24) {
        for (int32_t i : {4, 20, 21, 22})
            if (expected.size() < 24) expected.push_back(i);
    }
    EXPECT_EQ(ActiveList(), expected);
}

TEST_F(Drawing, FarAndUnsetLightsAreNeverSelected) {
    // 65536 cells away: the square of the distance wraps to 0 in 32 bits.
    Lights[3] = Light{100 + 65536, 100, 100, 0, 0, 0, 1};
    Lights[4] = Light{100, 100 - 65536, 100, 0, 0, 0, 1};
    Lights[5] = Light{-2147483647 - 1 + 100, 100, 100, 0, 0, 0, 1};
    Lights[6] = Light{2147483647, 2147483647, 2147483647, 0, 0, 0, 1};
    Lights[7] = Light{100, 100, 100 + 41, 0, 0, 0, 1};
    SelectActiveLights();
    EXPECT_EQ(activeLightCount, 0) << "first: " << activeLights[0];
    // A player where the unset lights keep their cell still sees none of them.
    SX = SY = SZ = LightUnsetCell;
    SelectActiveLights();
    EXPECT_EQ(activeLightCount, 0) << "first: " << activeLights[0];
}

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

TEST_F(Drawing, ObjectsSpinOneDegreeAFrameAndAreAFifthOfTheCell) {
    auto capture = [](int32_t frame) {
        frameCounter = frame;
        return CapturePolygons(1.0f, [] {
            glScalef(0.5f, 0.5f, 0.5f);  // as DrawCell leaves the cell's matrix
            DrawObject(3);
        });
    };
    std::vector<FedPolygon> start = capture(0), turned = capture(360), quarter = capture(90);
    ASSERT_EQ(start.size(), 6u);
    ASSERT_EQ(turned.size(), 6u);
    float largest = 0.0f, moved = 0.0f;
    for (size_t f = 0; f < 6; f++) {
        for (size_t c = 0; c < 4; c++) {
            EXPECT_NEAR(start[f][c].x, turned[f][c].x, 1e-4f);
            EXPECT_NEAR(start[f][c].y, turned[f][c].y, 1e-4f);
            EXPECT_NEAR(start[f][c].z, turned[f][c].z, 1e-4f);
            largest = std::max({largest, std::fabs(start[f][c].x), std::fabs(start[f][c].y), std::fabs(start[f][c].z)});
            moved = std::max(moved, std::fabs(start[f][c].x - quarter[f][c].x));
        }
    }
    EXPECT_NEAR(largest, 0.1f, 1e-4f);
    EXPECT_GT(moved, 0.01f) << "the cube does not turn";
    EXPECT_EQ(FaceNames(start), (std::vector<std::string>{"+z", "-z", "+y", "-y", "+x", "-x"}));
}

// ---------------------------------------------------------------------------
// Mouse-look and the view cube
// ---------------------------------------------------------------------------

TEST_F(Drawing, MouseLookFollowsTheMouseOnlyWhileAButtonIsHeld) {
    screenScale = 3;
    mouseX = 485;  // 161 in picture units
    mouseY = 362;  // 120
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 0.0f);
    EXPECT_EQ(pitch, 0.0f);
    for (int32_t button : {KeyLeftButton, KeyMiddleButton, KeyRightButton}) {
        yaw = pitch = 0.0f;
        scriptedKeys[button] = true;
        UpdateViewAngles(ReadPlayerInput());
        scriptedKeys[button] = false;
        EXPECT_EQ(yaw, 342.0f) << button;
        EXPECT_EQ(pitch, 90.0f) << button;
    }
    scriptedKeys[KeyRightButton] = true;
    screenScale = 4;
    mouseX = 7;
    mouseY = 0;
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 22.0f);
    EXPECT_EQ(pitch, -30.0f);
    screenScale = 1;
    mouseX = 319;
    mouseY = 239;
    UpdateViewAngles(ReadPlayerInput());
    EXPECT_EQ(yaw, 658.0f);
    EXPECT_EQ(pitch, 209.0f);
}

TEST_F(Drawing, TheViewCubeReachesOneCellFurtherOnTheLowSide) {
    viewRadius = 1;
    // A box of 3 x 3 x 3 around the player, rock beyond it.
    FillCells(99, 99, 99, 101, 101, 101, CellEmpty);
    // Lit, every face comes back on its own.
    LightCellWhite(100, 100, 100);
    std::vector<FedPolygon> faces = CapturePolygons(4.0f, DrawViewCube);
    // Cells 99 and 100 on each axis: only the low walls, one face per cell
    // of each low side: 4 cells x 3 sides.
    std::multiset<std::string> sides;
    for (const FedPolygon& face : faces) {
        std::string name = FaceName(face);
        sides.insert(name);
        for (const FedVertex& v : face) {
            EXPECT_GE(std::min({v.x, v.y, v.z}), -1.5f - 1e-4f);
            EXPECT_LE(std::max({v.x, v.y, v.z}), 0.5f + 1e-4f);
        }
    }
    EXPECT_EQ(faces.size(), 12u);
    EXPECT_EQ(sides.count("-x"), 4u);
    EXPECT_EQ(sides.count("-y"), 4u);
    EXPECT_EQ(sides.count("-z"), 4u);

    // Unlit, faces of a side may come back merged (they are black whatever
    // their texture); they still cover the same four cells of each low side
    // and nothing else.
    activeLightCount = 0;
    std::map<std::string, float> area;
    for (const FedPolygon& face : CapturePolygons(4.0f, DrawViewCube)) {
        ASSERT_EQ(face.size(), 4u);
        const std::string name = FaceName(face);
        float size = 1.0f;
        for (int axis = 0; axis < 3; axis++) {
            auto coordinate = [axis](const FedVertex& v) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
            auto [low, high] = std::minmax_element(
                face.begin(), face.end(),
                [&](const FedVertex& a, const FedVertex& b) { return coordinate(a) < coordinate(b); });
            EXPECT_GE(coordinate(*low), -1.5f - 1e-4f);
            EXPECT_LE(coordinate(*high), 0.5f + 1e-4f);
            // The flat axis is the one the face is named after.
            if (name.size() == 2 && name[1] != "xyz"[axis]) size *= coordinate(*high) - coordinate(*low);
        }
        area[name] += size;
    }
    EXPECT_EQ(area.size(), 3u);
    for (const char* side : {"-x", "-y", "-z"}) EXPECT_NEAR(area[side], 4.0f, 1e-3f) << side;
}

TEST_F(Drawing, CellsOnTheWorldsShellAreNeverDrawn) {
    SX = SY = SZ = 2;
    viewRadius = 2;  // cells 0..3 on each axis
    // Open shell cells beside rock: drawn, they would show faces.
    SetCell(0, 2, 2, CellEmpty);
    SetCell(2, 0, 2, CellEmpty);
    SetCell(2, 2, 0, CellEmpty);
    SetCell(0, 0, 0, CellEmpty);
    EXPECT_TRUE(CapturePolygons(8.0f, DrawViewCube).empty());
    // The same open cell one step inside is drawn.
    SetCell(1, 2, 2, CellEmpty);
    EXPECT_EQ(CapturePolygons(8.0f, DrawViewCube).size(), 5u);
    // The frame's keys act here, since the cube holds cells that are drawn.
    EXPECT_TRUE(ViewCubeHasDrawnCell());
}

TEST_F(Drawing, NShowsTheMapOfWhatTheViewLookedThroughAndTheWayWalked) {
    // A room 11 x 11 cells and three levels tall around the player, with a
    // pillar as tall two cells along +x: looked round from the middle level,
    // every open cell is seen but those the pillar hides.
    FillCells(95, 95, 99, 105, 105, 101, CellEmpty);
    FillCells(102, 100, 99, 102, 100, 101, CellSolid);
    for (int32_t turn = 0; turn < 8; turn++)
        for (int32_t tilt = 0; tilt <= 4; tilt++) {
            yaw = 45.0f * turn, pitch = 45.0f * tilt;
            RunFrame();
        }
    std::set<std::tuple<int, int, int>> unseen, behind;
    for (int z = 99; z <= 101; z++)
        for (int y = 95; y <= 105; y++)
            for (int x = 95; x <= 105; x++) {
                if (DungeonMap[CellIndex(x, y, z)] == CellEmpty && !CellSeen(x, y, z)) unseen.insert({x, y, z});
                if (x >= 103 && y == 100) behind.insert({x, y, z});
            }
    EXPECT_EQ(unseen, behind);
    EXPECT_FALSE(CellSeen(102, 100, 100) || CellSeen(106, 100, 100)) << "rock seen";

    for (bool down : {true, false}) HandleWindowEvent(KeyEvent('N', down));
    ASSERT_TRUE(ActOnCommandKeys());
    yaw = 180.0f, pitch = 90.0f;
    RunFrame();
    // Two pixels a cell: (x, y) at column 160 + 2 (x - SX), row 120 + 2 (y - SY).
    auto is = [](int x, int y, const uint8_t* colour) {
        const int column = 160 + 2 * (x - SX), row = 120 + 2 * (y - SY);
        return std::memcmp(ScreenPixels + ((239 - row) * 320 + column) * 4, colour, 3) == 0;
    };
    static const uint8_t black[3] = {0, 0, 0};
    // The room's cells have open cells above and below them; the pillar
    // and the room's sides are wall.
    EXPECT_TRUE(is(95, 95, AutomapWayBothColour) && is(104, 101, AutomapWayBothColour));
    EXPECT_TRUE(is(102, 100, AutomapWallColour) && is(106, 100, AutomapWallColour) && is(95, 94, AutomapWallColour));
    EXPECT_TRUE(is(104, 100, black));
    // Walking up the picture leaves the trail behind the player.
    scriptedKeys['W'] = true;
    for (int frame = 0; frame < 20 && SY == 100; frame++) RunFrame();
    ASSERT_EQ(SY, 99);
    EXPECT_TRUE(is(100, 100, AutomapTrailColour));
}

// ---------------------------------------------------------------------------
// Lantern, marker and teleport: once per frame
// ---------------------------------------------------------------------------

TEST_F(Drawing, TeleportMovesOncePerFramePausingHalfASecond) {
    // A room of 40 x 40 x 40 cells: about one attempt in 125 finds it.
    FillCells(50, 50, 50, 89, 89, 89, CellEmpty);
    scriptedKeys['T'] = true;
    // The left button, held into each teleport, is let go during the pause.
    scriptedOnSleep = [](int32_t) { scriptedKeys[KeyLeftButton] = false; };
    SeedRandom(77);
    uint32_t replay = 77;
    for (int frame = 0; frame < 3; frame++) {
        scriptedKeys[KeyLeftButton] = true;
        int32_t x = SX, y = SY, z = SZ;
        for (int attempt = 0; attempt < 1000; attempt++) {
            int32_t a = ReplayDraw(&replay) % 200, b = ReplayDraw(&replay) % 200, c = ReplayDraw(&replay) % 200;
            if (DungeonMap[CellIndex(a, b, c)] == CellEmpty) {
                x = a;
                y = b;
                z = c;
                break;
            }
        }
        RunFrame();
        ASSERT_EQ(scriptedSleeps, std::vector<int32_t>(frame + 1, 500)) << "frame " << frame;
        EXPECT_EQ(randomState, replay) << "frame " << frame;
        // The player moves only as the teleport says: the walk after the
        // pause goes by the keys held then.
        EXPECT_EQ(SX, x);
        EXPECT_EQ(SY, y);
        EXPECT_EQ(SZ, z);
        EXPECT_EQ((std::array<float, 3>{px, py, pz}), (std::array<float, 3>{0.5f, 0.5f, 0.5f}));
        EXPECT_EQ(DungeonMap[CellIndex(SX, SY, SZ)], CellEmpty);
        // The lantern follows at once.
        EXPECT_EQ(Lights[0].x, SX);
        EXPECT_EQ(Lights[0].y, SY);
        EXPECT_EQ(Lights[0].z, SZ);
    }
    EXPECT_NE(SX * 1000000 + SY * 1000 + SZ, 100100100);
}

TEST_F(Drawing, TheTeleportFrameIsDrawnWhollyAtTheNewPlace) {
    for (int32_t z = 50; z < 90; z++)
        for (int32_t y = 50; y < 90; y++)
            for (int32_t x = 50; x < 90; x++) SetCell(x, y, z, (x + y + z) % 7 == 0 ? CellSolid : CellEmpty);
    SetCell(70, 70, 70, CellEmpty);
    scriptedKeys['T'] = true;
    SeedRandom(77);
    RunFrame();
    ASSERT_NE(SX, 100);
    // Which pixels the frame covered; its colours still come from the lights
    // selected before the teleport.
    auto coverage = [] {
        std::vector<bool> covered(ScreenPixelCount);
        for (int i = 0; i < ScreenPixelCount; i++)
            covered[i] = std::memcmp(ReadbackPixels + i * 4, clearColourKey, 3) != 0;
        return covered;
    };
    std::vector<bool> teleported = coverage();
    // The same place drawn again without the key covers the same pixels.
    scriptedKeys['T'] = false;
    RunFrame();
    EXPECT_EQ(teleported, coverage());
    EXPECT_GT(std::count(teleported.begin(), teleported.end(), true), ScreenPixelCount / 2);
}

TEST_F(Drawing, TeleportWithNowhereToGoStaysAfterAThousandTries) {
    scriptedKeys['T'] = true;
    SeedRandom(5);
    RunFrame();
    EXPECT_EQ(SX, 100);
    EXPECT_EQ(SY, 100);
    EXPECT_EQ(SZ, 100);
    EXPECT_EQ(scriptedSleeps, std::vector<int32_t>{500});
    EXPECT_EQ(randomState, StateAfter(5, 3000));
}

TEST_F(Drawing, KeysDoNothingWhenNoCellIsDrawn) {
    scriptedKeys['T'] = true;
    scriptedKeys['5'] = true;
    SX = SY = SZ = -100;
    RunFrame();
    EXPECT_TRUE(scriptedSleeps.empty());
    EXPECT_EQ(Lights[0].x, LightUnsetCell);
    EXPECT_EQ(Lights[1].x, LightUnsetCell);
}

TEST_F(Drawing, TheHighestHeldDigitPlacesTheMarker) {
    scriptedKeys['3'] = true;
    scriptedKeys['6'] = true;
    RunFrame();
    EXPECT_EQ(Lights[1].x, 100);
    EXPECT_EQ(Lights[1].y, 104);
    EXPECT_EQ(Lights[1].z, 100);
    EXPECT_EQ((std::array<int, 4>{Lights[1].red, Lights[1].green, Lights[1].blue, Lights[1].radius}),
              (std::array<int, 4>{255, 0, 0, 3}));
    EXPECT_EQ((std::array<int, 7>{Lights[0].x, Lights[0].y, Lights[0].z, Lights[0].red, Lights[0].green, Lights[0].blue,
                                  Lights[0].radius}),
              (std::array<int, 7>{100, 100, 100, 255, 255, 100, 6}));
    // Released, the marker stays where it was put.
    scriptedKeys['3'] = scriptedKeys['6'] = false;
    SY = 90;
    RunFrame();
    EXPECT_EQ(Lights[1].y, 104);
    EXPECT_EQ(Lights[0].y, 90);
}
