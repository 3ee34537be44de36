#include "tool/disk/sector_map.h"

namespace {

// The plan's steps that map a disk: each listed entry's run is followed.
class MapSteps final : public DiskPlanSteps {
public:
    explicit MapSteps(SectorMap& map) : map(map) {}
    void boot(const BootPlan&) override {}
    void title(const FilePlan&) override {}
    void directory(std::int32_t) override {}
    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& plan) override {
        map.note(index, entry, plan);
    }

private:
    SectorMap& map;
};

SectorLocation locateDataSector(D88Image& image, DataSector at) {
    return image.locateSector(at.track, cylinderOf(at.track), headOf(at.track), at.sector, DATA_SIZE_CODE);
}

}  // namespace

bool SectorMap::onMap(DataSector at) {
    return at.track >= 0 && at.track < TRACK_COUNT && at.sector >= 0 && at.sector < SECTOR_NUMBERS;
}

bool SectorMap::isFileSector(DataSector at) {
    return at.track >= FIRST_FILE_TRACK && at.track < TRACK_COUNT && at.sector >= DATA_FIRST_SECTOR
           && at.sector <= DATA_LAST_SECTOR;
}

std::int32_t SectorMap::fileSectorIndex(DataSector at) {
    return (at.track - FIRST_FILE_TRACK) * DATA_SECTORS_PER_TRACK + (at.sector - DATA_FIRST_SECTOR);
}

void SectorMap::start(D88Image& image) {
    for (auto& track : holders) {
        for (auto& pair : track) {
            pair[0] = NO_ENTRY;
            pair[1] = NO_ENTRY;
        }
    }
    for (auto& count : visits) {
        count = 0;
    }
    for (std::int32_t track = FIRST_FILE_TRACK; track < TRACK_COUNT; ++track) {
        for (std::int32_t sector = DATA_FIRST_SECTOR; sector <= DATA_LAST_SECTOR; ++sector) {
            const DataSector at{track, sector};
            const SectorLocation location = locateDataSector(image, at);
            inFull[fileSectorIndex(at)] = location.found() && location.available >= DATA_SECTOR_SIZE;
            taken[fileSectorIndex(at)] = false;
        }
    }
}

void SectorMap::note(std::int32_t index, const DirEntry& entry, const FilePlan& plan) {
    // The sectors the plan's run visited, one after another from the start.
    DataSector at = entryStart(entry);
    for (std::int32_t left = visitedSectors(plan, DATA_SECTOR_SIZE); left > 0 && onMap(at); --left) {
        hold(at, index);
        at = nextDataSector(at);
    }
}

void SectorMap::hold(DataSector at, std::int32_t entry) {
    std::int16_t* pair = holders[at.track][at.sector];
    const auto held = static_cast<std::int16_t>(entry);
    if (pair[0] == held || pair[1] == held) {
        return;
    }
    if (isFileSector(at) && visits[fileSectorIndex(at)] < UINT8_MAX) {
        ++visits[fileSectorIndex(at)];
    }
    if (pair[0] == NO_ENTRY) {
        pair[0] = held;
    } else if (pair[1] == NO_ENTRY) {
        pair[1] = held;
    }
}

void SectorMap::release(DataSector at, std::int32_t entry) {
    if (!onMap(at)) {
        return;
    }
    std::int16_t* pair = holders[at.track][at.sector];
    // An entry beyond the two named is not known to visit it: kept, to be
    // safe.
    if (pair[0] != entry && pair[1] != entry) {
        return;
    }
    // A count that reached its top no longer says when none is left.
    if (isFileSector(at) && visits[fileSectorIndex(at)] > 0 && visits[fileSectorIndex(at)] < UINT8_MAX) {
        --visits[fileSectorIndex(at)];
    }
    if (pair[1] == entry) {
        pair[1] = NO_ENTRY;
    } else {
        pair[0] = pair[1];
        pair[1] = NO_ENTRY;
    }
}

std::int32_t SectorMap::firstHolder(DataSector at) const {
    return onMap(at) ? holders[at.track][at.sector][0] : NO_ENTRY;
}

std::int32_t SectorMap::secondHolder(DataSector at) const {
    return onMap(at) ? holders[at.track][at.sector][1] : NO_ENTRY;
}

bool SectorMap::isFree(DataSector at) const {
    return isFileSector(at) && inFull[fileSectorIndex(at)] && !taken[fileSectorIndex(at)]
           && visits[fileSectorIndex(at)] == 0;
}

bool SectorMap::isFoundInFull(DataSector at) const { return isFileSector(at) && inFull[fileSectorIndex(at)]; }

void SectorMap::take(DataSector at) {
    if (isFileSector(at)) {
        taken[fileSectorIndex(at)] = true;
    }
}

std::int32_t SectorMap::freeCount() const {
    std::int32_t count = 0;
    for (DataSector at{FIRST_FILE_TRACK, DATA_FIRST_SECTOR}; at.track < TRACK_COUNT; at = nextDataSector(at)) {
        count += isFree(at) ? 1 : 0;
    }
    return count;
}

SectorMap::FreeRun SectorMap::longestFreeRun() const {
    FreeRun longest;
    visitFreeRuns([&longest](const FreeRun& run) {
        if (run.length > longest.length) {
            longest = run;
        }
        return false;
    });
    return longest;
}

SectorMap::FreeRun SectorMap::firstFreeRun(std::int32_t count) const {
    FreeRun first;
    visitFreeRuns([count, &first](const FreeRun& run) {
        if (run.length < count) {
            return false;
        }
        first = run;
        return true;
    });
    return first;
}

void mapSelectedDisk(D88Image& image, SectorMap& map) {
    map.start(image);
    MapSteps steps(map);
    // The directory's entries, whatever their names: the output place plays
    // no part in which sectors a run visits.
    planDisk(image, OutputPlace(), steps, PlanReads::Places);
}
