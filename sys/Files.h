// The file half of the platform seam: what a safe save needs from the
// operating system beyond plain C stdio. A new file is written under a
// temporary name beside its target, flushed to disk and only then put in the
// target's place in one step, so the old file stays whole until the new one
// is. One backend file implements it per platform (POSIX, Win32).
#pragma once
#include <cstdint>
#include <cstdio>

// Called by a save before its first write: creates a new, empty temporary
// file in targetPath's folder, named after targetPath and unique to this
// process (never an existing file), open for binary writing. Its name goes to
// tempPath (tempPathBytes bytes). Returns nullptr when it cannot be made, for
// example when the folder is missing.
FILE* PlatformCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes);
// Called after the last write: flushes the stream's buffer and asks the
// system to put the file's data on disk. Returns false when either fails.
bool PlatformFlushFileToDisk(FILE* file);
// Called with the temporary file closed: puts it in targetPath's place in one
// step, replacing any old file there, and makes the change durable. Returns
// false, with the old file untouched, when the replacement cannot be made.
bool PlatformReplaceFile(const char* tempPath, const char* targetPath);
// Called to write a file that must not replace another (a screenshot):
// creates path anew, open for binary writing. Returns nullptr when it cannot,
// with *taken telling whether that was because something has that name.
FILE* PlatformCreateNewFile(const char* path, bool* taken);
// Called before writing into a folder that is made on first use: makes the
// folder at path (its parent must exist). True when it exists afterwards.
bool PlatformMakeFolder(const char* path);
// Called when a save cannot make its temporary file: whether the folder that
// would hold targetPath exists. A missing folder means nothing to save into;
// an existing one that takes no new file (read-only, full) is a failure.
bool PlatformFolderOfExists(const char* targetPath);
// Called when a save gives up: removes the file; nothing happens if it is gone.
void PlatformRemoveFile(const char* path);
// Called by a load after opening: the size in bytes of an open regular file.
// Returns false for anything else (a folder, a device) or when the system
// cannot tell.
bool PlatformRegularFileSize(FILE* file, int64_t* bytes);
