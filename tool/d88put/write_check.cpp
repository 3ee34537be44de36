#include "tool/d88put/write_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "tool/disk/disk_plan.h"

namespace {

// Track starts already walked, so that tracks and disks that share records
// are walked once: an open-addressed set, as large as all tracks of all
// disks twice over.
class WalkedStarts {
public:
    void clear() {
        for (auto& slot : slots) {
            slot = 0;
        }
        used = 0;
    }
    // Whether `start` is walked for the first time, noting it.
    bool firstVisit(std::int64_t start);

private:
    static constexpr std::int32_t START_SLOTS = 1 << 15;
    static_assert(START_SLOTS >= 2 * MAX_DISKS * TRACK_COUNT);
    // 0 marks a free slot, so a start is kept plus one.
    std::int64_t slots[START_SLOTS];
    std::int32_t used = 0;
};

// Header steps the check of the writes may take beyond one for each header
// the image could hold; a million cost a few milliseconds.
constexpr std::int64_t WALK_BUDGET_BASE = 1000000;

bool WalkedStarts::firstVisit(std::int64_t start) {
    // A full set would never end a probe: walk again rather than loop.
    if (used >= START_SLOTS - 1) {
        return true;
    }
    std::uint64_t slot = (static_cast<std::uint64_t>(start) * 0x9E3779B97F4A7C15u) % START_SLOTS;
    for (; slots[slot] != 0; slot = (slot + 1) % START_SLOTS) {
        if (slots[slot] == start + 1) {
            return false;
        }
    }
    slots[slot] = start + 1;
    ++used;
    return true;
}

// Who holds a range of the image: an entry of a disk (by where the disk
// starts), TTLPRG, or the disk's own boot sector and directory (SYSTEM_AREA).
struct Holder {
    std::int32_t diskOffset = 0;
    std::int32_t disk = 0;
    std::int32_t entry = SYSTEM_AREA;
};

class Checker {
public:
    Checker(D88Image& image, PutPlan& plan, WalkedStarts& walked) : image(image), plan(plan), walked(walked) {
        for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
            const PutResult result = plan.change(i).result;
            anyShrunk = anyShrunk || result == PutResult::Shrunk || result == PutResult::Deleted;
        }
    }

    void checkOverlaps();
    // Each disk's header, the record headers of every track's walk, and
    // what each disk's boot sector, TTLPRG, directory and entries hold.
    void checkDisks();

private:
    // Calls `hit` for each write that overlaps [offset, offset + size).
    template <typename Hit>
    void forOverlaps(std::int64_t offset, std::int64_t size, Hit hit);
    void held(const Holder& holder, const SectorLocation& location, std::int32_t size);
    void heldRun(const Holder& holder, std::int32_t track, std::int32_t r, std::int32_t n, std::int32_t unit,
                 std::int32_t count, bool stepTracks);

    // How many sectors of entry `entry` of disk `disk` (its first listing)
    // its run holds once the run's writes are made: `listed`, or fewer
    // when the run shrinks it.
    std::int32_t keptSectors(std::int32_t disk, std::int32_t entry, std::int32_t listed) const;

    D88Image& image;
    PutPlan& plan;
    WalkedStarts& walked;
    bool anyShrunk = false;
    friend class HolderSteps;
};

template <typename Hit>
void Checker::forOverlaps(std::int64_t offset, std::int64_t size, Hit hit) {
    // Once writes of refused changes are left out, no two overlap: only the
    // one or two next to `offset` are looked at.
    for (std::int32_t rank = plan.firstSortedFrom(offset); rank < plan.sortedCount(); ++rank) {
        const SectorWrite& write = plan.sortedWrite(rank);
        if (write.offset >= offset + size) {
            return;
        }
        if (write.offset + plan.writeSize(plan.sortedIndex(rank)) > offset) {
            hit(write);
        }
    }
}

void Checker::checkOverlaps() {
    // The write reaching furthest so far: any later one that starts before
    // its end overlaps it.
    std::int32_t furthest = -1;
    std::int64_t furthestEnd = 0;
    for (std::int32_t rank = 0; rank < plan.sortedCount(); ++rank) {
        const SectorWrite& write = plan.sortedWrite(rank);
        if (furthest >= 0 && write.offset < furthestEnd) {
            const SectorWrite& other = plan.sortedWrite(furthest);
            if (other.change != write.change) {
                Change& a = plan.change(other.change);
                Change& b = plan.change(write.change);
                a.refuse(Refusal::CrossLinked, b.place.disk, b.place.entry);
                b.refuse(Refusal::CrossLinked, a.place.disk, a.place.entry);
            }
        }
        const std::int64_t end = write.offset + plan.writeSize(plan.sortedIndex(rank));
        if (furthest < 0 || end > furthestEnd) {
            furthest = rank;
            furthestEnd = end;
        }
    }
    plan.sortWrites();
}

void Checker::held(const Holder& holder, const SectorLocation& location, std::int32_t size) {
    forOverlaps(location.dataOffset, size, [this, &holder](const SectorWrite& write) {
        Change& change = plan.change(write.change);
        const bool own = change.diskOffset == holder.diskOffset
                         && (change.place.entry == holder.entry
                             || (holder.entry == SYSTEM_AREA && write.piece == ENTRY_PLACE_PIECE));
        if (own) {
            return;
        }
        if (holder.entry == SYSTEM_AREA) {
            change.refuse(Refusal::Damaged);
        } else {
            change.refuse(Refusal::CrossLinked, holder.disk, holder.entry);
        }
    });
}

