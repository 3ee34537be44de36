// What d88put decides for each changed file, and the writes to the new
// image that carry it out.
#ifndef TOOL_D88PUT_PUT_PLAN_H
#define TOOL_D88PUT_PUT_PLAN_H

#include <cstddef>
#include <cstdint>

#include "d88/d88_format.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_layout.h"
#include "tool/disk/disk_plan.h"
#include "tool/disk/later_writes.h"

// Why a changed file is not put back.
enum class Refusal {
    NoRoomAfter,    // longer than its run, the sectors after it not free
    NoFreeRun,      // with --relocate, no free run holds `refusalSectors` sectors
    Damaged,        // its run cannot be read in full, or its bytes would
                    // cover a header
    CrossLinked,    // with entry `refusalEntry` (or TTLPRG) of disk `refusalDisk`
    TooLong,        // TTLPRG of more than 3840 bytes
    CopiesDiffer,   // a disk listed twice, its copy in the folder of disk
                    // `refusalDisk` changed differently
    TooManyWrites,  // more sectors change than a run can check
    Unchecked,      // the image's tracks run through each other too much
                    // for the check of its place
    SeveralEntries,  // --delete: several taken entries write the file
    EmptiesDisk,     // --delete: its disk would lose every file it has
    DirectoryDamaged,  // --delete, --add: its disk's directory cannot be read in full
    DirectoryFull,     // --add: the directory lists 128 entries
    EmptyFile,         // --add: an entry holds at least one sector
    NotAName,          // --add: no entry name d88extract writes unchanged
    TitleName,         // --add: TTLPRG is never added
};

// What a change does to its disk.
enum class ChangeAction : std::uint8_t {
    Put,        // puts the file's bytes back
    Delete,     // removes the entry of a file missing from its folder
    Directory,  // writes its disk's directory copy (see DirectoryCopies)
    Add,        // makes a new entry for a file no entry names
};

enum class PutResult {
    Pending,  // not placed yet
    InPlace,  // in the sectors of its run, zeros after it
    Shrunk,   // in the first sectors of its run, which ends there now
    Grown,    // its run goes on into the free sectors after it
    Moved,    // to a run of free sectors elsewhere on its disk
    Deleted,  // its entry leaves the directory
    Added,    // a new entry, in the first free run long enough
    Refused,  // not put back; the run writes no new image
};

// A file in the output folder whose bytes differ from what d88extract
// writes for its entry (or its disk's TTLPRG).
struct Change {
    // The disk whose folder holds the file, and the entry (or TITLE_ENTRY).
    WritePlace place;
    // Where that disk starts in the image: disks listed at one place are one.
    std::int32_t diskOffset = 0;
    char name[DIR_NAME_SIZE + 1] = {};
    ChangeAction action = ChangeAction::Put;
    // The directory entry as listed (not for TTLPRG).
    DirEntry entry{};
    // The file's length in bytes.
    std::int64_t length = 0;
    // What d88extract does with the entry, and the size of its run.
    FileOutcome outcome = FileOutcome::Written;
    std::int32_t runSize = 0;

    PutResult result = PutResult::Pending;
    Refusal refusal = Refusal::Damaged;
    std::int32_t refusalDisk = 0;
    // An entry index, or TITLE_ENTRY.
    std::int32_t refusalEntry = 0;
    // The sectors the file needs, for NoFreeRun.
    std::int64_t refusalSectors = 0;
    // Where the file lies once put back (entries), and in how many sectors.
    DataSector start;
    DataSector end;
    std::int32_t sectors = 0;

    bool isTitle() const { return place.entry == TITLE_ENTRY; }
    // The bytes of one of its pieces: a boot track sector for TTLPRG, a data
    // sector for an entry.
    std::int32_t pieceSize() const { return isTitle() ? BOOT_SECTOR_SIZE : DATA_SECTOR_SIZE; }
    // The first reason found stands.
    void refuse(Refusal why, std::int32_t disk = 0, std::int32_t entry = 0);
    // With --relocate: no free run holds the `sectors` the file needs.
    void refuseNoFreeRun(std::int64_t sectors);
};

// The piece of a write that is no file bytes but the entry's place bytes
// in the directory.
inline constexpr std::int32_t ENTRY_PLACE_PIECE = -1;

// Bytes of the new image that differ from the image's: piece `piece` of
// change `change`'s file (zeros past its end) at file offset `offset`.
// No member defaults: the list of them is large, and a type with them would
// be filled in at start, every page of it.
struct SectorWrite {
    std::int64_t offset;
    std::int32_t change;
    std::int32_t piece;
};

class PutPlan {
public:
    // TTLPRG and every entry of every disk.
    static constexpr std::int32_t MAX_CHANGES = MAX_DISKS * (1 + DIRECTORY_ENTRIES);
    // Every data and title sector of 64 full disks, twice over; a run that
    // needs more (only a crafted image can) is refused.
    static constexpr std::int32_t MAX_WRITES = 1 << 17;

    // Forgets every change and write, for a new run.
    void clear() {
        changes = 0;
        writes = 0;
        sorted = 0;
        takenFiles = 0;
        foundFiles = 0;
    }

    // A file d88extract writes for a taken entry, and whether the folder
    // holds it: a folder that holds none of them is most likely not the
    // one d88extract wrote.
    void noteTakenFile(bool found) {
        ++takenFiles;
        foundFiles += found ? 1 : 0;
    }
    bool holdsNoTakenFile() const { return takenFiles > 0 && foundFiles == 0; }

    std::int32_t changeCount() const { return changes; }
    Change& change(std::int32_t index) { return changeList[index]; }
    const Change& change(std::int32_t index) const { return changeList[index]; }
    // A new change, or null when the list is full.
    Change* addChange();

    std::int32_t writeCount() const { return writes; }
    const SectorWrite& write(std::int32_t index) const { return writeList[index]; }
    // False when the list is full.
    bool addWrite(std::int64_t offset, std::int32_t change, std::int32_t piece);
    // How many bytes write `index` covers.
    std::int32_t writeSize(std::int32_t index) const;

    // Orders the writes by offset, for sortedWrite; those of refused changes
    // are left out (the checks need not look at them again).
    void sortWrites();
    std::int32_t sortedCount() const { return sorted; }
    const SectorWrite& sortedWrite(std::int32_t rank) const { return writeList[order[rank]]; }
    std::int32_t sortedIndex(std::int32_t rank) const { return order[rank]; }
    // The rank of the first sorted write that may overlap bytes from
    // `offset` on (none covers more than a data sector).
    std::int32_t firstSortedFrom(std::int64_t offset) const;

    bool anyRefused() const;

    // Drops the changes `keep` says no to, before any write is added.
    template <typename Keep>
    void keepChanges(Keep keep) {
        std::int32_t kept = 0;
        for (std::int32_t i = 0; i < changes; ++i) {
            if (keep(changeList[i])) {
                changeList[kept++] = changeList[i];
            }
        }
        changes = kept;
    }

private:
    Change changeList[MAX_CHANGES];
    std::int32_t changes = 0;
    SectorWrite writeList[MAX_WRITES];
    std::int32_t writes = 0;
    std::int32_t order[MAX_WRITES];
    std::int32_t sorted = 0;
    std::int32_t takenFiles = 0;
    std::int32_t foundFiles = 0;
};

// What a plan may take: static storage, with the image's in d88put's memory
// target.
inline constexpr std::size_t PUT_PLAN_BUDGET = 3584 * 1024;
static_assert(sizeof(PutPlan) <= PUT_PLAN_BUDGET);

#endif
