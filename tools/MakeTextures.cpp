// Writes the six texture bitmaps into the folder given as the argument:
// castle stone, two old bricks, a patterned floor tile, dressed stonework and
// green slime. Every image is drawn here from integer hashes, so the files are
// the same on every run and every machine; colours come from short ramps of
// 6-bit-per-channel levels, as a 256-colour VGA palette would give them.
// Usage: talvox_make_textures <folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/Bitmaps.h"

// ---------------------------------------------------------------------------
// Pictures and files
// ---------------------------------------------------------------------------

struct Colour {
    int r, g, b;
};

// A square picture, row 0 at the top, R, G, B per pixel.
struct Picture {
    int side = 0;
    std::vector<uint8_t> rgb;
};

static Picture MakePicture(int side) {
    Picture picture;
    picture.side = side;
    picture.rgb.assign(static_cast<size_t>(side) * side * 3, 0);
    return picture;
}

static void SetPixel(Picture& picture, int x, int y, Colour c) {
    uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.side + x) * 3];
    p[0] = static_cast<uint8_t>(c.r);
    p[1] = static_cast<uint8_t>(c.g);
    p[2] = static_cast<uint8_t>(c.b);
}

static void PutLittle(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; i++) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Writes picture as an uncompressed 24-bit bitmap, bottom row first.
static bool WriteBitmap(const std::string& path, const Picture& picture) {
    const int side = picture.side;
    const uint32_t stride = static_cast<uint32_t>((side * 3 + 3) / 4 * 4);
    const uint32_t dataBytes = stride * static_cast<uint32_t>(side);
    std::vector<uint8_t> bytes;
    bytes.push_back('B');
    bytes.push_back('M');
    PutLittle(bytes, 54 + dataBytes, 4);  // file size
    PutLittle(bytes, 0, 4);               // reserved
    PutLittle(bytes, 54, 4);              // pixel data offset
    PutLittle(bytes, 40, 4);              // info header size
    PutLittle(bytes, static_cast<uint32_t>(side), 4);
    PutLittle(bytes, static_cast<uint32_t>(side), 4);
    PutLittle(bytes, 1, 2);   // planes
    PutLittle(bytes, 24, 2);  // bits per pixel
    PutLittle(bytes, 0, 4);   // no compression
    PutLittle(bytes, dataBytes, 4);
    PutLittle(bytes, 2835, 4);  // 72 dpi
    PutLittle(bytes, 2835, 4);
    PutLittle(bytes, 0, 4);
    PutLittle(bytes, 0, 4);
    for (int row = side - 1; row >= 0; row--) {
        for (int x = 0; x < side; x++) {
            const uint8_t* p = &picture.rgb[(static_cast<size_t>(row) * side + x) * 3];
            bytes.push_back(p[2]);
            bytes.push_back(p[1]);
            bytes.push_back(p[0]);
        }
        for (uint32_t pad = static_cast<uint32_t>(side) * 3; pad < stride; pad++) bytes.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// ---------------------------------------------------------------------------
// Noise: integer hashes, tileable value noise and cell noise
// ---------------------------------------------------------------------------

static uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u ^ a * 0x85EBCA6Bu ^ b * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// 0..1 from a hash.
static float Unit(uint32_t a, uint32_t b, uint32_t seed) {
    return static_cast<float>(Hash(a, b, seed) & 0xFFFFFF) / 16777215.0f;
}

static int Wrap(int value, int period) { return ((value % period) + period) % period; }

// Smooth value noise on a lattice of cell pixels, repeating every period
// pixels (period a multiple of cell); 0..1.
static float ValueNoise(float x, float y, int cell, int period, uint32_t seed) {
    const int lattice = period / cell;
    float fx = x / static_cast<float>(cell), fy = y / static_cast<float>(cell);
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto corner = [&](int cx, int cy) {
        return Unit(static_cast<uint32_t>(Wrap(cx, lattice)), static_cast<uint32_t>(Wrap(cy, lattice)), seed);
    };
    float top = corner(x0, y0) + (corner(x0 + 1, y0) - corner(x0, y0)) * tx;
    float bottom = corner(x0, y0 + 1) + (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1)) * tx;
    return top + (bottom - top) * ty;
}

// Sum of octaves of value noise from cell pixels down to 2; 0..1.
static float Fractal(float x, float y, int cell, int period, uint32_t seed) {
    float sum = 0.0f, weight = 0.0f, amplitude = 1.0f;
    for (int octave = 0; cell >= 2; octave++, cell /= 2, amplitude *= 0.55f) {
        sum += amplitude * ValueNoise(x, y, cell, period, seed + static_cast<uint32_t>(octave) * 101u);
        weight += amplitude;
    }
    return sum / weight;
}

// Distance to the nearest and second-nearest of one random point per cell of
// a grid of cell pixels, repeating every period pixels.
static void CellNoise(float x, float y, int cell, int period, uint32_t seed, float* nearest, float* second) {
    const int lattice = period / cell;
    int cx = static_cast<int>(std::floor(x / static_cast<float>(cell)));
    int cy = static_cast<int>(std::floor(y / static_cast<float>(cell)));
    float best = 1e9f, next = 1e9f;
    for (int j = -1; j <= 1; j++) {
        for (int i = -1; i <= 1; i++) {
            int gx = cx + i, gy = cy + j;
            uint32_t hx = static_cast<uint32_t>(Wrap(gx, lattice)), hy = static_cast<uint32_t>(Wrap(gy, lattice));
            float fx = (static_cast<float>(gx) + 0.15f + 0.7f * Unit(hx, hy, seed)) * static_cast<float>(cell);
            float fy = (static_cast<float>(gy) + 0.15f + 0.7f * Unit(hx, hy, seed + 7u)) * static_cast<float>(cell);
            float d = std::sqrt((fx - x) * (fx - x) + (fy - y) * (fy - y));
            if (d < best) {
                next = best;
                best = d;
            } else if (d < next) {
                next = d;
            }
        }
    }
    *nearest = best;
    *second = next;
}

// The 4 x 4 ordered-dither threshold of a pixel, -0.5..0.5.
static float Dither(int x, int y) {
    static const int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (static_cast<float>(Bayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
}

static float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// ---------------------------------------------------------------------------
// Palette ramps
// ---------------------------------------------------------------------------

// A run of palette entries from dark to light, each channel on the 64 levels
// of a VGA palette register.
struct Ramp {
    std::vector<Colour> shades;
};

static int VgaLevel(float channel) {
    int level = static_cast<int>(std::lround(Clamp01(channel / 255.0f) * 63.0f));
    return level << 2 | level >> 4;
}

// count shades through the key colours, spaced evenly.
static Ramp MakeRamp(std::initializer_list<Colour> keys, int count) {
    std::vector<Colour> k(keys);
    Ramp ramp;
    for (int i = 0; i < count; i++) {
        float t = static_cast<float>(i) / static_cast<float>(count - 1) * static_cast<float>(k.size() - 1);
        int a = static_cast<int>(t);
        if (a >= static_cast<int>(k.size()) - 1) a = static_cast<int>(k.size()) - 2;
        float f = t - static_cast<float>(a);
        const Colour& p = k[a];
        const Colour& q = k[a + 1];
        ramp.shades.push_back(
            {VgaLevel(p.r + (q.r - p.r) * f), VgaLevel(p.g + (q.g - p.g) * f), VgaLevel(p.b + (q.b - p.b) * f)});
    }
    return ramp;
}

// The ramp entry for shade 0..1 at pixel (x, y), dithered by amount of a step.
static Colour Shade(const Ramp& ramp, float shade, int x, int y, float amount) {
    const int last = static_cast<int>(ramp.shades.size()) - 1;
    float position = Clamp01(shade) * static_cast<float>(last) + Dither(x, y) * amount;
    int index = static_cast<int>(std::lround(position));
    if (index < 0) index = 0;
    if (index > last) index = last;
    return ramp.shades[index];
}

// ---------------------------------------------------------------------------
// Masonry: rows of blocks with joints
// ---------------------------------------------------------------------------

// Where a pixel lies in a course of masonry: its block's id and its distances
// to the block's four edges (inside the joint when any is negative).
struct BlockSpot {
    uint32_t id;
    int left, right, top, bottom;
};

// rows: top edge of each course (ascending, first 0) inside a picture of side;
// joints: the x of every vertical joint of each course, wrapping at side.
static BlockSpot FindBlock(int x, int y, int side, const std::vector<int>& rows,
                           const std::vector<std::vector<int>>& joints) {
    int course = 0;
    while (course + 1 < static_cast<int>(rows.size()) && y >= rows[course + 1]) course++;
    int courseTop = rows[course];
    int courseBottom = course + 1 < static_cast<int>(rows.size()) ? rows[course + 1] : side;
    const std::vector<int>& cuts = joints[course];
    // Find the joint at or before x, wrapping round the picture.
    int start = cuts.back() - side, end = cuts.front(), index = static_cast<int>(cuts.size()) - 1;
    for (int i = 0; i < static_cast<int>(cuts.size()); i++) {
        if (cuts[i] <= x) {
            start = cuts[i];
            end = i + 1 < static_cast<int>(cuts.size()) ? cuts[i + 1] : cuts.front() + side;
            index = i;
        }
    }
    BlockSpot spot;
    spot.id = static_cast<uint32_t>(course * 64 + index);
    spot.left = x - start;
    spot.right = end - 1 - x;
    spot.top = y - courseTop;
    spot.bottom = courseBottom - 1 - y;
    return spot;
}

// ---------------------------------------------------------------------------
// The six pictures
// ---------------------------------------------------------------------------

// Grey-blue castle stone: large uneven blocks, each lit from above, with
// grain, a few cracks and dark recessed mortar.
static Picture DrawCastleStone() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp stone = MakeRamp({{18, 18, 26}, {70, 72, 86}, {130, 130, 140}, {190, 188, 182}, {236, 232, 220}}, 16);
    const Ramp warmStone =
        MakeRamp({{24, 20, 18}, {84, 76, 70}, {140, 128, 114}, {196, 182, 160}, {236, 226, 206}}, 16);
    const Ramp mortar = MakeRamp({{10, 10, 14}, {40, 38, 44}, {70, 66, 70}}, 6);
    const std::vector<int> rows = {0, 14, 30, 46};
    const std::vector<std::vector<int>> joints = {{6, 30, 50}, {16, 42}, {2, 24, 46}, {12, 36, 58}};
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            BlockSpot spot = FindBlock(x, y, side, rows, joints);
            float grain = Fractal(static_cast<float>(x), static_cast<float>(y), 16, side, 11);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 12);
            // Joints are two pixels wide, ragged where the noise eats into the stone.
            int edge = std::min(std::min(spot.left, spot.right), std::min(spot.top, spot.bottom));
            bool joint = spot.right < 2 || spot.bottom < 2 || (edge == 0 && grain < 0.42f);
            if (joint) {
                SetPixel(picture, x, y, Shade(mortar, 0.2f + 0.6f * fine * grain, x, y, 0.6f));
                continue;
            }
            float tone = 0.42f + 0.22f * Unit(spot.id, 1, 13);
            float shade = tone + (grain - 0.5f) * 0.45f + (fine - 0.5f) * 0.08f;
            // Bevel: light from the top left, shadow on the bottom right.
            if (spot.top == 0 || spot.left == 0) shade += 0.2f;
            else if (spot.top == 1 || spot.left == 1) shade += 0.08f;
            if (spot.bottom == 2 || spot.right == 2) shade -= 0.2f;
            else if (spot.bottom == 3 || spot.right == 3) shade -= 0.08f;
            // Pits and chips.
            if (Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 14) > 0.97f) shade -= 0.22f;
            const Ramp& ramp = Unit(spot.id, 2, 13) > 0.65f ? warmStone : stone;
            SetPixel(picture, x, y, Shade(ramp, shade, x, y, 0.5f));
        }
    }
    // A few hairline cracks wandering down from the top of some blocks.
    for (int crack = 0; crack < 5; crack++) {
        int x = static_cast<int>(Hash(static_cast<uint32_t>(crack), 0, 15) % side);
        int y = static_cast<int>(Hash(static_cast<uint32_t>(crack), 1, 15) % side);
        int length = 5 + static_cast<int>(Hash(static_cast<uint32_t>(crack), 2, 15) % 7);
        for (int step = 0; step < length; step++) {
            SetPixel(picture, Wrap(x, side), Wrap(y, side), stone.shades[2]);
            y++;
            x += static_cast<int>(Hash(static_cast<uint32_t>(crack), static_cast<uint32_t>(step), 16) % 3) - 1;
        }
    }
    return picture;
}

