// The file half of the platform seam: what a safe save needs from the
// operating system beyond plain C stdio, and where the program and the user's
// own files are. A new file is written beside its target (without a name
// where the system allows, else under a temporary name), flushed to disk and
// only then put in the target's place in one step, so the old file stays
// whole until the new one is. One backend file implements it per platform
// (POSIX, Win32).
#pragma once
#include <cstdint>
#include <cstdio>

// Creates a new, empty temporary
// file in targetPath's folder, open for binary writing, and puts in tempPath
// (tempPathBytes bytes) a name after targetPath unique to this process (never
// an existing file). On Linux the file has no name until SysReplaceFile,
// so a save killed outright leaves nothing; elsewhere it has tempPath. First
// removes the temporary files of targetPath whose process no longer runs.
// Returns nullptr when it cannot be made, for example when the folder is
// missing.
FILE* SysCreateTempFile(const char* targetPath, char* tempPath, int32_t tempPathBytes);
// Called after the last write: flushes the stream's buffer and asks the
// system to put the file's data on disk. Returns false when either fails.
bool SysFlushFileToDisk(FILE* file);
// Called with the temporary file closed: puts it in targetPath's place in one
// step, replacing any old file there, and makes the change durable. Returns
// false, with the old file untouched, when the replacement cannot be made.
bool SysReplaceFile(const char* tempPath, const char* targetPath);
// Called to write a file that must not replace another (a screenshot):
// creates path anew, open for binary writing. Returns nullptr when it cannot,
// with *taken telling whether that was because something has that name.
FILE* SysCreateNewFile(const char* path, bool* taken);
// Called when a save cannot make its temporary file: whether the folder that
// would hold targetPath exists. A missing folder means nothing to save into;
// an existing one that takes no new file (read-only, full) is a failure.
bool SysFolderOfExists(const char* targetPath);
// Called when a save gives up: removes the file (the temporary file, named or
// not); nothing happens if it is gone.
void SysRemoveFile(const char* path);
// Called once a file made for the user is whole (a screenshot): where the
// user cannot open the folder (a browser page), hands the file over as a
// download; nothing where the folder is the user's to open.
void SysOfferFile(const char* path);
// The whole path of an existing file, from the root (the user sees where
// it went, whatever the current folder), into whole (wholeBytes bytes).
// Returns false, with path copied as it is, when the system cannot tell.
bool SysWholePath(const char* path, char* whole, int32_t wholeBytes);
// The size in bytes of an open regular file.
// Returns false for anything else (a folder, a device) or when the system
// cannot tell.
bool SysRegularFileSize(FILE* file, int64_t* bytes);

// ---------------------------------------------------------------------------
// Where the files are (sys/DataFolders.h holds the rule)

// The installed data folder relative to the program's folder, ending in a
// separator ("../share/talvox/" on Linux); nullptr where nothing is installed
// that way.
extern const char* const InstalledDataFolder;
// Called at start-up: the folder of the running program, ending in a
// separator, into folder (folderBytes bytes). Returns false when the system
// cannot tell.
bool SysProgramFolder(char* folder, int32_t folderBytes);
// Called at start-up: the user's own folder for the program's files, ending
// in a separator: $XDG_DATA_HOME/talvox/, else ~/.local/share/talvox/ on
// Linux; %LOCALAPPDATA%\TALVOX\ on Windows. Returns false when there is none.
bool SysUserDataFolder(char* folder, int32_t folderBytes);
// Whether path names an existing folder.
bool SysFolderExists(const char* path);
// Whether the user can make files in folder (ending in a separator).
bool SysFolderIsWritable(const char* folder);
// Called before writing into a folder that is made on first use (the user's
// map/, screenshots/): makes the folder path and any missing folders above
// it; true when it exists afterwards.
bool SysMakeFolders(const char* path);
