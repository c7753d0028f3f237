// The file half of the platform seam on Windows: CreateFileA with CREATE_NEW
// for the temporary file (temporary files of saves whose process has ended
// are removed first), FlushFileBuffers to put it on disk, MoveFileExA with
// replace-existing and write-through for the atomic replacement. Also the
// program's folder and the user's %LOCALAPPDATA%\TALVOX folder.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sys/Files.h"

// How many names a save tries when earlier ones are taken (left behind by a
// process that was killed while saving and had the same id).
static constexpr int TempNameTries = 100;
// How often, and how long apart, the replacement is tried again while
// another program (a virus scanner, an indexer, a backup) holds the file.
static constexpr int ReplaceTries = 20;
static constexpr DWORD ReplaceRetryMilliseconds = 100;

// Whether name is a temporary name of the file called base ("<base>.tmp-<id>"
// or "<base>.tmp-<id>-<n>"); its process id goes to pid.
static bool IsTempNameOf(const char* name, const char* base, unsigned long* pid) {
    size_t baseLength = std::strlen(base);
    if (_strnicmp(name, base, baseLength) != 0 || std::strncmp(name + baseLength, ".tmp-", 5) != 0) return false;
    const char* digits = name + baseLength + 5;
    if (!std::isdigit(static_cast<unsigned char>(*digits))) return false;
    char* end = nullptr;
    unsigned long id = std::strtoul(digits, &end, 10);
    if (*end == '-') {
        const char* attempt = end + 1;
        if (!std::isdigit(static_cast<unsigned char>(*attempt))) return false;
        std::strtoul(attempt, &end, 10);
    }
    if (*end != 0 || id == 0) return false;
    *pid = id;
    return true;
}

// Whether the process pid is still running.
static bool ProcessRuns(unsigned long pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// Removes the temporary files of targetPath left by saves whose process no
// longer runs (killed outright). This process saves one file at a time, so
// its own are stale too.
static void RemoveStaleTempFiles(const char* targetPath) {
    const char* slash = std::strrchr(targetPath, '/');
    const char* backslash = std::strrchr(targetPath, '\\');
    if (backslash && (!slash || backslash > slash)) slash = backslash;
    const int folderLength = slash ? static_cast<int>(slash - targetPath) + 1 : 0;
    const char* base = targetPath + folderLength;
    char pattern[MAX_PATH];
    int length = std::snprintf(pattern, sizeof pattern, "%.*s%s.tmp-*", folderLength, targetPath, base);
    if (length < 0 || static_cast<size_t>(length) >= sizeof pattern) return;
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA(pattern, &found);
    if (listing == INVALID_HANDLE_VALUE) return;
    const unsigned long self = static_cast<unsigned long>(GetCurrentProcessId());
    do {
        unsigned long pid = 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsTempNameOf(found.cFileName, base, &pid) || (pid != self && ProcessRuns(pid))) continue;
        char path[MAX_PATH];
        length = std::snprintf(path, sizeof path, "%.*s%s", folderLength, targetPath, found.cFileName);
        if (length > 0 && static_cast<size_t>(length) < sizeof path) DeleteFileA(path);
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
}

FILE* SysCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes) {
    if (tempPathBytes <= 0) return nullptr;
    RemoveStaleTempFiles(targetPath);
    unsigned long pid = static_cast<unsigned long>(GetCurrentProcessId());
    for (int attempt = 0; attempt < TempNameTries; attempt++) {
        int length = attempt == 0
                         ? std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%lu", targetPath, pid)
                         : std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%lu-%d", targetPath, pid,
                                         attempt);
        if (length < 0 || length >= tempPathBytes) break;
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
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        DeleteFileA(path);
        return nullptr;
    }
    FILE* file = _fdopen(fd, "wb");
    if (file) return file;
    _close(fd);
    DeleteFileA(path);
    return nullptr;
}

bool SysFlushFileToDisk(FILE* file) {
    if (std::fflush(file) != 0) return false;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) return false;
    return FlushFileBuffers(handle) != 0;
}

bool SysReplaceFile(const char* tempPath, const char* targetPath) {
    for (int attempt = 0; attempt < ReplaceTries; attempt++) {
        if (MoveFileExA(tempPath, targetPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return false;
        Sleep(ReplaceRetryMilliseconds);
    }
    return false;
}

bool SysFolderOfExists(const char* targetPath) {
    char folder[MAX_PATH];
    const char* slash = std::strrchr(targetPath, '/');
    const char* backslash = std::strrchr(targetPath, '\\');
    if (backslash && (!slash || backslash > slash)) slash = backslash;
    if (!slash) return true;  // the working folder
    int length = std::snprintf(folder, sizeof folder, "%.*s", static_cast<int>(slash - targetPath), targetPath);
    if (length < 0 || static_cast<size_t>(length) >= sizeof folder) return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void SysRemoveFile(const char* path) { DeleteFileA(path); }

void SysOfferFile(const char*) {}

bool SysRegularFileSize(FILE* file, int64_t* bytes) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) return false;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *bytes = (static_cast<int64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return true;
}

// ---------------------------------------------------------------------------
// Where the files are

// A Windows program keeps its data beside itself.
const char* const InstalledDataFolder = nullptr;

bool SysProgramFolder(char* folder, int32_t folderBytes) {
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return false;
    char* slash = std::strrchr(program, '\\');
    char* other = std::strrchr(program, '/');
    if (other && (!slash || other > slash)) slash = other;
    if (!slash) return false;
    slash[1] = 0;
    int written = std::snprintf(folder, static_cast<size_t>(folderBytes), "%s", program);
    return written > 0 && written < folderBytes;
}

bool SysUserDataFolder(char* folder, int32_t folderBytes) {
    const char* local = std::getenv("LOCALAPPDATA");
    if (!local || !local[0]) return false;
    size_t length = std::strlen(local);
    bool separator = local[length - 1] == '\\' || local[length - 1] == '/';
    int written = std::snprintf(folder, static_cast<size_t>(folderBytes), "%s%sTALVOX\\", local, separator ? "" : "\\");
    return written > 0 && written < folderBytes;
}

bool SysWholePath(const char* path, char* whole, int32_t wholeBytes) {
    const DWORD length = GetFullPathNameA(path, static_cast<DWORD>(wholeBytes), whole, nullptr);
    if (length > 0 && length < static_cast<DWORD>(wholeBytes)) return true;
    std::snprintf(whole, static_cast<size_t>(wholeBytes), "%s", path);
    return false;
}

bool SysFolderExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SysFolderIsWritable(const char* folder) {
    // Folder attributes say nothing about the user's rights: a file made and
    // gone at once does.
    char probe[MAX_PATH];
    int length = std::snprintf(probe, sizeof probe, "%stalvox-write-test-%lu", folder,
                               static_cast<unsigned long>(GetCurrentProcessId()));
    if (length < 0 || static_cast<size_t>(length) >= sizeof probe) return false;
    HANDLE handle = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

bool SysMakeFolders(const char* path) {
    char partial[MAX_PATH];
    int length = std::snprintf(partial, sizeof partial, "%s", path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof partial) return false;
    for (char* p = partial + 1; *p; p++) {
        if (*p != '\\' && *p != '/') continue;
        if (p[-1] == ':') continue;  // a drive, such as C:
        char separator = *p;
        *p = 0;
        CreateDirectoryA(partial, nullptr);
        *p = separator;
    }
    CreateDirectoryA(partial, nullptr);
    return SysFolderExists(partial);
}
