// Writes the program's icon as PNG files of 48 and 256 pixels: a cube seen
// from above at a corner, its top the floor tile and its two sides the castle
// stone and the old brick, read from the bitmaps the texture maker wrote, each
// side darker than the top as the light comes from above. Outside the cube
// the icon is transparent; edges are smoothed by 4 x 4 samples per pixel.
// Usage: talvox_make_icon <data folder holding bmp_cube/> <output folder>
//                         [--drawn <pixels>] [side ...]
//   writes <output folder>/talvox-<side>.png for each side in pixels: 48 and
//   256 when none is given (the package's), 192 and 512 for the page. With
//   --drawn, each is drawn that many pixels across and scaled up by a whole
//   factor, as pixel art, which compresses to a few KB (the page's).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef TALVOX_ICON_ZLIB
// zlib's deflate at its best, where the build found zlib: the page's icons
// come out at about half the size stb's own deflate gives.
#include <zlib.h>

static unsigned char* CompressWithZlib(unsigned char* data, int length, int* outLength, int) {
    uLongf size = compressBound(static_cast<uLong>(length));
    unsigned char* out = static_cast<unsigned char*>(std::malloc(size));
    if (out && compress2(out, &size, data, static_cast<uLong>(length), Z_BEST_COMPRESSION) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(size);
    return out;
}
#define STBIW_ZLIB_COMPRESS CompressWithZlib
#endif

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "render/Bitmaps.h"

// The texture's colour at (u, v) in 0..1 (v downwards), scaled by light.
// The record holds rows bottom first.
static void Sample(const TextureImage& texture, double u, double v, double light, double rgb[3]) {
    int x = static_cast<int>(u * texture.width), y = static_cast<int>(v * texture.height);
    x = x < 0 ? 0 : (x >= texture.width ? texture.width - 1 : x);
    y = y < 0 ? 0 : (y >= texture.height ? texture.height - 1 : y);
    const uint8_t* p = texture.pixels + (static_cast<size_t>(texture.height - 1 - y) * texture.width + x) * 3;
    for (int c = 0; c < 3; c++) rgb[c] = p[c] * light;
}

// The cube's colour at (dx, dy) from the icon's centre, for an edge of
// `edge` pixels; false outside the cube. Its corner nearest the eye is at
// the centre; the top rises from it, the left and right sides hang below.
static bool CubeColour(const TextureImage* faces, double dx, double dy, double edge, double rgb[3]) {
    const double across = 0.8660254 * edge;  // cos 30 degrees
    // Top: the centre plus a (-across, -edge/2) plus b (across, -edge/2).
    const double sum = -dy / (0.5 * edge), difference = dx / across;
    const double a = (sum - difference) / 2, b = (sum + difference) / 2;
    if (a >= 0 && a <= 1 && b >= 0 && b <= 1) {
        Sample(faces[0], a, 1 - b, 1.0, rgb);
        return true;
    }
    // Sides: a step across plus a step straight down (edge).
    const double left = -dx / across, right = dx / across;
    if (left >= 0 && left <= 1) {
        const double down = (dy + 0.5 * edge * left) / edge;
        if (down >= 0 && down <= 1) {
            Sample(faces[1], 1 - left, down, 0.80, rgb);
            return true;
        }
    }
    if (right >= 0 && right <= 1) {
        const double down = (dy + 0.5 * edge * right) / edge;
        if (down >= 0 && down <= 1) {
            Sample(faces[2], right, down, 0.60, rgb);
            return true;
        }
    }
    return false;
}

// Draws the icon side x side as RGBA, top row first, each pixel from
// samples x samples points.
static std::vector<uint8_t> DrawIcon(const TextureImage* faces, int side, int samples) {
    const double edge = 0.47 * side, centre = 0.5 * side;
    std::vector<uint8_t> rgba(static_cast<size_t>(side) * side * 4, 0);
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++) {
            double total[3] = {0, 0, 0};
            int covered = 0;
            for (int j = 0; j < samples; j++)
                for (int i = 0; i < samples; i++) {
                    double rgb[3];
                    const double dx = x + (i + 0.5) / samples - centre, dy = y + (j + 0.5) / samples - centre;
                    if (!CubeColour(faces, dx, dy, edge, rgb)) continue;
                    for (int c = 0; c < 3; c++) total[c] += rgb[c];
                    covered++;
                }
            if (covered == 0) continue;
            uint8_t* p = &rgba[(static_cast<size_t>(y) * side + x) * 4];
            for (int c = 0; c < 3; c++) p[c] = static_cast<uint8_t>(total[c] / covered + 0.5);
            p[3] = static_cast<uint8_t>((255 * covered + samples * samples / 2) / (samples * samples));
        }
    return rgba;
}

// An icon drawn as pixel art takes each pixel from one point, as the
// program's pictures do: fewer colours, and far fewer bytes once compressed.
constexpr int DrawnSamples = 1;

// The icon drawn drawn x drawn and scaled up to side x side, each pixel a
// block of side / drawn pixels (side a multiple of drawn).
static std::vector<uint8_t> ScaleUp(const std::vector<uint8_t>& small, int drawn, int side) {
    const int factor = side / drawn;
    std::vector<uint8_t> rgba(static_cast<size_t>(side) * side * 4);
    for (int y = 0; y < side; y++)
        for (int x = 0; x < side; x++)
            for (int c = 0; c < 4; c++)
                rgba[(static_cast<size_t>(y) * side + x) * 4 + c] =
                    small[(static_cast<size_t>(y / factor) * drawn + x / factor) * 4 + c];
    return rgba;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: talvox_make_icon <data folder> <output folder> [--drawn <pixels>] [side ...]\n");
        return 2;
    }
    int first = 3, drawn = 0;
    if (argc >= 5 && std::string(argv[3]) == "--drawn") {
        drawn = std::atoi(argv[4]);
        first = 5;
    }
    std::vector<int> sides;
    for (int i = first; i < argc; i++) {
        const int side = std::atoi(argv[i]);
        if (side < 16 || side > 1024) {
            std::fprintf(stderr, "talvox_make_icon: a side of 16 to 1024 pixels, not %s\n", argv[i]);
            return 2;
        }
        if (drawn > 0 && (side < drawn || side % drawn != 0)) {
            std::fprintf(stderr, "talvox_make_icon: a side of %s is no whole multiple of %d\n", argv[i], drawn);
            return 2;
        }
        sides.push_back(side);
    }
    if (sides.empty()) sides = {48, 256};
    const std::string data = argv[1], output = argv[2];
    const int slots[3] = {FloorTextureSlot, 0, 1};  // top, left side, right side
    // The bitmaps are read by the program's own loader.
    AllocateTextureImages();
    TextureImage faces[3];
    for (int f = 0; f < 3; f++) {
        const std::string path = data + "/" + TextureFiles[slots[f]];
        if (!LoadTextureFile(path.c_str(), slots[f])) {
            std::fprintf(stderr, "talvox_make_icon: cannot read %s: %s\n", path.c_str(), TextureRefusals[slots[f]]);
            return 1;
        }
        faces[f] = TextureImages[slots[f]];
    }
    for (int side : sides) {
        const std::string path = output + "/talvox-" + std::to_string(side) + ".png";
        const std::vector<uint8_t> rgba =
            drawn > 0 ? ScaleUp(DrawIcon(faces, drawn, DrawnSamples), drawn, side) : DrawIcon(faces, side, 4);
        if (!stbi_write_png(path.c_str(), side, side, 4, rgba.data(), side * 4)) {
            std::fprintf(stderr, "talvox_make_icon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
