// The file half of the platform seam on Windows: CreateFileA with CREATE_NEW
// for the temporary file, FlushFileBuffers to put it on disk, MoveFileExA
// with replace-existing and write-through for the atomic replacement.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>

#include "sys/Files.h"

// How many names a save tries when earlier ones are taken (left behind by a
// process that was killed while saving and had the same id).
static constexpr int TempNameTries = 100;
// How often, and how long apart, the replacement is tried again while
// another program (a virus scanner, an indexer, a backup) holds the file.
static constexpr int ReplaceTries = 20;
static constexpr DWORD ReplaceRetryMilliseconds = 100;

FILE* PlatformCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes) {
    if (tempPathBytes <= 0) return nullptr;
    unsigned long pid = static_cast<unsigned long>(GetCurrentProcessId());
    for (int attempt = 0; attempt < TempNameTries; attempt++) {
        int length = attempt == 0
            ? std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%lu", targetPath, pid)
            : std::snprintf(tempPath, static_cast<size_t>(tempPathBytes), "%s.tmp-%lu-%d", targetPath, pid, attempt);
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

bool PlatformMakeFolder(const char* path) {
    // CreateDirectoryA wants no separator at the end.
    char folder[MAX_PATH];
    int length = std::snprintf(folder, sizeof folder, "%s", path);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof folder) return false;
    while (length > 1 && (folder[length - 1] == '/' || folder[length - 1] == '\\')) folder[--length] = 0;
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PlatformFlushFileToDisk(FILE* file) {
    if (std::fflush(file) != 0) return false;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) return false;
    return FlushFileBuffers(handle) != 0;
}

bool PlatformReplaceFile(const char* tempPath, const char* targetPath) {
    for (int attempt = 0; attempt < ReplaceTries; attempt++) {
        if (MoveFileExA(tempPath, targetPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return false;
        Sleep(ReplaceRetryMilliseconds);
    }
    return false;
}

bool PlatformFolderOfExists(const char* targetPath) {
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

void PlatformRemoveFile(const char* path) { DeleteFileA(path); }

bool PlatformRegularFileSize(FILE* file, int64_t* bytes) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) return false;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *bytes = (static_cast<int64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return true;
}
