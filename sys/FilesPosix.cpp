// The file half of the platform seam on POSIX systems: the save's file made
// without a name (O_TMPFILE) where the file system allows, else by exclusive
// creation; fsync of the file and of its folder; link and rename for the
// atomic replacement; stale temporary files removed by the next save. Also
// the program's folder (/proc/self/exe) and the user's XDG data folder.
#include "sys/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

// How many names a save tries when earlier ones are taken (left behind by a
// process that was killed while saving and had the same id).
static constexpr int TempNameTries = 100;

// The save's unnamed file, kept open under a second descriptor after its
// stream is closed, so that SysReplaceFile can give it the name in
// unnamedFileName; -1 when there is none.
static int unnamedFile = -1;
static char unnamedFileName[4096];

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

static void CloseUnnamedFile() {
    if (unnamedFile >= 0) close(unnamedFile);
    unnamedFile = -1;
    unnamedFileName[0] = 0;
}

// Whether name is a temporary name of the file called base ("<base>.tmp-<id>"
// or "<base>.tmp-<id>-<n>"); its process id goes to pid.
static bool IsTempNameOf(const char* name, const char* base, long* pid) {
    size_t baseLength = std::strlen(base);
    if (std::strncmp(name, base, baseLength) != 0 || std::strncmp(name + baseLength, ".tmp-", 5) != 0) return false;
    const char* digits = name + baseLength + 5;
    char* end = nullptr;
    errno = 0;
    long id = std::strtol(digits, &end, 10);
    if (end == digits || errno != 0 || id <= 0 || !std::isdigit(static_cast<unsigned char>(*digits))) return false;
    if (*end == '-') {
        const char* attempt = end + 1;
        std::strtol(attempt, &end, 10);
        if (end == attempt || !std::isdigit(static_cast<unsigned char>(*attempt))) return false;
    }
    if (*end != 0) return false;
    *pid = id;
    return true;
}

// Removes the temporary files of targetPath left by saves whose process no
// longer runs (killed outright, or ended before the system could name their
// file). This process saves one file at a time, so its own are stale too.
static void RemoveStaleTempFiles(const char* targetPath) {
    char folder[4096];
    if (!FolderOf(targetPath, folder)) return;
    const char* slash = std::strrchr(targetPath, '/');
    const char* base = slash ? slash + 1 : targetPath;
    DIR* listing = opendir(folder);
    if (!listing) return;
    const long self = static_cast<long>(getpid());
    while (dirent* entry = readdir(listing)) {
        long pid = 0;
        if (!IsTempNameOf(entry->d_name, base, &pid)) continue;
        if (pid != self && (pid > INT_MAX || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)) continue;
        char path[4096 + 256];
        int length = std::snprintf(path, sizeof path, "%s/%s", folder, entry->d_name);
        if (length > 0 && static_cast<size_t>(length) < sizeof path) unlink(path);
    }
    closedir(listing);
}

// A new file without a name in targetPath's folder, to be named tempPath when
// whole; nullptr where the file system makes no such files.
static FILE* CreateUnnamedFile(const char* targetPath, const char* tempPath) {
#ifdef O_TMPFILE
    char folder[4096];
    if (!FolderOf(targetPath, folder) || std::strlen(tempPath) >= sizeof unnamedFileName) return nullptr;
    int fd = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    // The name is given through /proc (linking by descriptor alone needs a
    // privilege); without /proc the file could never be named.
    char procPath[64];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
    int kept = access(procPath, F_OK) == 0 ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    FILE* file = kept >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (kept >= 0) close(kept);
        close(fd);
        return nullptr;
    }
    unnamedFile = kept;
    std::snprintf(unnamedFileName, sizeof unnamedFileName, "%s", tempPath);
    return file;
#else
    (void)targetPath;
    (void)tempPath;
    return nullptr;
#endif
}

FILE* SysCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes) {
    if (tempPathBytes <= 0) return nullptr;
    CloseUnnamedFile();
    RemoveStaleTempFiles(targetPath);
    long pid = static_cast<long>(getpid());
    for (int attempt = 0; attempt < TempNameTries; attempt++) {
        int length = attempt == 0
                         ? std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%ld", targetPath, pid)
                         : std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%ld-%d", targetPath, pid,
                                         attempt);
        if (length < 0 || length >= tempPathBytes) break;
        struct stat status;
        if (lstat(tempPath, &status) == 0) continue;
        if (errno != ENOENT) break;
        if (FILE* file = CreateUnnamedFile(targetPath, tempPath)) return file;
        bool taken = false;
        FILE* file = SysCreateNewFile(tempPath, &taken);
        if (file) return file;
        if (!taken) break;
    }
    tempPath[0] = 0;
    return nullptr;
}

