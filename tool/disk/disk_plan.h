// What d88extract does with one disk, worked out in the order it works: the
// boot check, TTLPRG, then each directory entry. d88extract carries each
// step out and d88info prints it, so the two cannot tell different stories.
// Steps come one at a time because an entry's bytes (up to
// TRANSFER_BUFFER_SIZE) fill transferBuffer, which holds one file at a time.
#ifndef TOOL_DISK_DISK_PLAN_H
#define TOOL_DISK_DISK_PLAN_H

#include <cstdint>

#include "d88/d88_image.h"
#include "tool/disk/boot_check.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/output_place.h"

struct BootPlan {
    bool sectorRead = false;  // the 19 bytes of the boot check arrived
    BootSignature signature = BootSignature::None;
};

inline bool isBootDisk(const BootPlan& boot) {
    return boot.sectorRead && boot.signature != BootSignature::None;
}

enum class FileOutcome {
    Written,       // in full
    WrittenShort,  // `arrived` bytes from the image, the rest zero
    NothingRead,   // the first sector did not arrive whole: see `stop`
    EmptyName,     // skipped without a word
    RefusedName,   // reported with `refusal`, status 1
    NoSize,        // size 0 or negative: listed only
};

// Why a run read nothing, from where it stopped.
enum class StopReason {
    TrackAbsent,     // the track table holds 0 (or the track lies past it)
    TrackOutside,    // the track table points before or past the disk
    CountZeroEnds,   // the sector is on the track, after a record whose
                     // sector count of 0 ends every lookup
    SectorNotFound,  // no record of that identity on the track
    SectorShort,     // found, but holding fewer bytes than its size code
};

struct FilePlan {
    const char* name = "";
    FileOutcome outcome = FileOutcome::NoSize;
    std::int32_t size = 0;
    // Bytes of the file that came from the image, a short last sector's
    // included: the count d88extract reports for a short file.
    std::int32_t arrived = 0;
    const char* refusal = nullptr;
    // Where the run stopped short (track -1 when it did not).
    RunStop stop;
    // The file's `size` bytes, the missing ones zero, while the step that
    // is handed the plan runs; null when the plan reads no bytes or the
    // file has no size.
    const std::uint8_t* bytes = nullptr;
};

// How many sectors of its run the reader visits for a file: the whole ones
// that arrived, and the one it stopped at when that was found but short.
inline std::int32_t visitedSectors(const FilePlan& plan, std::int32_t sectorSize) {
    if (plan.size <= 0) {
        return 0;
    }
    return plan.arrived / sectorSize + (plan.stop.track >= 0 && plan.stop.found ? 1 : 0);
}

inline bool writesFile(FileOutcome outcome) {
    return outcome == FileOutcome::Written || outcome == FileOutcome::WrittenShort;
}
inline bool writesFile(const FilePlan& plan) { return writesFile(plan.outcome); }

// What planning reads of each file's run: its bytes, into transferBuffer,
// or only where its sectors lie (for a program that needs no bytes: reading
// a crafted image's longest runs again and again would cost seconds).
enum class PlanReads { Bytes, Places };

// Receives the plan of the selected disk, step by step. While `title` or
// `entry` runs, the plan's `bytes` are the file's when the plan reads bytes.
class DiskPlanSteps {
public:
    // Whether the file `name` (TTLPRG or an entry's) is wanted at all: one
    // that is not is neither read nor handed on. Asked once per file.
    virtual bool takes(const char* name) {
        (void)name;
        return true;
    }
    virtual void boot(const BootPlan& plan) = 0;
    // Only for a boot disk whose TTLPRG is taken.
    virtual void title(const FilePlan& plan) = 0;
    // How many directory entries were read from this disk (0 to 128).
    virtual void directory(std::int32_t entriesRead) = 0;
    // Entries taken, in directory order from 0, up to the end mark.
    virtual void entry(std::int32_t index, const DirEntry& entry, const FilePlan& plan) = 0;

protected:
    ~DiskPlanSteps() = default;
};

// The first disk of the catalogue that starts where disk `disk` does,
// `disk` itself when none before it does. A disk listed again at the same
// place is the same disk: its files are the same files.
std::int32_t firstListing(const D88Image& image, std::int32_t disk);
inline bool isListedBefore(const D88Image& image, std::int32_t disk) { return firstListing(image, disk) != disk; }

// Why d88extract refuses to make a file of the entry name `name` (not
// empty) in `output`, or null; whether the name is the image's is asked
// apart.
const char* nameRefusal(const OutputPlace& output, const char* name);

// Why a run read nothing, from where it stopped. Asked only when it is to
// be told (d88extract says nothing), while the plan's disk is selected.
StopReason whyStopped(D88Image& image, const RunStop& stop);

// Plans the selected disk (or, when none could be selected, an empty one),
// whose files go to `output`, and hands each step to `steps`. Uses
// sectorBuffer and transferBuffer and changes the reader's sector range.
void planDisk(D88Image& image, const OutputPlace& output, DiskPlanSteps& steps,
              PlanReads reads = PlanReads::Bytes);

#endif
