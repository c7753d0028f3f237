// Finding the data and save folders at start-up: the current folder first, so
// that a run folder behaves as it always has, then the program's own folder,
// then the installed data folder; saves go where the user can write.
#include "sys/DataFolders.h"

#include <cstdio>
#include <cstring>

#include "sys/Files.h"

char dataFolder[DataPathBytes] = "";
char saveFolder[DataPathBytes] = "";
bool saveFolderIsUsersOwn = false;

// The folder a data folder must hold.
static const char* const TextureFolderName = "bmp_cube";

void FormatDataPath(const char* folder, const char* relative, char (&path)[DataPathBytes]) {
    int length = std::snprintf(path, sizeof path, "%s%s", folder, relative);
    if (length < 0 || length >= DataPathBytes) path[0] = 0;
}

// Whether folder ("" for the current one) holds the textures' folder.
static bool HoldsData(const char* folder) {
    char path[DataPathBytes];
    FormatDataPath(folder, TextureFolderName, path);
    return path[0] && SysFolderExists(path);
}

static void Copy(char (&target)[DataPathBytes], const char* source) {
    std::snprintf(target, sizeof target, "%s", source);
}

// Saves into the user's own folder, or into the current folder when the user
// has none.
static void SaveIntoUsersOwnFolder() {
    char folder[DataPathBytes];
    if (SysUserDataFolder(folder, DataPathBytes)) {
        Copy(saveFolder, folder);
        saveFolderIsUsersOwn = true;
    } else {
        Copy(saveFolder, "");
        saveFolderIsUsersOwn = false;
    }
}

// Saves beside the data in folder when the user can write there, else into
// the user's own folder.
static void SaveBeside(const char* folder) {
    if (SysFolderIsWritable(folder)) {
        Copy(saveFolder, folder);
        saveFolderIsUsersOwn = false;
    } else {
        SaveIntoUsersOwnFolder();
    }
}

void ChooseDataFolders(const char* programFolder) {
    Copy(dataFolder, "");
    Copy(saveFolder, "");
    saveFolderIsUsersOwn = false;
    if (HoldsData("")) {
        SaveBeside("");
        return;
    }
    if (!programFolder || !programFolder[0]) return;
    if (HoldsData(programFolder)) {
        Copy(dataFolder, programFolder);
        SaveBeside(programFolder);
        return;
    }
    char installed[DataPathBytes];
    if (InstalledDataFolder) {
        FormatDataPath(programFolder, InstalledDataFolder, installed);
        if (installed[0] && HoldsData(installed)) {
            Copy(dataFolder, installed);
            SaveIntoUsersOwnFolder();
        }
    }
}

void FindDataFolders() {
    char programFolder[DataPathBytes];
    if (!SysProgramFolder(programFolder, DataPathBytes)) programFolder[0] = 0;
    ChooseDataFolders(programFolder);
}

void MakeSaveFolder() {
    if (!saveFolderIsUsersOwn) return;
    char path[DataPathBytes];
    FormatDataPath(saveFolder, "map", path);
    if (path[0]) SysMakeFolders(path);
}
