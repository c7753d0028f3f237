// The file half of the platform seam on POSIX systems: exclusive creation of
// the temporary file, fsync of the file and of its folder, rename for the
// atomic replacement.
#include "sys/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// How many names a save tries when earlier ones are taken (left behind by a
// process that was killed while saving and had the same id).
static constexpr int TempNameTries = 100;

FILE* PlatformCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes) {
    if (tempPathBytes <= 0) return nullptr;
    long pid = static_cast<long>(getpid());
    for (int attempt = 0; attempt < TempNameTries; attempt++) {
        int length = attempt == 0
            ? std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%ld", targetPath, pid)
            : std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%ld-%d", targetPath, pid, attempt);
        if (length < 0 || length >= tempPathBytes) break;
        bool taken = false;
        FILE* file = PlatformCreateNewFile(tempPath, &taken);
        if (file) return file;
        if (!taken) break;
    }
    tempPath[0] = 0;
    return nullptr;
}

FILE* PlatformCreateNewFile(const char* path, bool* taken) {
    *taken = false;
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *taken = errno == EEXIST;
        return nullptr;
    }
    FILE* file = fdopen(fd, "wb");
    if (file) return file;
    close(fd);
    unlink(path);
    return nullptr;
}

bool PlatformMakeFolder(const char* path) {
    struct stat status;
    return (mkdir(path, 0755) == 0 || errno == EEXIST) && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool PlatformFlushFileToDisk(FILE* file) {
    if (std::fflush(file) != 0) return false;
    int fd = fileno(file);
    while (fsync(fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// The folder part of path ("." when it has none) into folder; false when it
// does not fit.
static bool FolderOf(const char* path, char (&folder)[4096]) {
    const char* slash = std::strrchr(path, '/');
    if (!slash) {
        std::snprintf(folder, sizeof folder, ".");
    } else if (slash == path) {
        std::snprintf(folder, sizeof folder, "/");
    } else {
        int length = std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash - path), path);
        if (length < 0 || static_cast<size_t>(length) >= sizeof folder) return false;
    }
    return true;
}

bool PlatformFolderOfExists(const char* targetPath) {
    char folder[4096];
    struct stat status;
    return FolderOf(targetPath, folder) && stat(folder, &status) == 0 && S_ISDIR(status.st_mode);
}

// Makes a rename inside the folder of path durable. Some file systems cannot
// sync a folder; the rename itself has happened either way.
static void SyncFolderOf(const char* path) {
    char folder[4096];
    if (!FolderOf(path, folder)) return;
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    while (fsync(fd) != 0 && errno == EINTR) {
    }
    close(fd);
}

bool PlatformReplaceFile(const char* tempPath, const char* targetPath) {
    if (std::rename(tempPath, targetPath) != 0) return false;
    SyncFolderOf(targetPath);
    return true;
}

void PlatformRemoveFile(const char* path) { unlink(path); }

bool PlatformRegularFileSize(FILE* file, int64_t* bytes) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    *bytes = static_cast<int64_t>(status.st_size);
    return true;
}
