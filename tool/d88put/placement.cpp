#include "tool/d88put/placement.h"

#include <cstdio>

#include "tool/disk/sector_map.h"

namespace {

std::int64_t sectorsFor(std::int64_t length) { return (length + DATA_SECTOR_SIZE - 1) / DATA_SECTOR_SIZE; }

// A file longer than any run can be needs more sectors than a disk has: no
// run is looked for.
constexpr std::int64_t LONGEST_FILE = std::int64_t{TRACK_COUNT} * DATA_SECTORS_PER_TRACK * DATA_SECTOR_SIZE;

// The sectors a file of `length` bytes needs on a disk; -1 when it is
// longer than a disk.
std::int32_t sectorsOnDisk(std::int64_t length) {
    return length < LONGEST_FILE ? static_cast<std::int32_t>(sectorsFor(length)) : -1;
}

class Placer {
public:
    Placer(D88Image& image, PutPlan& plan, SectorMap& sectorMap)
        : image(image), plan(plan), sectorMap(sectorMap) {}

    // A disk of the image (selected) whose changes come next, and its
    // directory copy when entries leave it (else null).
    void enterDisk(DirectoryCopy* copy) {
        mapped = false;
        directory = copy;
    }
    // Removes a deleted file's entry, freeing the sectors of its run.
    void remove(std::int32_t index);
    // Lists an added file in the next slot, its bytes in the first free
    // run long enough.
    void add(std::int32_t index);
    // The writes of the directory copy, as a change of its own.
    void planDirectory(std::int32_t disk, std::int32_t offset);

    // Decides change `index` where it lies when its run holds it: in its
    // run, or with `shrink` in the sectors it needs, giving the rest back;
    // refused when it cannot go back at all. Leaves it Pending when it is
    // longer than its run.
    void placeInRun(std::int32_t index, bool shrink);
    // Grows a pending change into the free sectors after its run; false
    // when only a move can place it.
    bool growInPlace(std::int32_t index);
    void move(std::int32_t index);

private:
    // The map of the disk's sectors, made when a file first needs room: a
    // file put back in place needs none (the checks of the writes find a
    // run shared with another entry).
    void needMap() {
        if (!mapped) {
            mapSelectedDisk(image, sectorMap);
            mapped = true;
        }
    }
    bool crossLinked(Change& change);
    void placeTitle(std::int32_t index);
    // Where the reader's run of the change ends, which the entry's end
    // sector need not name: a run that starts above sector 5 counts upward
    // on its track, as far as the size rule says.
    static void findRunEnd(Change& change, std::int32_t runSectors);
    // Grows the change into the `needed` sectors from its run's start when
    // those after the run are free; false when they are not.
    bool grow(std::int32_t index, std::int32_t needed);
    void planRun(std::int32_t index, DataSector start, std::int32_t sectors);
    void planTitle(std::int32_t index);
    // Adds piece `piece` of change `index`, `size` bytes at `location`;
    // false, having refused the change, when it cannot.
    bool planSector(std::int32_t index, const SectorLocation& location, std::int32_t size, std::int32_t piece);
    void planEntryPlace(std::int32_t index);
    // The first free run of `needed` sectors as `change`'s start and end,
    // not yet taken; false, having refused the change, when there is none.
    bool findRoom(Change& change, std::int32_t needed);
    // Takes the `count` sectors of the run from `start` on the map.
    void takeRun(DataSector start, std::int32_t count);
    void noRoom(Change& change);
    // Keeps the first `kept` sectors of the change's run and frees the rest.
    void giveBack(Change& change, std::int32_t kept);

