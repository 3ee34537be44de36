#include "tool/disk_report.h"

#include <cstdio>

#include "tool/boot_check.h"
#include "tool/buffers.h"
#include "tool/dir_entry.h"
#include "tool/messages.h"

namespace {

constexpr std::int32_t MEDIA_2D = 0x00;
constexpr std::int32_t MEDIA_2DD = 0x10;
constexpr std::int32_t MEDIA_2HD = 0x20;

constexpr std::int32_t ID_SIZE = 4;
// Identities shown on a track line; the rest are only counted.
constexpr std::int32_t LISTED_RECORDS = 32;
// Records counted per track. Real tracks hold a few dozen; the cap keeps a
// crafted track (a count of 65535, or of 0, which never ends) cheap.
constexpr std::int32_t COUNTED_RECORDS = 256;
static_assert(LISTED_RECORDS <= COUNTED_RECORDS);
// Identities per line, so a 16- or 32-record track stays readable; later
// lines start under the first identity.
constexpr std::int32_t IDS_PER_LINE = 8;
constexpr int TRACK_COLUMNS_WIDTH = 34;

// Room for one record more than counted, to tell a track of exactly
// COUNTED_RECORDS from a longer one.
std::uint8_t trackIds[(COUNTED_RECORDS + 1) * ID_SIZE];

constexpr std::int32_t DIRECTORY_ENTRIES = DIRECTORY_SIZE / DIR_ENTRY_SIZE;
static_assert(DIRECTORY_SIZE <= SECTOR_BUFFER_SIZE);

unsigned long hex32(std::int32_t value) { return static_cast<std::uint32_t>(value); }

const char* mediaName(std::int32_t mediaType) {
    switch (mediaType) {
    case MEDIA_2D: return "2D";
    case MEDIA_2DD: return "2DD";
    case MEDIA_2HD: return "2HD";
    default: return "unknown";
    }
}

const char* bootSignatureText(D88Image& image) {
    image.setSectorRange(BOOT_FIRST_SECTOR, BOOT_LAST_SECTOR);
    const std::int32_t got = image.readSectors(BOOT_TRACK, 0, 0, BOOT_FIRST_SECTOR, BOOT_SIZE_CODE,
                                               sectorBuffer, BOOT_CHECK_SIZE);
    // Only bytes read from this disk count: sectorBuffer may still hold the
    // previous disk's directory.
    if (got < BOOT_CHECK_SIZE) {
        return "no boot sector";
    }
    switch (findBootSignature(sectorBuffer)) {
    case BootSignature::A: return "boot signature A";
    case BootSignature::B: return "boot signature B";
    case BootSignature::None: break;
    }
    return "no boot signature";
}

void printTrack(D88Image& image, std::int32_t track, std::int32_t offset) {
    std::printf("  %5ld  %2ld/%ld  0x%08lx", static_cast<long>(track), static_cast<long>(track >> 1),
                static_cast<long>(track & 1), hex32(offset));
    // The reader refuses such a track; say why instead of showing 0 records.
    if (offset < 0 || offset > image.getDiskSize()) {
        std::printf("        -  outside the disk\n");
        return;
    }
    std::int32_t count = image.readTrackIds(track, trackIds, sizeof trackIds) / ID_SIZE;
    const bool capped = count > COUNTED_RECORDS;
    if (capped) {
        count = COUNTED_RECORDS;
    }
    const char* more = capped ? "+" : "";
    char countText[16];
    std::snprintf(countText, sizeof countText, "%ld%s", static_cast<long>(count), more);
    std::printf("  %7s", countText);
    for (std::int32_t i = 0; i < count && i < LISTED_RECORDS; ++i) {
        if (i > 0 && i % IDS_PER_LINE == 0) {
            std::printf("\n%*s", TRACK_COLUMNS_WIDTH, "");
        }
        const std::uint8_t* id = trackIds + ID_SIZE * i;
        std::printf("  %02x %02x %02x %02x", id[0], id[1], id[2], id[3]);
    }
    if (count > LISTED_RECORDS) {
        std::printf("  ... %ld%s more", static_cast<long>(count - LISTED_RECORDS), more);
    }
    std::printf("\n");
    watchStandardOutput();
}

void printTracks(D88Image& image) {
    bool any = false;
    for (std::int32_t track = 0; track < TRACK_COUNT; ++track) {
        const std::int32_t offset = image.getTrackOffset(track);
        if (offset == 0) {
            continue;  // absent
        }
        if (!any) {
            std::printf("  track   C/H  offset      records  identities C H R N, in file order\n");
            any = true;
        }
        printTrack(image, track, offset);
    }
    if (!any) {
        std::printf("  no tracks\n");
    }
}

// How many bytes of the entry's run arrive whole, as d88extract reads them.
std::int32_t readableBytes(D88Image& image, const DirEntry& entry) {
    const std::int32_t size = dirEntrySize(entry);
    if (size <= 0 || size > TRANSFER_BUFFER_SIZE) {
        return 0;
    }
    const std::int32_t track = entry.startTrack;
    return image.readSectors(track, track >> 1, track & 1, entry.startSector, DATA_SIZE_CODE, transferBuffer,
                             size);
}

void printDirectory(D88Image& image) {
    image.setSectorRange(DATA_FIRST_SECTOR, DATA_SECTORS_PER_TRACK);
    const std::int32_t got = image.readSectors(DIRECTORY_TRACK, DIRECTORY_TRACK >> 1, DIRECTORY_TRACK & 1,
                                               DATA_FIRST_SECTOR, DATA_SIZE_CODE, sectorBuffer, DIRECTORY_SIZE);
    // Only entries read from this disk: the rest of sectorBuffer is stale.
    const std::int32_t entryCount = got / DIR_ENTRY_SIZE;
    std::printf("  directory: %ld of %ld entries read\n", static_cast<long>(entryCount),
                static_cast<long>(DIRECTORY_ENTRIES));
    for (std::int32_t j = 0; j < entryCount; ++j) {
        const std::uint8_t* bytes = sectorBuffer + DIR_ENTRY_SIZE * j;
        if (isDirectoryEnd(bytes)) {
            return;
        }
        if (j == 0) {
            std::printf("    readable      entry, as d88extract lists it\n");
        }
        const DirEntry entry = readDirEntry(bytes);
        const std::int32_t size = dirEntrySize(entry);
        const std::int32_t readable = readableBytes(image, entry);
        // "some" carries the count in hex, as the listing line shows SIZE.
        char mark[16] = "none";
        if (readable > 0 && readable == size) {
            std::snprintf(mark, sizeof mark, "all");
        } else if (readable > 0) {
            std::snprintf(mark, sizeof mark, "some: %04lx", hex32(readable));
        }
        std::printf("    %-12s  ", mark);
        printListingLine(stdout, entry);
        watchStandardOutput();
    }
}

}  // namespace

void printDiskReport(D88Image& image, std::int32_t index) {
    std::printf("Disk %ld", static_cast<long>(index));
    if (!image.selectDisk(index)) {
        std::printf(": the header cannot be read\n");
        return;
    }
    const char* boot = bootSignatureText(image);
    std::printf(": \"%s\"\n", image.getDiskName());
    std::printf("  at 0x%08lx, size 0x%08lx (%ld bytes), media 0x%02lx (%s), %s\n",
                hex32(image.getDiskOffset(index)), hex32(image.getDiskSize()),
                static_cast<long>(image.getDiskSize()), hex32(image.getMediaType()),
                mediaName(image.getMediaType()), boot);
    printTracks(image);
    printDirectory(image);
}
