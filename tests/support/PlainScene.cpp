// The reference drawing of the world; written apart from the renderer so
// that the renderer can be checked against it picture for picture, and the
// cell rules against its polygons.
#include "tests/support/PlainScene.h"

#include <cmath>
#include <cstdlib>

#include "render/Bitmaps.h"
#include "render/Blocks.h"
#include "render/Textures.h"
#include "screen/OpenGL.h"
#include "screen/PictureTarget.h"
#include "screen/Screen.h"
#include "world/Player.h"
#include "world/WorldState.h"

int32_t plainLights[24];
int32_t plainLightCount = 0;

namespace {

// Eleven passes of growing radius over the light table; a near light enters
// once per pass it is inside.
void SelectPlainLights() {
    plainLightCount = 0;
    int32_t limit = maxActiveLights < 24 ? maxActiveLights : 24;
    for (int32_t r = 1; r <= 42; r += 4) {
        for (int32_t i = 0; i < lightCapacity; i++) {
            const Light& light = Lights[i];
            if (light.x == LightUnsetCell || light.y == LightUnsetCell || light.z == LightUnsetCell) continue;
            long long dx = std::llabs(static_cast<long long>(light.x) - SX);
            long long dy = std::llabs(static_cast<long long>(light.y) - SY);
            long long dz = std::llabs(static_cast<long long>(light.z) - SZ);
            double d = std::sqrt(static_cast<double>(dx * dx + dy * dy)) + static_cast<double>(dz);
            if (r > d) {
                plainLights[plainLightCount++] = i;
                if (plainLightCount == limit) return;
            }
        }
    }
}

long long Manhattan(int32_t x, int32_t y, int32_t z, const Light& light) {
    return std::llabs(static_cast<long long>(x) - light.x) + std::llabs(static_cast<long long>(y) - light.y) +
           std::llabs(static_cast<long long>(z) - light.z);
}

void SetPlainColour(int32_t x, int32_t y, int32_t z) {
    int n = 0;
    for (int e = 0; e < plainLightCount; e++) {
        const Light& light = Lights[plainLights[e]];
        if (Manhattan(x, y, z, light) < light.radius) n++;
    }
    uint8_t rgb[3] = {0, 0, 0};
    for (int e = 0; e < plainLightCount; e++) {
        const Light& light = Lights[plainLights[e]];
        float d = static_cast<float>(Manhattan(x, y, z, light));
        if (d < static_cast<float>(light.radius)) {
            float f = 1.0f - d / static_cast<float>(light.radius);
            rgb[0] = static_cast<uint8_t>(rgb[0] + static_cast<int>(light.red * f) / n);
            rgb[1] = static_cast<uint8_t>(rgb[1] + static_cast<int>(light.green * f) / n);
            rgb[2] = static_cast<uint8_t>(rgb[2] + static_cast<int>(light.blue * f) / n);
        }
    }
    glColor3ub(rgb[0], rgb[1], rgb[2]);
}

bool Solid(int32_t x, int32_t y, int32_t z) { return DungeonMap[CellIndex(x, y, z)] == CellSolid; }

void Corner(float s, float t, float x, float y, float z) {
    glTexCoord2f(s, t);
    glVertex3f(x, y, z);
}

}  // namespace

void DrawPlainCell(int32_t x, int32_t y, int32_t z) {
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
    glEnable(GL_COLOR_MATERIAL);
    SetPlainColour(x, y, z);
    glScalef(0.5f, 0.5f, 0.5f);
    const uint8_t code = DungeonMap[CellIndex(x, y, z)];
    if (FlagMap[CellIndex(x, y, z)] == FlagAltTexture) glBindTexture(GL_TEXTURE_2D, TextureNames[GreenTextureSlot]);
    else if (code <= CellSolid) glBindTexture(GL_TEXTURE_2D, TextureNames[FloorTextureSlot]);
    const bool open = code == CellEmpty;

    glBegin(GL_QUADS);
    if (open && Solid(x, y, z + 1)) {
        glNormal3f(0, 0, 1);
        Corner(0, 1, -1, -1, 1);
        Corner(1, 1, 1, -1, 1);
        Corner(1, 0, 1, 1, 1);
        Corner(0, 0, -1, 1, 1);
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, TextureNames[wallTexture]);
    glBegin(GL_QUADS);
    if (open && Solid(x, y, z - 1)) {
        glNormal3f(0, 0, -1);
        Corner(1, 1, -1, -1, -1);
        Corner(1, 0, -1, 1, -1);
        Corner(0, 0, 1, 1, -1);
        Corner(0, 1, 1, -1, -1);
    }
    glEnd();
    glBegin(GL_QUADS);
    if (open && Solid(x, y + 1, z)) {
        glNormal3f(0, 1, 0);
        Corner(0, 1, -1, 1, -1);
        Corner(0, 0, -1, 1, 1);
        Corner(1, 0, 1, 1, 1);
        Corner(1, 1, 1, 1, -1);
    }
    if (open && Solid(x, y - 1, z)) {
        glNormal3f(0, -1, 0);
        Corner(1, 1, -1, -1, -1);
        Corner(0, 1, 1, -1, -1);
        Corner(0, 0, 1, -1, 1);
        Corner(1, 0, -1, -1, 1);
    }
    if (open && Solid(x + 1, y, z)) {
        glNormal3f(1, 0, 0);
        Corner(0, 1, 1, -1, -1);
        Corner(1, 1, 1, 1, -1);
        Corner(1, 0, 1, 1, 1);
        Corner(0, 0, 1, -1, 1);
    }
    if (open && Solid(x - 1, y, z)) {
        glNormal3f(-1, 0, 0);
        Corner(0, 1, -1, -1, -1);
        Corner(0, 0, -1, -1, 1);
        Corner(1, 0, -1, 1, 1);
        Corner(1, 1, -1, 1, -1);
    }
    glEnd();
}