// Every sector of a run as the reader visits it, up to the first one not
// there in full.
void Checker::heldRun(const Holder& holder, std::int32_t track, std::int32_t r, std::int32_t n, std::int32_t unit,
                      std::int32_t count, bool stepTracks) {
    DataSector at{track, r};
    for (std::int32_t i = 0; i < count; ++i) {
        const SectorLocation location = image.locateSector(at.track, cylinderOf(at.track), headOf(at.track),
                                                           at.sector, n);
        if (!location.found()) {
            return;
        }
        held(holder, location, location.available < unit ? location.available : unit);
        if (location.available < unit) {
            return;
        }
        at = stepTracks ? nextDataSector(at) : DataSector{at.track, at.sector + 1};
    }
}

std::int32_t Checker::keptSectors(std::int32_t disk, std::int32_t entry, std::int32_t listed) const {
    const std::int32_t offset = image.getDiskOffset(disk);
    for (std::int32_t i = 0; anyShrunk && i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        if ((change.result == PutResult::Shrunk || change.result == PutResult::Deleted)
            && change.diskOffset == offset && change.place.entry == entry) {
            return change.result == PutResult::Deleted ? 0 : change.sectors;
        }
    }
    return listed;
}

// What each disk holds, step by step of its plan.
class HolderSteps final : public DiskPlanSteps {
public:
    HolderSteps(Checker& checker, Holder disk) : checker(checker), disk(disk) {}

    void boot(const BootPlan&) override {
        checker.heldRun(disk, BOOT_TRACK, BOOT_FIRST_SECTOR, BOOT_SIZE_CODE, BOOT_SECTOR_SIZE, 1, false);
    }
    void title(const FilePlan&) override {
        Holder title = disk;
        title.entry = TITLE_ENTRY;
        checker.heldRun(title, BOOT_TRACK, TITLE_FIRST_SECTOR, BOOT_SIZE_CODE, BOOT_SECTOR_SIZE,
                        TITLE_SECTOR_COUNT, false);
    }
    void directory(std::int32_t) override {
        checker.heldRun(disk, DIRECTORY_TRACK, DIRECTORY_FIRST_SECTOR, DATA_SIZE_CODE, DATA_SECTOR_SIZE,
                        DIRECTORY_SECTOR_COUNT, true);
    }
    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& plan) override {
        Holder holder = disk;
        holder.entry = index;
        // An entry this run shrinks holds only the sectors it keeps; one it
    // deletes, none.
        const std::int32_t held = checker.keptSectors(disk.disk, index, plan.size / DATA_SECTOR_SIZE);
        if (held > 0) {
            checker.heldRun(holder, entry.startTrack, entry.startSector, DATA_SIZE_CODE, DATA_SECTOR_SIZE, held,
                            true);
        }
    }

private:
    Checker& checker;
    Holder disk;
};

void Checker::checkDisks() {
    const auto damage = [this](const SectorWrite& write) { plan.change(write.change).refuse(Refusal::Damaged); };
    walked.clear();
    // Walks only go forward: no header at or past the last byte written
    // matters, nor any walk that starts there.
    std::int64_t reach = 0;
    for (std::int32_t index = 0; index < plan.writeCount(); ++index) {
        reach = std::max(reach, plan.write(index).offset + plan.writeSize(index));
    }
    // Walks that run through each other can cost far more than the image
    // has headers; past a budget of one step for every header the image
    // could hold, the places cannot be checked.
    const std::int64_t length = image.getFileLength();
    std::int64_t budget = WALK_BUDGET_BASE + (length > 0 ? length / SECTOR_HEADER_SIZE : 0);
    // The disks after the catalogue's last are never read, so any byte from
    // where it stopped may be one of their headers.
    if (const std::int64_t unread = image.getUnreadStart(); unread >= 0) {
        forOverlaps(unread, INT64_MAX - unread, damage);
    }
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        const std::int32_t offset = image.getDiskOffset(disk);
        forOverlaps(offset, DISK_HEADER_SIZE, damage);
        if (!image.selectDisk(disk)) {
            continue;
        }
        for (std::int32_t track = 0; track < TRACK_COUNT && budget >= 0; ++track) {
            RecordWalk walk;
            if (!image.startRecordWalk(track, walk) || walk.start >= reach || !walked.firstVisit(walk.start)) {
                continue;
            }
            std::int64_t header = 0;
            while (image.nextRecordHeader(walk, header) && header < reach && --budget >= 0) {
                forOverlaps(header, SECTOR_HEADER_SIZE, damage);
            }
        }
        // A disk listed again at the same place holds what it held.
        if (!isListedBefore(image, disk)) {
            HolderSteps steps(*this, Holder{offset, disk, SYSTEM_AREA});
            planDisk(image, OutputPlace(), steps, PlanReads::Places);
        }
    }
    if (budget < 0) {
        for (std::int32_t index = 0; index < plan.changeCount(); ++index) {
            plan.change(index).refuse(Refusal::Unchecked);
        }
    }
}

}  // namespace

void checkWrites(D88Image& image, PutPlan& plan) {
    if (plan.writeCount() == 0) {
        return;
    }
    plan.sortWrites();
    // Large: static storage, not the stack.
    static WalkedStarts walked;
    Checker checker(image, plan, walked);
    checker.checkOverlaps();
    checker.checkDisks();
}