    D88Image& image;
    PutPlan& plan;
    // Which sectors the disk's entries hold and which are free.
    SectorMap& sectorMap;
    bool mapped = false;
    DirectoryCopy* directory = nullptr;
};

void Placer::remove(std::int32_t index) {
    Change& change = plan.change(index);
    needMap();
    DataSector at = entryStart(change.entry);
    for (std::int32_t i = 0; i < change.runSize / DATA_SECTOR_SIZE; ++i, at = nextDataSector(at)) {
        sectorMap.release(at, change.place.entry);
    }
    directory->remove(change.place.entry);
    change.result = PutResult::Deleted;
}

void Placer::add(std::int32_t index) {
    Change& change = plan.change(index);
    if (change.length == 0) {
        change.refuse(Refusal::EmptyFile);
        return;
    }
    const std::int32_t needed = sectorsOnDisk(change.length);
    needMap();
    if (!findRoom(change, needed)) {
        return;
    }
    if (!directory->append(change.name, change.start, change.end)) {
        change.refuse(Refusal::DirectoryFull);
        return;
    }
    takeRun(change.start, needed);
    change.result = PutResult::Added;
    change.sectors = needed;
    planRun(index, change.start, needed);
}

void Placer::planDirectory(std::int32_t disk, std::int32_t offset) {
    Change* change = plan.addChange();
    if (change == nullptr) {
        return;  // cannot happen: deletes were changes before
    }
    change->action = ChangeAction::Directory;
    change->place = WritePlace{disk, SYSTEM_AREA};
    change->diskOffset = offset;
    change->length = DIRECTORY_SIZE;
    change->result = PutResult::InPlace;
    const std::int32_t index = plan.changeCount() - 1;
    for (std::int32_t piece = 0; piece < DIRECTORY_SECTOR_COUNT; ++piece) {
        const SectorLocation location =
            image.locateSector(DIRECTORY_TRACK, cylinderOf(DIRECTORY_TRACK), headOf(DIRECTORY_TRACK),
                               DIRECTORY_FIRST_SECTOR + piece, DATA_SIZE_CODE);
        if (!planSector(index, location, DATA_SECTOR_SIZE, piece)) {
            return;
        }
    }
}

bool Placer::crossLinked(Change& change) {
    const std::int32_t self = change.place.entry;
    DataSector at = entryStart(change.entry);
    for (std::int32_t i = 0; i < change.runSize / DATA_SECTOR_SIZE; ++i, at = nextDataSector(at)) {
        std::int32_t other = sectorMap.firstHolder(at);
        if (other == self) {
            other = sectorMap.secondHolder(at);
        }
        if (other != NO_ENTRY) {
            change.refuse(Refusal::CrossLinked, change.place.disk, other);
            return true;
        }
    }
    return false;
}

bool Placer::findRoom(Change& change, std::int32_t needed) {
    const SectorMap::FreeRun room = needed > 0 ? sectorMap.firstFreeRun(needed) : SectorMap::FreeRun{};
    if (room.length == 0) {
        noRoom(change);
        return false;
    }
    change.start = room.start;
    change.end = room.start;
    for (std::int32_t i = 1; i < needed; ++i) {
        change.end = nextDataSector(change.end);
    }
    return true;
}

void Placer::takeRun(DataSector start, std::int32_t count) {
    DataSector at = start;
    for (std::int32_t i = 0; i < count; ++i, at = nextDataSector(at)) {
        sectorMap.take(at);
    }
}

void Placer::noRoom(Change& change) {
    change.refuseNoFreeRun(sectorsFor(change.length));
}

void Placer::placeInRun(std::int32_t index, bool shrink) {
    Change& change = plan.change(index);
    if (change.result == PutResult::Refused) {
        return;
    }
    // Bytes d88extract could not read in full would not come back alike.
    if (change.outcome != FileOutcome::Written) {
        change.refuse(Refusal::Damaged);
        return;
    }
    if (change.isTitle()) {
        placeTitle(index);
        return;
    }
    const std::int32_t runSectors = change.runSize / DATA_SECTOR_SIZE;
    const std::int32_t needed = sectorsOnDisk(change.length);
    findRunEnd(change, runSectors);
    if (needed < 0 || needed > runSectors) {
        return;
    }
    // An entry holds at least one sector, an empty file's too.
    const std::int32_t kept = shrink && needed < runSectors ? (needed > 0 ? needed : 1) : runSectors;
    if (kept < runSectors) {
        giveBack(change, kept);
        change.result = PutResult::Shrunk;
        planEntryPlace(index);
    } else {
        change.result = PutResult::InPlace;
    }
    change.sectors = kept;
    planRun(index, change.start, kept);
}

void Placer::giveBack(Change& change, std::int32_t kept) {
    needMap();
    DataSector at = change.start;
    for (std::int32_t i = 1; i < kept; ++i) {
        at = nextDataSector(at);
    }
    change.end = at;
    for (std::int32_t i = kept; i < change.runSize / DATA_SECTOR_SIZE; ++i) {
        at = nextDataSector(at);
        sectorMap.release(at, change.place.entry);
    }
}

bool Placer::growInPlace(std::int32_t index) {
    Change& change = plan.change(index);
    // A run that moves is not written: only the map tells it is shared.
    needMap();
    return crossLinked(change) || grow(index, sectorsOnDisk(change.length));
}

void Placer::placeTitle(std::int32_t index) {
    Change& change = plan.change(index);
    if (change.length > TITLE_SIZE) {
        change.refuse(Refusal::TooLong);
        return;
    }
    change.result = PutResult::InPlace;
    change.sectors = TITLE_SECTOR_COUNT;
    planTitle(index);
}

void Placer::findRunEnd(Change& change, std::int32_t runSectors) {
    change.start = entryStart(change.entry);
    change.end = change.start;
    for (std::int32_t i = 1; i < runSectors; ++i) {
        change.end = nextDataSector(change.end);
    }
}

bool Placer::grow(std::int32_t index, std::int32_t needed) {
    Change& change = plan.change(index);
    const std::int32_t runSectors = change.runSize / DATA_SECTOR_SIZE;
    // The sectors after the run, stepping as runs step.
    DataSector end = change.end;
    bool free = needed > 0;
    for (std::int32_t more = needed - runSectors; free && more > 0; --more) {
        end = nextDataSector(end);
        free = sectorMap.isFree(end);
    }
    if (!free) {
        return false;
    }
    for (DataSector at = change.end; at.track != end.track || at.sector != end.sector;) {
        at = nextDataSector(at);
        sectorMap.take(at);
    }
    change.result = PutResult::Grown;
    change.end = end;
    change.sectors = needed;
    planRun(index, change.start, needed);
    planEntryPlace(index);
    return true;
}

void Placer::move(std::int32_t index) {
    Change& change = plan.change(index);
    const std::int32_t needed = sectorsOnDisk(change.length);
    if (!findRoom(change, needed)) {
        return;
    }
    takeRun(change.start, needed);
    change.result = PutResult::Moved;
    change.sectors = needed;
    planRun(index, change.start, needed);
    planEntryPlace(index);
}

void Placer::planRun(std::int32_t index, DataSector start, std::int32_t sectors) {
    DataSector at = start;
    for (std::int32_t piece = 0; piece < sectors; ++piece, at = nextDataSector(at)) {
        const SectorLocation location =
            image.locateSector(at.track, cylinderOf(at.track), headOf(at.track), at.sector, DATA_SIZE_CODE);
        if (!planSector(index, location, DATA_SECTOR_SIZE, piece)) {
            return;
        }
    }
}

void Placer::planTitle(std::int32_t index) {
    for (std::int32_t piece = 0; piece < TITLE_SECTOR_COUNT; ++piece) {
        const SectorLocation location = image.locateSector(BOOT_TRACK, cylinderOf(BOOT_TRACK), headOf(BOOT_TRACK),
                                                           TITLE_FIRST_SECTOR + piece, BOOT_SIZE_CODE);
        if (!planSector(index, location, BOOT_SECTOR_SIZE, piece)) {
            return;
        }
    }
}

bool Placer::planSector(std::int32_t index, const SectorLocation& location, std::int32_t size,
                         std::int32_t piece) {
    // The run was read in full and the sectors added are free, so each is
    // there whole; a sector that is not would take bytes it lacks.
    if (!location.found() || location.available < size) {
        plan.change(index).refuse(Refusal::Damaged);
        return false;
    }
    if (!plan.addWrite(location.dataOffset, index, piece)) {
        plan.change(index).refuse(Refusal::TooManyWrites);
        return false;
    }
    return true;
}

void Placer::planEntryPlace(std::int32_t index) {
    // The directory written whole holds the new place.
    if (directory != nullptr) {
        const Change& change = plan.change(index);
        directory->storePlace(change.place.entry, change.start, change.end);
        return;
    }
    // The entry's record lies in one of the directory's sectors.
    const std::int32_t at = plan.change(index).place.entry * DIR_ENTRY_SIZE;
    const SectorLocation location =
        image.locateSector(DIRECTORY_TRACK, cylinderOf(DIRECTORY_TRACK), headOf(DIRECTORY_TRACK),
                           DIRECTORY_FIRST_SECTOR + at / DATA_SECTOR_SIZE, DATA_SIZE_CODE);
    if (!location.found() || location.available < DATA_SECTOR_SIZE) {
        plan.change(index).refuse(Refusal::Damaged);
        return;
    }
    if (!plan.addWrite(location.dataOffset + at % DATA_SECTOR_SIZE + DIR_PLACE_OFFSET, index,
                       ENTRY_PLACE_PIECE)) {
        plan.change(index).refuse(Refusal::TooManyWrites);
    }
}

}  // namespace

