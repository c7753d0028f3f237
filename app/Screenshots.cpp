// Screenshots: the composed picture, turned top row first, encoded as PNG by
// stb_image_write and written to a file that never replaces another.
#include "app/Screenshots.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/Notices.h"
#include "screen/Screen.h"
#include "sys/DataFolders.h"
#include "sys/Files.h"

// The encoder is a well-kept single header; it writes into our callback, so
// the file handling (and its failures) stays ours.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

bool screenshotDue = false;

// How many names one second may take: the first, then counters 2 and up.
constexpr int32_t ScreenshotNamesPerSecond = 100;

const char* ScreenshotFolder() {
    // Beside map/, in the folder the maps go to.
    static char folder[DataPathBytes];
    FormatDataPath(saveFolder, "screenshots/", folder);
    return folder;
}

// The file being written, and whether every write into it went through.
struct ScreenshotFile {
    FILE* file;
    bool written;
};

static void WritePngBytes(void* context, void* bytes, int count) {
    auto* target = static_cast<ScreenshotFile*>(context);
    if (count > 0 && std::fwrite(bytes, 1, static_cast<size_t>(count), target->file) != static_cast<size_t>(count))
        target->written = false;
}

// The folder as the notice shows it, on a line of its own under the file's
// name: the user's home folder as "~", and, where that is longer than the
// line holds, cut from the left ("...") so that the folders nearest the file
// stay.
static void FormatShownFolder(const char* folder, char (&shown)[TextLineBytes]) {
    const char* home = std::getenv("HOME");
    const size_t homeLength = home ? std::strlen(home) : 0;
    char full[1024];
    if (homeLength > 1 && std::strncmp(folder, home, homeLength) == 0 && folder[homeLength] == '/')
        std::snprintf(full, sizeof full, "~%s", folder + homeLength);
    else std::snprintf(full, sizeof full, "%s", folder);
    // Indented by two columns, as the second line of a notice is.
    const size_t room = static_cast<size_t>(NoticeColumns) - 2;
    const size_t length = std::strlen(full);
    if (length <= room) std::snprintf(shown, sizeof shown, "  %s", full);
    else std::snprintf(shown, sizeof shown, "  ...%s", full + length - (room - 3));
}

// Says what happened where the user looks: the file's name and, under it,
// its folder, or why it failed. The standard streams get the whole path, or
// the failure.
static bool TellScreenshotOutcome(bool saved, const char* what, const char* path = nullptr) {
    char line[TextLineBytes];
    std::snprintf(line, sizeof line, saved ? "Screenshot saved: %s" : "Screenshot failed: %s", what);
    ShowNotice(line, ScreenshotNoticeMilliseconds);
    if (!saved) {
        std::fprintf(stderr, "talvox: %s\n", line);
        return false;
    }
    FormatShownFolder(ScreenshotFolder(), line);
    ShowNoticeDetail(line, ScreenshotNoticeMilliseconds);
    char whole[DataPathBytes];
    SysWholePath(path, whole, sizeof whole);
    std::printf("talvox: Screenshot saved: %s\n", whole);
    std::fflush(stdout);
    return true;
}

bool SaveScreenshot() {
    // The picture's row 0 is its bottom row; a PNG starts with the top one.
    static uint8_t rows[ScreenPixelCount * 3];
    for (int y = 0; y < ScreenHeight; y++)
        for (int x = 0; x < ScreenWidth; x++) {
            const uint8_t* in = ScreenPixels + ((ScreenHeight - 1 - y) * ScreenWidth + x) * 4;
            uint8_t* out = rows + (y * ScreenWidth + x) * 3;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }

    const char* folder = ScreenshotFolder();
    if (!folder[0] || !SysMakeFolders(folder)) return TellScreenshotOutcome(false, "folder not made");
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char stamp[32] = "screenshot";
    if (local) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);

    char fileName[64], path[1024];
    FILE* file = nullptr;
    for (int32_t n = 1; n <= ScreenshotNamesPerSecond && !file; n++) {
        if (n == 1) std::snprintf(fileName, sizeof fileName, "%s.png", stamp);
        else std::snprintf(fileName, sizeof fileName, "%s-%d.png", stamp, static_cast<int>(n));
        const int length = std::snprintf(path, sizeof path, "%s%s", folder, fileName);
        if (length < 0 || static_cast<size_t>(length) >= sizeof path)
            return TellScreenshotOutcome(false, "name too long");
        bool taken = false;
        file = SysCreateNewFile(path, &taken);
        if (!file && !taken) return TellScreenshotOutcome(false, "file not made");
    }
    if (!file) return TellScreenshotOutcome(false, "no free name");

    ScreenshotFile target = {file, true};
    const bool encoded =
        stbi_write_png_to_func(WritePngBytes, &target, ScreenWidth, ScreenHeight, 3, rows, ScreenWidth * 3) != 0;
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !target.written || !flushed || !closed) {
        SysRemoveFile(path);
        return TellScreenshotOutcome(false, "file not written");
    }
    SysOfferFile(path);
    return TellScreenshotOutcome(true, fileName, path);
}
