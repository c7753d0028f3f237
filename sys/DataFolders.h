// Where the program's files are. The data folder holds bmp_cube/, the save
// folder holds map/; each is "" for the current folder, else a path ending in
// a separator. Start-up takes the first of these that holds bmp_cube/: the
// current folder, the program's own folder, the installed data folder beside
// it (../share/talvox/ on Linux); with none of them, the current folder. Maps
// go into the data folder when the user can write to it; otherwise, and
// always for an installed copy, into the user's own folder
// (SysUserDataFolder), whose map/ the first save makes.
#pragma once
#include <cstdint>

// Bytes of a folder or file path, terminator included.
constexpr int32_t DataPathBytes = 1024;

// The folder bmp_cube/ is read from; "" (the current folder) until found.
extern char dataFolder[DataPathBytes];
// The folder whose map/ saves and loads use; "" (the current folder) until
// found.
extern char saveFolder[DataPathBytes];
// Whether saveFolder is the user's own folder, whose map/ a save makes when
// it is missing (a run folder's missing map/ stays missing).
extern bool saveFolderIsUsersOwn;

// Called once at start-up, before the textures load: sets dataFolder and
// saveFolder by the rule above, from the running program's folder.
void FindDataFolders();
// The rule itself, for a program in programFolder (a path ending in a
// separator; "" or nullptr when unknown).
void ChooseDataFolders(const char* programFolder);
// Makes saveFolder's map/ (and the
// folders above it) when saveFolder is the user's own; nothing otherwise.
void MakeSaveFolder();
// folder followed by relative into path; an empty path when it does not fit.
void FormatDataPath(const char* folder, const char* relative, char (&path)[DataPathBytes]);
