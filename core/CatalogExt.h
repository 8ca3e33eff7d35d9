// Images of catalog items: the program's two image lists, the cache that copies each system icon
// into them once, and the rules that pick an item's image.
#pragma once

#include <string>

// Replaces a system image list index by the index of the same icon in the program's lists (the
// index is left as it is while the program has no lists, as without a window).
void MapSystemIcon(int& Index);
