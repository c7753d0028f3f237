// The entry point in a browser page. The page has laid out the file system
// before: the bitmaps in bmp_cube/ and map/ kept in the browser's storage,
// under the current folder. When the explorer ends, the page says so.
#include "app/Explorer.h"

int main() { return RunExplorer(); }