FILE* SysCreateNewFile(const char* path, bool* taken) {
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

bool SysFlushFileToDisk(FILE* file) {
    if (std::fflush(file) != 0) return false;
    int fd = fileno(file);
    while (fsync(fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool SysFolderOfExists(const char* targetPath) {
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

#ifdef __EMSCRIPTEN__
// clang-format off
// In a browser page the files live in memory, and the folders the page keeps
// (map/) are written through to the browser's storage here; true when the
// storage took every change.
EM_ASYNC_JS(int, StoreKeptFolders, (), {
    return await new Promise(function(resolve) { FS.syncfs(false, function(error) { resolve(error ? 0 : 1); }); });
});

// Hands the file at path to the user as a download of the same name.
EM_JS(void, DownloadFile, (const char* path), {
    const name = UTF8ToString(path);
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([FS.readFile(name)], {type: "image/png"}));
    link.download = name.substring(name.lastIndexOf("/") + 1);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
});
// clang-format on
#endif

bool SysReplaceFile(const char* tempPath, const char* targetPath) {
    if (unnamedFile >= 0 && std::strcmp(tempPath, unnamedFileName) == 0) {
        // The whole file gets its temporary name only now, just before the
        // rename: a kill before this leaves nothing behind.
        char procPath[64];
        std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", unnamedFile);
        bool named = linkat(AT_FDCWD, procPath, AT_FDCWD, tempPath, AT_SYMLINK_FOLLOW) == 0;
        CloseUnnamedFile();
        if (!named) return false;
    }
    if (std::rename(tempPath, targetPath) != 0) return false;
    SyncFolderOf(targetPath);
#ifdef __EMSCRIPTEN__
    if (!StoreKeptFolders()) return false;
#endif
    return true;
}

void SysOfferFile(const char* path) {
#ifdef __EMSCRIPTEN__
    DownloadFile(path);
#else
    (void)path;
#endif
}

void SysRemoveFile(const char* path) {
    if (unnamedFile >= 0 && std::strcmp(path, unnamedFileName) == 0) {
        // Closing its last descriptor frees an unnamed file; nothing of ours
        // has the name.
        CloseUnnamedFile();
        return;
    }
    unlink(path);
}

bool SysRegularFileSize(FILE* file, int64_t* bytes) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    *bytes = static_cast<int64_t>(status.st_size);
    return true;
}

// ---------------------------------------------------------------------------
// Where the files are

const char* const InstalledDataFolder = "../share/talvox/";

// Path into folder (folderBytes bytes) with a separator at its end; false
// when it does not fit.
static bool CopyFolder(char* folder, int32_t folderBytes, const char* path, const char* more) {
    size_t length = std::strlen(path);
    bool slash = length > 0 && path[length - 1] == '/';
    int written = std::snprintf(folder, static_cast<size_t>(folderBytes), "%s%s%s", path, slash ? "" : "/", more);
    return written > 0 && written < folderBytes;
}

bool SysProgramFolder(char* folder, int32_t folderBytes) {
    char program[4096];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return false;
    program[length] = 0;
    char* slash = std::strrchr(program, '/');
    if (!slash) return false;
    slash[1] = 0;
    return CopyFolder(folder, folderBytes, program, "");
}

bool SysUserDataFolder(char* folder, int32_t folderBytes) {
    // XDG: a relative XDG_DATA_HOME is invalid and ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return CopyFolder(folder, folderBytes, data, "talvox/");
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return CopyFolder(folder, folderBytes, home, ".local/share/talvox/");
    return false;
}

bool SysWholePath(const char* path, char* whole, int32_t wholeBytes) {
    char* resolved = realpath(path, nullptr);
    const int written = std::snprintf(whole, static_cast<size_t>(wholeBytes), "%s", resolved ? resolved : path);
    std::free(resolved);
    if (resolved && written > 0 && written < wholeBytes) return true;
    std::snprintf(whole, static_cast<size_t>(wholeBytes), "%s", path);
    return false;
}

bool SysFolderExists(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool SysFolderIsWritable(const char* folder) { return access(folder[0] ? folder : ".", W_OK | X_OK) == 0; }

bool SysMakeFolders(const char* path) {
    char partial[4096];
    int length = std::snprintf(partial, sizeof partial, "%s", path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof partial) return false;
    for (char* p = partial + 1; *p; p++) {
        if (*p != '/') continue;
        *p = 0;
        mkdir(partial, 0755);
        *p = '/';
    }
    mkdir(partial, 0755);
    return SysFolderExists(partial);
}