// Red brick in running bond, soft and weathered: each brick its own shade,
// worn corners, pale crumbling mortar.
static Picture DrawOldBrickRed() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp brick = MakeRamp({{40, 8, 6}, {110, 30, 18}, {160, 58, 34}, {200, 100, 66}, {226, 150, 110}}, 16);
    const Ramp mortar = MakeRamp({{84, 76, 64}, {150, 140, 120}, {200, 192, 170}}, 8);
    std::vector<int> rows;
    std::vector<std::vector<int>> joints;
    for (int course = 0; course < 8; course++) {
        rows.push_back(course * 8);
        int shift = (course % 2) * 8;
        joints.push_back({shift, shift + 16, shift + 32, shift + 48});
    }
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            BlockSpot spot = FindBlock(x, y, side, rows, joints);
            float wear = Fractal(static_cast<float>(x), static_cast<float>(y), 16, side, 21);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 22);
            bool joint = spot.bottom == 0 || spot.right == 0;
            // Worn corners let the mortar show.
            bool corner = (spot.left + spot.top < 2 || spot.right + spot.bottom < 3 || spot.left + spot.bottom < 2 ||
                           spot.right + spot.top < 2) &&
                          wear > 0.45f;
            if (joint || corner) {
                SetPixel(picture, x, y, Shade(mortar, 0.35f + 0.5f * wear + (fine - 0.5f) * 0.3f, x, y, 0.8f));
                continue;
            }
            float tone = 0.4f + 0.25f * Unit(spot.id, 3, 23);
            float shade = tone + (wear - 0.5f) * 0.5f + (fine - 0.5f) * 0.12f;
            if (spot.top == 0) shade += 0.1f;
            if (spot.bottom == 1) shade -= 0.15f;
            // Dark weathering spots.
            if (Fractal(static_cast<float>(x), static_cast<float>(y), 8, side, 24) > 0.66f) shade -= 0.2f;
            SetPixel(picture, x, y, Shade(brick, shade, x, y, 0.6f));
        }
    }
    return picture;
}