// The directory copy of the disk at `offset` when a change of it deletes
// an entry, else null; the deletes are refused when it cannot be read.
DirectoryCopy* copyDirectory(D88Image& image, PutPlan& plan, DirectoryCopies& copies, std::int32_t first,
                             std::int32_t offset) {
    bool deletes = false;
    for (std::int32_t i = first; i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        deletes = deletes || (change.diskOffset == offset && change.action != ChangeAction::Put);
    }
    if (!deletes) {
        return nullptr;
    }
    DirectoryCopy* copy = copies.add();
    if (copy != nullptr && copy->read(image, offset)) {
        return copy;
    }
    for (std::int32_t i = first; i < plan.changeCount(); ++i) {
        Change& change = plan.change(i);
        if (change.diskOffset == offset && change.action != ChangeAction::Put) {
            change.refuse(Refusal::DirectoryDamaged);
        }
    }
    return nullptr;
}

void placeChanges(D88Image& image, PutPlan& plan, DirectoryCopies& copies, const PlacementChoices& choices) {
    copies.clear();
    // Large: static storage, not the stack.
    static SectorMap sectorMap;
    Placer placer(image, plan, sectorMap);
    // The disks done, by their first listing.
    bool done[MAX_DISKS] = {};
    for (std::int32_t first = 0; first < plan.changeCount(); ++first) {
        const std::int32_t listing = firstListing(image, plan.change(first).place.disk);
        if (done[listing]) {
            continue;
        }
        done[listing] = true;
        const std::int32_t offset = plan.change(first).diskOffset;
        const auto onDisk = [&plan, offset](std::int32_t i) { return plan.change(i).diskOffset == offset; };
        // One disk, whichever of its listings, in steps that each see the
        // room the steps before freed: the files that fit their runs
        // (shrunk ones giving sectors back), those that grow where they
        // are, then the ones that move; each step in directory order.
        (void)image.selectDisk(plan.change(first).place.disk);
        DirectoryCopy* copy = copyDirectory(image, plan, copies, first, offset);
        placer.enterDisk(copy);
        const auto deletes = [&plan](std::int32_t i) {
            return plan.change(i).action == ChangeAction::Delete && plan.change(i).result != PutResult::Refused;
        };
        for (std::int32_t i = first; copy != nullptr && i < plan.changeCount(); ++i) {
            if (onDisk(i) && deletes(i)) {
                placer.remove(i);
            }
        }
        // A wrong or empty folder must not empty a disk.
        if (copy != nullptr && !copy->holdsAnyEntry()) {
            for (std::int32_t i = first; i < plan.changeCount(); ++i) {
                if (onDisk(i) && plan.change(i).action == ChangeAction::Delete) {
                    plan.change(i).result = PutResult::Pending;
                    plan.change(i).refuse(Refusal::EmptiesDisk);
                }
            }
            // The refused deletes keep their entries and their sectors: the
            // steps after them must not take that room, or they would be
            // refused as cross-linked with files that stay.
            copy = copy->read(image, offset) ? copy : nullptr;
            placer.enterDisk(copy);
        }
        for (std::int32_t i = first; i < plan.changeCount(); ++i) {
            if (onDisk(i) && plan.change(i).action == ChangeAction::Put) {
                placer.placeInRun(i, choices.shrink);
            }
        }
        bool moves = false;
        for (std::int32_t i = first; i < plan.changeCount(); ++i) {
            const bool puts = onDisk(i) && plan.change(i).action == ChangeAction::Put;
            if (puts && plan.change(i).result == PutResult::Pending && !placer.growInPlace(i)) {
                if (choices.relocate) {
                    moves = true;
                } else {
                    plan.change(i).refuse(Refusal::NoRoomAfter);
                }
            }
        }
        for (std::int32_t i = first; moves && i < plan.changeCount(); ++i) {
            if (onDisk(i) && plan.change(i).action == ChangeAction::Put
                && plan.change(i).result == PutResult::Pending) {
                placer.move(i);
            }
        }
        // Adds last, in the order they came: by their names' bytes.
        for (std::int32_t i = first; copy != nullptr && i < plan.changeCount(); ++i) {
            if (onDisk(i) && plan.change(i).action == ChangeAction::Add
                && plan.change(i).result != PutResult::Refused) {
                placer.add(i);
            }
        }
        if (copy != nullptr) {
            placer.planDirectory(plan.change(first).place.disk, offset);
        }
    }
}
