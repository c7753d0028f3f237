// The entry point in a browser page. The page has laid out the file system
// before: the bitmaps in bmp_cube/ and map/ kept in the browser's storage,
// under the current folder. The explorer's end is made an exit of the page's
// program, which the page then shows; main's own return would be lost once
// the loop has handed control back to the browser.
#include <cstdlib>

#include "app/Platform.h"

int main() { std::exit(RunExplorer()); }
