#include "tool/extract_directory.h"

#include <cstdio>

#include "tool/buffers.h"
#include "tool/dir_entry.h"
#include "tool/extract_file.h"
#include "tool/messages.h"
#include "tool/tool_image.h"

static_assert(DIRECTORY_SIZE <= SECTOR_BUFFER_SIZE);

void extractDirectory() {
    image.setSectorRange(DATA_FIRST_SECTOR, DATA_SECTORS_PER_TRACK);
    const std::int32_t got = image.readSectors(DIRECTORY_TRACK, DIRECTORY_TRACK >> 1, DIRECTORY_TRACK & 1,
                                               DATA_FIRST_SECTOR, DATA_SIZE_CODE, sectorBuffer, DIRECTORY_SIZE);
    // Only entries read from this disk: the rest of sectorBuffer is stale.
    const std::int32_t entryCount = got / DIR_ENTRY_SIZE;
    for (std::int32_t j = 0; j < entryCount; ++j) {
        const std::uint8_t* bytes = sectorBuffer + DIR_ENTRY_SIZE * j;
        if (isDirectoryEnd(bytes)) {
            return;
        }
        const DirEntry entry = readDirEntry(bytes);
        printListingLine(stdout, entry);
        watchStandardOutput();
        const std::int32_t track = entry.startTrack;
        (void)extractFile(entry.name, track, track >> 1, track & 1, entry.startSector, DATA_SIZE_CODE, 0,
                          dirEntrySize(entry));
    }
}
