// The bitmap reader. The six bitmaps are read once into TextureImages at
// start-up; a file that is refused leaves the reason in TextureRefusals.
#include "render/Bitmaps.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

TextureImage* TextureImages = nullptr;
char TextureRefusals[TextureSlots][TextureRefusalBytes] = {};
int32_t textureCapacity = 100;

void AllocateTextureImages() {
    if (TextureImages) return;
    TextureImages = static_cast<TextureImage*>(std::calloc(static_cast<size_t>(textureCapacity), sizeof(TextureImage)));
    if (!TextureImages) {
        std::fprintf(stderr, "talvox: out of memory allocating TextureImages\n");
        std::exit(1);
    }
}

// ---------------------------------------------------------------------------
// Reading a bitmap
// ---------------------------------------------------------------------------

static uint32_t ReadLittle32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

static uint16_t ReadLittle16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

// The compression value of pixels described by colour masks.
constexpr uint32_t BitmapColourMasks = 3;

// What a header says about the pixel rows: where they start, the image's
// sides (height positive), the row order, the bytes of a pixel in the file,
// and where red, green and blue sit in a pixel read least significant byte
// first.
struct BitmapForm {
    uint32_t offset;
    int32_t width;
    int32_t height;
    bool topDown;
    int32_t fileBytesPerPixel;
    int32_t redShift;
    int32_t greenShift;
    int32_t blueShift;
};

// The shift of a colour mask that is one whole byte of a 32-bit pixel, or -1.
static int32_t WholeByteShift(uint32_t mask) {
    for (int32_t shift = 0; shift < 32; shift += 8)
        if (mask == 0xFFu << shift) return shift;
    return -1;
}

// Reads what the header says into form; on refusal returns the reason, else
// nullptr. head holds the 54 bytes already read from file; the colour masks
// are read after them when the header says they are there. A reason with a
// number in it is written into reason (TextureRefusalBytes bytes).
static const char* ReadBitmapForm(std::FILE* file, const uint8_t* head, BitmapForm& form, char* reason) {
    if (head[0] != 'B' || head[1] != 'M') return "not a bitmap";
    const uint16_t bits = ReadLittle16(head + 28);
    if (bits == 1 || bits == 4 || bits == 8) {
        std::snprintf(reason, TextureRefusalBytes, "%d-bit palette", bits);
        return reason;
    }
    if (bits != 24 && bits != 32) {
        std::snprintf(reason, TextureRefusalBytes, "%d bits per pixel", bits);
        return reason;
    }
    // Older info headers are too short to say how the pixels are compressed.
    const uint32_t compression = ReadLittle32(head + 14) >= 20 ? ReadLittle32(head + 30) : 0;
    uint32_t firstPixelAt = BitmapHeaderBytes;
    form.fileBytesPerPixel = bits / 8;
    form.redShift = 16;
    form.greenShift = 8;
    form.blueShift = 0;
    if (bits == 32 && compression == BitmapColourMasks) {
        uint8_t masks[BitmapMaskBytes];
        if (std::fread(masks, 1, sizeof masks, file) != sizeof masks) return "cut short";
        form.redShift = WholeByteShift(ReadLittle32(masks));
        form.greenShift = WholeByteShift(ReadLittle32(masks + 4));
        form.blueShift = WholeByteShift(ReadLittle32(masks + 8));
        if (form.redShift < 0 || form.greenShift < 0 || form.blueShift < 0 || form.redShift == form.greenShift ||
            form.redShift == form.blueShift || form.greenShift == form.blueShift)
            return "unusual colour masks";
        firstPixelAt += BitmapMaskBytes;
    } else if (compression != 0) {
        return "compressed";
    }
    form.offset = ReadLittle32(head + 10);
    if (form.offset < firstPixelAt) return "bad pixel offset";
    form.width = static_cast<int32_t>(ReadLittle32(head + 18));
    // A negative height marks rows stored top row first; its size is taken
    // in 64 bits, since the most negative height has no positive twin.
    const int64_t height = static_cast<int32_t>(ReadLittle32(head + 22));
    form.topDown = height < 0;
    const int64_t rows = height < 0 ? -height : height;
    if (form.width <= 0 || rows == 0) return "no pixels";
    if (form.width > MaxTextureSide || rows > MaxTextureSide) return "too large";
    form.height = static_cast<int32_t>(rows);
    return nullptr;
}