void DrawPlainObject(int32_t slot) {
    glBindTexture(GL_TEXTURE_2D, TextureNames[slot]);
    glScalef(0.2f, 0.2f, 0.2f);
    glRotatef(static_cast<float>(frameCounter), 1, 1, 1);
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    Corner(0, 0, -1, -1, 1);
    Corner(1, 0, 1, -1, 1);
    Corner(1, 1, 1, 1, 1);
    Corner(0, 1, -1, 1, 1);
    glNormal3f(0, 0, -1);
    Corner(1, 0, -1, -1, -1);
    Corner(1, 1, -1, 1, -1);
    Corner(0, 1, 1, 1, -1);
    Corner(0, 0, 1, -1, -1);
    glNormal3f(0, 1, 0);
    Corner(0, 1, -1, 1, -1);
    Corner(0, 0, -1, 1, 1);
    Corner(1, 0, 1, 1, 1);
    Corner(1, 1, 1, 1, -1);
    glNormal3f(0, -1, 0);
    Corner(1, 1, -1, -1, -1);
    Corner(0, 1, 1, -1, -1);
    Corner(0, 0, 1, -1, 1);
    Corner(1, 0, -1, -1, 1);
    glNormal3f(1, 0, 0);
    Corner(1, 0, 1, -1, -1);
    Corner(1, 1, 1, 1, -1);
    Corner(0, 1, 1, 1, 1);
    Corner(0, 0, 1, -1, 1);
    glNormal3f(-1, 0, 0);
    Corner(0, 0, -1, -1, -1);
    Corner(1, 0, -1, -1, 1);
    Corner(1, 1, -1, 1, 1);
    Corner(0, 1, -1, 1, -1);
    glEnd();
}

void DrawPlainScene(uint8_t* rgb) {
    BindPictureTarget();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glViewport(0, 0, 320, 240);
    glEnable(GL_TEXTURE_2D);
    SelectPlainLights();
    glRotatef(pitch, 1, 0, 0);
    glRotatef(180.0f - yaw, 0, 0, 1);
    glTranslatef(px - 0.5f, py - 0.5f, pz - 0.5f);
    const int32_t r = viewRadius;
    for (int32_t z = SZ - r; z < SZ + r; z++) {
        for (int32_t y = SY - r; y < SY + r; y++) {
            for (int32_t x = SX - r; x < SX + r; x++) {
                glPushMatrix();
                glTranslatef(static_cast<float>(x - SX), static_cast<float>(y - SY), static_cast<float>(z - SZ));
                if (x > 0 && x < worldSide - 1 && y > 0 && y < worldSide - 1 && z > 0 && z < worldLevels - 1) {
                    DrawPlainCell(x, y, z);
                    const uint8_t flag = FlagMap[CellIndex(x, y, z)];
                    if (flag == FlagCube) DrawPlainObject(CubeTextureSlot);
                    if (flag == FlagActor) DrawPlainObject(GreenTextureSlot);
                }
                glPopMatrix();
            }
        }
    }
    glLoadIdentity();
    glReadPixels(0, 0, 320, 240, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    ReleasePictureTarget();
}

std::vector<uint8_t> ReadbackRgb() {
    std::vector<uint8_t> rgb(ScreenPixelCount * 3);
    for (int i = 0; i < ScreenPixelCount; i++)
        for (int c = 0; c < 3; c++) rgb[i * 3 + c] = ReadbackPixels[i * 4 + c];
    return rgb;
}
