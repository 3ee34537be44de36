// Which file d88extract writes is written again later in the same run: the
// file written last wins. d88info walks the whole image's plan once to
// learn every write, then names, for each file, the write that replaces it.
#ifndef TOOL_LATER_WRITES_H
#define TOOL_LATER_WRITES_H

#include <cstdint>

#include "d88/d88_image.h"

// A file's place in the run: its disk, and its directory entry (from 0) or
// TITLE_ENTRY for the disk's TTLPRG, which comes before the entries.
struct WritePlace {
    std::int32_t disk = 0;
    std::int32_t entry = 0;
};
inline constexpr std::int32_t TITLE_ENTRY = -1;

// Plans every disk of the open image and remembers each file it writes.
void rememberWrites(D88Image& image);

// The first remembered write after `place` of the file `name`; false when
// nothing replaces it.
bool findLaterWrite(const char* name, WritePlace place, WritePlace& later);

#endif
