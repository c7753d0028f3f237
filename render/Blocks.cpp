// Lighting and the shapes of cells and objects. The world is drawn from the
// inside: an empty cell shows a face on every side where it meets a solid
// cell, tinted by the average of the few lights chosen near the player this
// frame.
#include "render/Blocks.h"

#include <cmath>
#include <cstdlib>

#include "render/Textures.h"
#include "screen/OpenGL.h"
#include "world/WorldState.h"

int32_t maxActiveLights = 24;
int32_t activeLights[ActiveLightSlots] = {};
int32_t activeLightCount = 0;

// ---------------------------------------------------------------------------
// Lights
// ---------------------------------------------------------------------------

// The largest pass radius of the selection; a light this far or further on
// any one axis can never be selected.
static constexpr int32_t SelectionReach = 42;

// Distance along one axis, exact for any two 32-bit coordinates.
static int64_t AxisDistance(int32_t a, int32_t b) {
    return std::llabs(static_cast<int64_t>(a) - static_cast<int64_t>(b));
}

static bool IsLightSet(const Light& light) {
    return light.x != LightUnsetCell && light.y != LightUnsetCell && light.z != LightUnsetCell;
}

// Appends the lights within each pass radius to activeLights, nearest passes
// first, until limit entries; returns the count.
static int32_t CollectNearLights(int32_t limit) {
    int32_t n = 0;
    for (int32_t r = 1; r <= SelectionReach; r += 4) {
        for (int32_t i = 0; i < lightCapacity; i++) {
            const Light& light = Lights[i];
            if (!IsLightSet(light)) continue;
            int64_t farX = AxisDistance(light.x, SX), farY = AxisDistance(light.y, SY),
                    farZ = AxisDistance(light.z, SZ);
            if (farX >= SelectionReach || farY >= SelectionReach || farZ >= SelectionReach) continue;
            // Below the reach the products and their sum are exact in 32 bits.
            int32_t dx = static_cast<int32_t>(farX), dy = static_cast<int32_t>(farY), dz = static_cast<int32_t>(farZ);
            double d = std::sqrt(static_cast<double>(dx * dx + dy * dy)) + dz;
            if (r > d) {
                activeLights[n] = i;
                n += 1;
                if (n == limit) return n;
            }
        }
    }
    return n;
}

void SelectActiveLights() {
    int32_t limit = maxActiveLights < ActiveLightSlots ? maxActiveLights : ActiveLightSlots;
    activeLightCount = limit > 0 ? CollectNearLights(limit) : 0;
}

// Manhattan distance from a cell to a light, exact for any coordinates.
static int64_t LightDistance(int32_t x, int32_t y, int32_t z, const Light& light) {
    return AxisDistance(x, light.x) + AxisDistance(y, light.y) + AxisDistance(z, light.z);
}

void ComputeCellColour(int32_t x, int32_t y, int32_t z, uint8_t colour[3]) {
    int32_t n = 0;
    for (int32_t e = 0; e < activeLightCount; e++) {
        const Light& light = Lights[activeLights[e]];
        if (LightDistance(x, y, z, light) < light.radius) n += 1;
    }
    uint8_t red = 0, green = 0, blue = 0;
    for (int32_t e = 0; e < activeLightCount; e++) {
        const Light& light = Lights[activeLights[e]];
        float d = static_cast<float>(LightDistance(x, y, z, light));
        if (!(d < static_cast<float>(light.radius))) continue;
        float f = 1.0f - d / static_cast<float>(light.radius);
        red = static_cast<uint8_t>(red + static_cast<int32_t>(static_cast<float>(light.red) * f) / n);
        green = static_cast<uint8_t>(green + static_cast<int32_t>(static_cast<float>(light.green) * f) / n);
        blue = static_cast<uint8_t>(blue + static_cast<int32_t>(static_cast<float>(light.blue) * f) / n);
    }
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
}

// ---------------------------------------------------------------------------
// Cells
// ---------------------------------------------------------------------------

// In the order of the cell sides; corners in units of the unscaled +-1 cube.
const CellFace CellFaces[CellSides] = {
    {{0, 0, 1}, {{0, 1, -1, -1, 1}, {1, 1, 1, -1, 1}, {1, 0, 1, 1, 1}, {0, 0, -1, 1, 1}}},
    {{0, 0, -1}, {{1, 1, -1, -1, -1}, {1, 0, -1, 1, -1}, {0, 0, 1, 1, -1}, {0, 1, 1, -1, -1}}},
    {{0, 1, 0}, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},
    {{0, -1, 0}, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    {{1, 0, 0}, {{0, 1, 1, -1, -1}, {1, 1, 1, 1, -1}, {1, 0, 1, 1, 1}, {0, 0, 1, -1, 1}}},
    {{-1, 0, 0}, {{0, 1, -1, -1, -1}, {0, 0, -1, -1, 1}, {1, 0, -1, 1, 1}, {1, 1, -1, 1, -1}}},
};

void EmitFace(const CellFace& face) {
    glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
    for (const float* corner : face.corners) {
        glTexCoord2f(corner[0], corner[1]);
        glVertex3f(corner[2], corner[3], corner[4]);
    }
}

// ---------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------

// The object cube: six faces of normal and four corners (s, t, vertex).
static const CellFace ObjectFaces[CellSides] = {
    {{0, 0, 1}, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    {{0, 0, -1}, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    {{0, 1, 0}, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},
    {{0, -1, 0}, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    {{1, 0, 0}, {{1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1}}},
    {{-1, 0, 0}, {{0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}}},
};

void DrawObject(int32_t slot) {
    glBindTexture(GL_TEXTURE_2D, TextureNames[slot]);
    glScalef(0.2f, 0.2f, 0.2f);
    glRotatef(static_cast<float>(frameCounter), 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    for (const CellFace& face : ObjectFaces) EmitFace(face);
    glEnd();
}
