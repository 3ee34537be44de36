#include "tool/cli/listing.h"

void printListingLine(const Console& console, std::FILE* out, const DirEntry& entry) {
    // The name is padded by its bytes, which is its width on a Shift_JIS
    // console (a half-width kana one column, a kanji two); a UTF-8 line is
    // converted after padding so that its columns line up the same way.
    // A negative size shows as its 32-bit two's complement.
    char name[sizeof entry.name];
    terminalSafeName(console, out, entry.name, name, sizeof name);
    char line[LISTING_LINE_SIZE];
    std::snprintf(line, sizeof line, "%-6s   START:%02x %02x    END:%02x %02x   SIZE:%04x\n", name,
                  static_cast<unsigned>(entry.startTrack), static_cast<unsigned>(entry.startSector),
                  static_cast<unsigned>(entry.endTrack), static_cast<unsigned>(entry.endSector),
                  static_cast<unsigned>(dirEntrySize(entry)));
    putText(console, out, line);
}