// A bold floor tile: four tiles of a blue-bordered square with a red and gold
// diamond, the corners meeting in blue diamonds, on alternating cream and
// terracotta fields, a little worn.
static Picture DrawPatternedTile() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp grout = MakeRamp({{20, 16, 14}, {52, 44, 40}}, 4);
    const Ramp blue = MakeRamp({{0, 0, 60}, {0, 24, 150}, {60, 100, 230}}, 8);
    const Ramp gold = MakeRamp({{110, 70, 0}, {220, 170, 30}, {255, 240, 120}}, 8);
    const Ramp red = MakeRamp({{70, 0, 0}, {170, 20, 10}, {230, 80, 50}}, 8);
    const Ramp cream = MakeRamp({{140, 120, 90}, {210, 195, 160}, {245, 238, 215}}, 8);
    const Ramp terracotta = MakeRamp({{90, 40, 20}, {170, 84, 44}, {215, 130, 86}}, 8);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            int tx = x / 32, ty = y / 32;
            // Distances from the tile centre (between pixels 15 and 16).
            int dx = std::abs(2 * (x % 32) - 31) / 2, dy = std::abs(2 * (y % 32) - 31) / 2;
            int square = std::max(dx, dy), diamond = dx + dy;
            float wear = Fractal(static_cast<float>(x), static_cast<float>(y), 16, side, 31);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 32);
            float shade = 0.55f + (wear - 0.5f) * 0.5f + (fine - 0.5f) * 0.15f;
            const Ramp* ramp;
            if (square == 15) {
                ramp = &grout;
                shade = fine;
            } else if (diamond >= 25) {
                ramp = &blue;  // corners: quarters of the diamonds between tiles
            } else if (square >= 12) {
                ramp = square == 14 ? &gold : &blue;
            } else if (diamond <= 2) {
                ramp = &gold;
            } else if (diamond <= 7) {
                ramp = &red;
            } else if (diamond <= 9) {
                ramp = &gold;
            } else {
                ramp = (tx + ty) % 2 == 0 ? &cream : &terracotta;
                // A faint inner square line on the field.
                if (square == 10) shade -= 0.25f;
            }
            // Raised look: light on the top-left side of each band edge.
            if (square == 13 && (x % 32 < 16 || y % 32 < 16) && ramp == &blue) shade += 0.15f;
            SetPixel(picture, x, y, Shade(*ramp, shade, x, y, 0.7f));
        }
    }
    return picture;
}

