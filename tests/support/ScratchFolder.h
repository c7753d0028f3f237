// A scratch working folder with an empty map/ inside, for tests that save
// and load maps, and the count of yellow pixels on the map line's rows.
#pragma once
#include <filesystem>

// Makes a fresh folder under /tmp named after prefix, with map/ inside, and
// makes it the working folder; returns it. *previous gets the old working folder.
std::filesystem::path EnterScratchFolder(const char* prefix, std::filesystem::path* previous);
// Goes back to previous and removes folder with everything in it.
void LeaveScratchFolder(const std::filesystem::path& folder, const std::filesystem::path& previous);
// Pure yellow pixels of ScreenPixels in the rows of the map line (88 to 99),
// columns firstColumn up to but not including endColumn.
int YellowPixelsOnMapLine(int firstColumn, int endColumn);