// Reads the pixel rows at the form's offset into pixels as R, G, B, bottom row
// first, dropping each row's padding to four bytes (the last row's padding
// may be missing) and any alpha. False when the file ends before the last
// pixel.
static bool ReadPixelRows(std::FILE* file, const BitmapForm& form, uint8_t* pixels) {
    if (std::fseek(file, static_cast<long>(form.offset), SEEK_SET) != 0) return false;
    const size_t fileRowBytes = static_cast<size_t>(form.width) * static_cast<size_t>(form.fileBytesPerPixel);
    const long padding = static_cast<long>((4 - fileRowBytes % 4) % 4);
    const size_t rowBytes = static_cast<size_t>(form.width) * 3;
    auto* row = static_cast<uint8_t*>(std::malloc(fileRowBytes));
    if (!row) {
        std::fprintf(stderr, "talvox: out of memory reading a bitmap row\n");
        std::exit(1);
    }
    bool whole = true;
    for (int32_t stored = 0; stored < form.height; stored++) {
        if (std::fread(row, 1, fileRowBytes, file) != fileRowBytes ||
            (padding != 0 && stored + 1 < form.height && std::fseek(file, padding, SEEK_CUR) != 0)) {
            whole = false;
            break;
        }
        const int32_t target = form.topDown ? form.height - 1 - stored : stored;
        uint8_t* out = pixels + rowBytes * static_cast<size_t>(target);
        const uint8_t* in = row;
        for (int32_t x = 0; x < form.width; x++, in += form.fileBytesPerPixel, out += 3) {
            // Three bytes are read as a pixel whose fourth byte is zero.
            const uint32_t pixel = form.fileBytesPerPixel == 4
                                       ? ReadLittle32(in)
                                       : (in[0] | in[1] << 8 | static_cast<uint32_t>(in[2]) << 16);
            out[0] = static_cast<uint8_t>(pixel >> form.redShift);
            out[1] = static_cast<uint8_t>(pixel >> form.greenShift);
            out[2] = static_cast<uint8_t>(pixel >> form.blueShift);
        }
    }
    std::free(row);
    return whole;
}

// Bytes from offset to the end of the file, or -1 when that cannot be told.
static long BytesAfter(std::FILE* file, uint32_t offset) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (end < 0) return -1;
    return end - static_cast<long>(offset);
}

// Notes why slot's file was refused (slots 0..5 only) and returns false.
static bool Refuse(int32_t slot, const char* reason) {
    if (slot >= 0 && slot < TextureSlots) std::snprintf(TextureRefusals[slot], TextureRefusalBytes, "%s", reason);
    return false;
}

// Closes file, then refuses as Refuse does.
static bool CloseAndRefuse(std::FILE* file, int32_t slot, const char* reason) {
    std::fclose(file);
    return Refuse(slot, reason);
}

bool LoadTextureFile(const char* path, int32_t slot) {
    // Read only: the loader never creates or changes a bitmap.
    if (!TextureImages || slot < 0 || slot >= textureCapacity) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return Refuse(slot, errno == ENOENT ? "missing" : "not readable");

    uint8_t head[BitmapHeaderBytes];
    const size_t headBytes = std::fread(head, 1, sizeof head, file);
    if (headBytes != sizeof head) return CloseAndRefuse(file, slot, headBytes == 0 ? "empty" : "cut short");
    BitmapForm form = {};
    char reason[TextureRefusalBytes];
    if (const char* refused = ReadBitmapForm(file, head, form, reason)) return CloseAndRefuse(file, slot, refused);

    TextureImage& image = TextureImages[slot];
    image.width = form.width;
    image.height = form.height;
    image.bytesPerPixel = 3;
    std::free(image.pixels);
    image.pixels = nullptr;

    // Sides are capped, so the sizes fit comfortably in 64 bits.
    const size_t size = static_cast<size_t>(form.width) * static_cast<size_t>(form.height) * 3;
    const size_t fileRowBytes = static_cast<size_t>(form.width) * static_cast<size_t>(form.fileBytesPerPixel);
    const size_t stride = (fileRowBytes + 3) / 4 * 4;
    // A file too short for its rows is refused before the block is made.
    const long available = BytesAfter(file, form.offset);
    if (available < 0 || static_cast<size_t>(available) < stride * static_cast<size_t>(form.height - 1) + fileRowBytes)
        return CloseAndRefuse(file, slot, "cut short");

    auto* pixels = static_cast<uint8_t*>(std::malloc(size));
    if (!pixels) {
        std::fprintf(stderr, "talvox: out of memory loading %s\n", path);
        std::exit(1);
    }
    if (!ReadPixelRows(file, form, pixels)) {
        std::free(pixels);
        return CloseAndRefuse(file, slot, "cut short");
    }
    image.pixels = pixels;
    std::fclose(file);
    if (slot < TextureSlots) TextureRefusals[slot][0] = 0;
    return true;
}