// Dressed sandstone ashlar: tall and short courses of squared blocks with
// fine joints, drafted margins round each face and chisel lines inside.
static Picture DrawDressedStone() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp stone = MakeRamp({{52, 40, 28}, {120, 98, 70}, {176, 152, 112}, {214, 196, 156}, {240, 230, 200}}, 16);
    const Ramp joint = MakeRamp({{24, 20, 16}, {60, 50, 40}}, 4);
    const std::vector<int> rows = {0, 20, 32, 52};
    const std::vector<std::vector<int>> joints = {{0, 24, 44}, {10, 30, 50}, {14, 38, 58}, {4, 20, 36, 52}};
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            BlockSpot spot = FindBlock(x, y, side, rows, joints);
            float cloud = Fractal(static_cast<float>(x), static_cast<float>(y), 32, side, 41);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 42);
            if (spot.bottom == 0 || spot.right == 0) {
                SetPixel(picture, x, y, Shade(joint, fine, x, y, 0.5f));
                continue;
            }
            float tone = 0.5f + 0.16f * Unit(spot.id, 5, 43);
            float shade = tone + (cloud - 0.5f) * 0.35f + (fine - 0.5f) * 0.06f;
            int margin = std::min(std::min(spot.left, spot.right - 1), std::min(spot.top, spot.bottom - 1));
            if (margin <= 1) {
                // Drafted margin: smooth and a shade lighter.
                shade += 0.1f;
                if (spot.top == 0 || spot.left == 0) shade += 0.12f;
                if (spot.bottom == 1 || spot.right == 1) shade -= 0.22f;
            } else {
                // Chisel strokes across the face.
                int stroke = (x + 2 * y + static_cast<int>(Hash(spot.id, 6, 44) % 5)) % 5;
                if (stroke == 0) shade -= 0.09f;
                if (stroke == 1) shade += 0.04f;
                if (margin == 2) shade -= 0.05f;
            }
            SetPixel(picture, x, y, Shade(stone, shade, x, y, 0.5f));
        }
    }
    return picture;
}

