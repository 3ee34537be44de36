#include "tool/d88info/disk_report.h"

#include <cstdio>

#include "tool/cli/listing.h"
#include "tool/cli/messages.h"
#include "tool/d88info/room_map.h"
#include "tool/d88info/track_ids.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_plan.h"
#include "tool/disk/sector_map.h"

namespace {

constexpr std::int32_t MEDIA_2D = 0x00;
constexpr std::int32_t MEDIA_2DD = 0x10;
constexpr std::int32_t MEDIA_2HD = 0x20;

// Identities shown on a track line; the rest are only counted.
constexpr std::int32_t LISTED_RECORDS = 32;
static_assert(LISTED_RECORDS <= COUNTED_RECORDS);
// Identities per line, so a 16- or 32-record track stays readable; later
// lines start under the first identity.
constexpr std::int32_t IDS_PER_LINE = 8;
constexpr int TRACK_COLUMNS_WIDTH = 34;

// Under an entry's name, past its index, mark and bytes 6 to 11.
constexpr char NOTE_INDENT[] = "                                   ";

unsigned long hex32(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// A track, a sector or a cylinder is written as the listing's START and END
// write a place: two hex digits. Every number here is below 256.
unsigned long place(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// Counts are decimal words with their unit, singular for one.
const char* unitWord(long count, const char* one, const char* more) { return count == 1 ? one : more; }

const char* mediaName(std::int32_t mediaType) {
    switch (mediaType) {
    case MEDIA_2D: return "2D";
    case MEDIA_2DD: return "2DD";
    case MEDIA_2HD: return "2HD";
    default: return "unknown";
    }
}

const char* bootText(const BootPlan& boot) {
    if (!boot.sectorRead) {
        return "no boot sector";
    }
    switch (boot.signature) {
    case BootSignature::A: return "boot signature A";
    case BootSignature::B: return "boot signature B";
    case BootSignature::None: break;
    }
    return "no boot signature";
}

void printTrack(D88Image& image, Console& console, std::int32_t track, std::int32_t offset) {
    std::printf("  %5.2lx  %02lx/%ld  0x%08lx", place(track), place(cylinderOf(track)),
                static_cast<long>(headOf(track)), hex32(offset));
    // Large: static storage, not the stack.
    static TrackIds ids;
    // Say why the reader refuses such a track instead of showing 0 records.
    if (!readCountedTrackIds(image, track, offset, ids)) {
        std::printf("        -  outside the disk\n");
        return;
    }
    const std::int32_t count = ids.count;
    const char* more = ids.capped ? "+" : "";
    char countText[16];
    std::snprintf(countText, sizeof countText, "%ld%s", static_cast<long>(count), more);
    std::printf("  %7s", countText);
    for (std::int32_t i = 0; i < count && i < LISTED_RECORDS; ++i) {
        if (i > 0 && i % IDS_PER_LINE == 0) {
            std::printf("\n%*s", TRACK_COLUMNS_WIDTH, "");
        }
        const std::uint8_t* id = ids.id(i);
        std::printf("  %02x %02x %02x %02x", id[0], id[1], id[2], id[3]);
    }
    if (count > LISTED_RECORDS) {
        std::printf("  ... %ld%s more", static_cast<long>(count - LISTED_RECORDS), more);
    }
    std::printf("\n");
    watchStandardOutput(console);
}

void printTracks(D88Image& image, Console& console) {
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
        printTrack(image, console, track, offset);
    }
    if (!any) {
        std::printf("  no tracks\n");
    }
}

// The mark of a file's outcome; "some" carries the count in hex, as the
// listing line shows SIZE.
struct Mark {
    char text[16];
};

Mark markOf(const FilePlan& plan) {
    Mark result{};
    char* mark = result.text;
    constexpr std::size_t size = sizeof result.text;
    switch (plan.outcome) {
    case FileOutcome::Written: std::snprintf(mark, size, "all"); break;
    case FileOutcome::WrittenShort: std::snprintf(mark, size, "some: %04lx", hex32(plan.arrived)); break;
    case FileOutcome::NothingRead: std::snprintf(mark, size, "none"); break;
    case FileOutcome::EmptyName: std::snprintf(mark, size, "no name"); break;
    case FileOutcome::RefusedName: std::snprintf(mark, size, "refused"); break;
    case FileOutcome::NoSize: std::snprintf(mark, size, "no size"); break;
    }
    return result;
}

void printStop(D88Image& image, const FilePlan& plan) {
    const RunStop& at = plan.stop;
    const unsigned long track = place(at.track);
    switch (whyStopped(image, at)) {
    case StopReason::TrackAbsent: std::printf("track %02lx absent", track); return;
    case StopReason::TrackOutside: std::printf("track %02lx outside the disk", track); return;
    case StopReason::CountZeroEnds:
        std::printf("a sector count of 0 ends track %02lx before %02x %02x %02x %02x", track,
                    static_cast<unsigned>(at.c), static_cast<unsigned>(at.h), static_cast<unsigned>(at.r),
                    static_cast<unsigned>(at.n));
        return;
    case StopReason::SectorNotFound:
        std::printf("sector %02x %02x %02x %02x not found on track %02lx", static_cast<unsigned>(at.c),
                    static_cast<unsigned>(at.h), static_cast<unsigned>(at.r), static_cast<unsigned>(at.n), track);
        return;
    case StopReason::SectorShort:
        std::printf("sector %02x %02x %02x %02x of track %02lx holds %ld %s", static_cast<unsigned>(at.c),
                    static_cast<unsigned>(at.h), static_cast<unsigned>(at.r), static_cast<unsigned>(at.n), track,
                    static_cast<long>(plan.arrived), unitWord(plan.arrived, "byte", "bytes"));
        return;
    }
}

// Why the file is not written, or which later write replaces it, after
// `lead` and without a newline; false, having printed nothing, for a file
// that stays as written.
bool printNote(D88Image& image, const LaterWrites& laterWrites, const char* lead, const FilePlan& plan,
               WritePlace place) {
    WritePlace later;
    if (plan.outcome == FileOutcome::NothingRead) {
        std::printf("%s", lead);
        printStop(image, plan);
    } else if (plan.outcome == FileOutcome::RefusedName) {
        std::printf("%s%s", lead, plan.refusal);
    } else if (writesFile(plan) && laterWrites.find(plan.name, place, later)) {
        std::printf("%sreplaced by disk %ld ", lead, static_cast<long>(later.disk));
        if (later.entry == TITLE_ENTRY) {
            std::printf("TTLPRG");
        } else {
            std::printf("entry %ld", static_cast<long>(later.entry));
        }
    } else {
        return false;
    }
    return true;
}

// The selected disk's free sectors and the longest run of them, once its
// entries are noted in the map.
void printRoom(Console& console, const SectorMap& sectorMap) {
    const std::int32_t count = sectorMap.freeCount();
    std::printf("  free: %ld %s", static_cast<long>(count), unitWord(count, "sector", "sectors"));
    if (count > 0) {
        const SectorMap::FreeRun longest = sectorMap.longestFreeRun();
        std::printf(", longest run %ld at track %02lx sector %02lx", static_cast<long>(longest.length),
                    place(longest.start.track), place(longest.start.sector));
    }
    std::printf("\n");
    watchStandardOutput(console);
}

// d88info's part in each step of a disk's plan: the header line once the
// boot check is known, the tracks, TTLPRG, then the directory.
class Page final : public DiskPlanSteps {
public:
    Page(D88Image& image, std::int32_t disk, Run& run, const LaterWrites& laterWrites, SectorMap& sectorMap)
        : image(image), disk(disk), run(run), laterWrites(laterWrites), sectorMap(sectorMap) {}

    void boot(const BootPlan& plan) override {
        std::fputs(": \"", stdout);
        char name[DISK_NAME_SIZE + 1];
        terminalSafeName(run.console, stdout, image.getDiskName(), name, sizeof name);
        putText(run.console, stdout, name);
        std::fputs("\"\n", stdout);
        sectorMap.start(image);
        std::printf("  at 0x%08lx, size 0x%08lx (%ld bytes), media 0x%02lx (%s), %s\n",
                    hex32(image.getDiskOffset(disk)), hex32(image.getDiskSize()),
                    static_cast<long>(image.getDiskSize()), hex32(image.getMediaType()),
                    mediaName(image.getMediaType()), bootText(plan));
        printTracks(image, run.console);
    }

    void title(const FilePlan& plan) override {
        std::printf("  TTLPRG: %s", markOf(plan).text);
        (void)printNote(image, laterWrites, "  ", plan, WritePlace{disk, TITLE_ENTRY});
        std::printf("\n");
        watchStandardOutput(run.console);
    }

    void directory(std::int32_t entriesRead) override {
        std::printf("  directory: %ld of %ld entries read\n", static_cast<long>(entriesRead),
                    static_cast<long>(DIRECTORY_ENTRIES));
    }

    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& plan) override {
        if (index == 0) {
            std::printf("    #  written       bytes 6-11    entry, as d88extract lists it\n");
        }
        sectorMap.note(index, entry, plan);
        // The index is the N of "entry N" and of the map's cells; bytes 6
        // to 11 are what an added entry's could be compared with.
        std::printf("  %3ld  %-12s  ", static_cast<long>(index), markOf(plan).text);
        for (const std::uint8_t byte : entry.unused) {
            std::printf("%02x", static_cast<unsigned>(byte));
        }
        std::printf("  ");
        printListingLine(run.console, stdout, entry);
        // Under the entry's name: the listing line is d88extract's own.
        if (printNote(image, laterWrites, NOTE_INDENT, plan, WritePlace{disk, index})) {
            std::printf("\n");
        }
        watchStandardOutput(run.console);
    }

private:
    D88Image& image;
    std::int32_t disk;
    Run& run;
    const LaterWrites& laterWrites;
    // Where files could grow or move to, as d88put counts it.
    SectorMap& sectorMap;
};

}  // namespace

void printDiskReport(D88Image& image, std::int32_t index, Run& run, const LaterWrites& laterWrites) {
    std::printf("Disk %ld", static_cast<long>(index));
    if (!image.selectDisk(index)) {
        std::printf(": the header cannot be read\n");
        return;
    }
    run.output.enterDisk(index);
    // Large: static storage, not the stack.
    static SectorMap sectorMap;
    Page page(image, index, run, laterWrites, sectorMap);
    planDisk(image, run.output, page, PlanReads::Places);
    printRoom(run.console, sectorMap);
    if (run.line.map) {
        printRoomMap(run.console, sectorMap);
    }
}
