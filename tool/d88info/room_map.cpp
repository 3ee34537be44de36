#include "tool/d88info/room_map.h"

#include <cstdio>
#include <cstring>

#include "d88/d88_format.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_layout.h"

namespace {

// A cell: the holder's index (decimal, as "entry N" elsewhere on the page)
// right-aligned, then its mark; "." and "x" stand where an index would.
constexpr int CELL_TEXT_WIDTH = 4;
constexpr char MARK_NONE = ' ';
constexpr char MARK_SEVERAL = '+';
constexpr char MARK_NOT_IN_FULL = '!';
constexpr char FREE_TEXT[] = ".";
constexpr char NOT_IN_FULL_TEXT[] = "x";
// The row labels and column headings, tracks and sectors, are places on
// the disk: two hex digits, as the listing writes them.
constexpr int TRACK_WIDTH = 7;  // under "  track"

// "  track" and five cells of CELL_TEXT_WIDTH + 1, with room to spare.
constexpr std::size_t MAP_LINE_SIZE = 64;
static_assert(TRACK_WIDTH + DATA_SECTORS_PER_TRACK * (CELL_TEXT_WIDTH + 1) + 1 < MAP_LINE_SIZE);

constexpr char LEGEND[] =
    "  map: a line per track, a cell per sector 01 to 05\n"
    "    N   entry N's run visits it         .   free\n"
    "    N+  several runs, entry N's first   x   not found in full\n"
    "    N!  not found in full, entry N's run stops there\n";

bool isBare(const SectorMap& map, DataSector at) {
    return map.firstHolder(at) == NO_ENTRY && !map.isFoundInFull(at);
}

// Appends the cell of `at` to `line` at `used`.
int putCell(const SectorMap& map, DataSector at, char* line, int used) {
    const std::int32_t first = map.firstHolder(at);
    char text[16];  // an index is below 128; room for any long
    char mark = MARK_NONE;
    if (first != NO_ENTRY) {
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(first));
        if (map.secondHolder(at) != NO_ENTRY) {
            mark = MARK_SEVERAL;
        } else if (!map.isFoundInFull(at)) {
            mark = MARK_NOT_IN_FULL;
        }
    } else {
        std::snprintf(text, sizeof text, "%s", map.isFree(at) ? FREE_TEXT : NOT_IN_FULL_TEXT);
    }
    const int room = static_cast<int>(MAP_LINE_SIZE) - used;
    return used + std::snprintf(line + used, static_cast<std::size_t>(room), "%*s%c", CELL_TEXT_WIDTH, text, mark);
}

// Prints `line` without its trailing blanks, and a newline.
void putLine(Console& console, char* line) {
    std::size_t length = std::strlen(line);
    while (length > 0 && line[length - 1] == ' ') {
        --length;
    }
    line[length] = '\0';
    std::printf("%s\n", line);
    watchStandardOutput(console);
}

}  // namespace

void printRoomMap(Console& console, const SectorMap& sectorMap) {
    std::fputs(LEGEND, stdout);
    // The tracks after the last one with anything but "x" would say only
    // that: one line says it for all of them.
    std::int32_t last = FIRST_FILE_TRACK - 1;
    for (std::int32_t track = FIRST_FILE_TRACK; track < TRACK_COUNT; ++track) {
        for (std::int32_t sector = DATA_FIRST_SECTOR; sector <= DATA_LAST_SECTOR; ++sector) {
            if (!isBare(sectorMap, DataSector{track, sector})) {
                last = track;
            }
        }
    }
    char line[MAP_LINE_SIZE];
    if (last >= FIRST_FILE_TRACK) {
        int used = std::snprintf(line, sizeof line, "  track");
        for (std::int32_t sector = DATA_FIRST_SECTOR; sector <= DATA_LAST_SECTOR; ++sector) {
            used += std::snprintf(line + used, sizeof line - static_cast<std::size_t>(used), "%*.2lx ",
                                  CELL_TEXT_WIDTH, static_cast<unsigned long>(sector));
        }
        putLine(console, line);
    }
    for (std::int32_t track = FIRST_FILE_TRACK; track <= last; ++track) {
        int used = std::snprintf(line, sizeof line, "%*.2lx", TRACK_WIDTH, static_cast<unsigned long>(track));
        for (std::int32_t sector = DATA_FIRST_SECTOR; sector <= DATA_LAST_SECTOR; ++sector) {
            used = putCell(sectorMap, DataSector{track, sector}, line, used);
        }
        putLine(console, line);
    }
    const unsigned long after = static_cast<unsigned long>(last + 1);
    const unsigned long lastTrack = TRACK_COUNT - 1;
    if (after == lastTrack) {
        std::printf("  track %02lx: no sector found in full\n", lastTrack);
    } else if (after < lastTrack) {
        std::printf("  tracks %02lx to %02lx: no sector found in full\n", after, lastTrack);
    }
    watchStandardOutput(console);
}