// Dark old brick: brown-purple bricks of uneven length, sooty and chipped,
// deep dark mortar, a brick or two burnt almost black.
static Picture DrawOldBrickDark() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp brick = MakeRamp({{22, 10, 12}, {70, 34, 34}, {116, 62, 52}, {156, 96, 72}, {190, 140, 110}}, 16);
    const Ramp mortar = MakeRamp({{12, 10, 10}, {36, 32, 30}, {64, 58, 52}}, 6);
    std::vector<int> rows;
    std::vector<std::vector<int>> joints;
    for (int course = 0; course < 8; course++) {
        rows.push_back(course * 8);
        std::vector<int> cuts;
        int x = static_cast<int>(Hash(static_cast<uint32_t>(course), 0, 51) % 8);
        while (x < side) {
            cuts.push_back(x);
            x += 12 + static_cast<int>(Hash(static_cast<uint32_t>(course), static_cast<uint32_t>(x), 52) % 10);
        }
        // The last brick must not be a sliver where the course wraps.
        if (cuts.size() > 1 && cuts.front() + side - cuts.back() < 9) cuts.pop_back();
        joints.push_back(cuts);
    }
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            BlockSpot spot = FindBlock(x, y, side, rows, joints);
            float soot = Fractal(static_cast<float>(x), static_cast<float>(y), 32, side, 53);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 54);
            bool joint = spot.bottom <= 1 || spot.right == 0;
            bool chip = (spot.left + spot.top == 0 || spot.right + spot.top == 0) && fine > 0.3f;
            if (joint || chip) {
                SetPixel(picture, x, y, Shade(mortar, 0.3f + 0.6f * fine * soot, x, y, 0.6f));
                continue;
            }
            float tone = 0.38f + 0.3f * Unit(spot.id, 7, 55);
            if (Unit(spot.id, 8, 55) > 0.9f) tone -= 0.25f;  // burnt
            float shade = tone - (soot - 0.45f) * 0.6f + (fine - 0.5f) * 0.14f;
            if (spot.top == 0) shade += 0.12f;
            if (spot.bottom == 2) shade -= 0.12f;
            if (Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 56) > 0.95f) shade -= 0.25f;
            SetPixel(picture, x, y, Shade(brick, shade, x, y, 0.6f));
        }
    }
    return picture;
}

// Green slime and moss: bubbly cells of wet green with bright rims and
// glints, dark hollows between them.
static Picture DrawGreenSlime() {
    const int side = 64;
    Picture picture = MakePicture(side);
    const Ramp slime = MakeRamp({{2, 14, 4}, {10, 50, 12}, {36, 110, 24}, {96, 170, 40}, {190, 236, 110}}, 16);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            float fx = static_cast<float>(x), fy = static_cast<float>(y);
            // Warp the cells a little with slow noise so they ooze.
            float wx = fx + (Fractal(fx, fy, 32, side, 61) - 0.5f) * 10.0f;
            float wy = fy + (Fractal(fx, fy, 32, side, 62) - 0.5f) * 10.0f;
            float nearest = 0.0f, second = 0.0f;
            CellNoise(wx, wy, 16, side, 63, &nearest, &second);
            float rim = second - nearest;  // small near the borders between bubbles
            float moss = Fractal(fx, fy, 16, side, 64);
            float clumps = Fractal(fx, fy, 8, side, 66);
            float fine = Unit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 65);
            // Bubbles swell where the slime is thick; elsewhere moss clumps.
            float thick = Clamp01((moss - 0.42f) * 5.0f);
            float bubble = Clamp01(rim / 7.0f) * 0.35f - Clamp01(nearest / 10.0f) * 0.2f;
            float shade = 0.18f + clumps * 0.5f + thick * (bubble + 0.1f);
            if (rim < 1.1f && thick > 0.3f) shade -= 0.25f;     // creases between bubbles
            if (nearest < 1.6f && thick > 0.6f) shade += 0.3f;  // glints on the bubble tops
            if (fine > 0.93f) shade += 0.12f;                   // moss tips
            if (fine < 0.06f) shade -= 0.15f;
            SetPixel(picture, x, y, Shade(slime, shade, x, y, 0.8f));
        }
    }
    return picture;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: talvox_make_textures <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    // One picture per texture slot; the files are named as the program reads them.
    Picture (*const draws[TextureSlots])() = {DrawCastleStone,  DrawOldBrickRed,  DrawPatternedTile,
                                              DrawDressedStone, DrawOldBrickDark, DrawGreenSlime};
    int failures = 0;
    for (int slot = 0; slot < TextureSlots; slot++) {
        const std::string file = TextureFiles[slot];
        const std::string path = folder + "/" + file.substr(file.rfind('/') + 1);
        if (!WriteBitmap(path, draws[slot]())) {
            std::fprintf(stderr, "talvox_make_textures: cannot write %s\n", path.c_str());
            failures++;
        }
    }
    return failures == 0 ? 0 : 1;
}
