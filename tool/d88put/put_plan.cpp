#include "tool/d88put/put_plan.h"

#include <algorithm>

void Change::refuse(Refusal why, std::int32_t disk, std::int32_t entry) {
    if (result != PutResult::Refused) {
        result = PutResult::Refused;
        refusal = why;
        refusalDisk = disk;
        refusalEntry = entry;
    }
}

void Change::refuseNoFreeRun(std::int64_t sectors) {
    if (result != PutResult::Refused) {
        refuse(Refusal::NoFreeRun);
        refusalSectors = sectors;
    }
}

Change* PutPlan::addChange() { return changes < MAX_CHANGES ? &(changeList[changes++] = Change{}) : nullptr; }

bool PutPlan::addWrite(std::int64_t offset, std::int32_t change, std::int32_t piece) {
    if (writes == MAX_WRITES) {
        return false;
    }
    writeList[writes++] = SectorWrite{offset, change, piece};
    return true;
}

std::int32_t PutPlan::writeSize(std::int32_t index) const {
    const SectorWrite& write = writeList[index];
    return write.piece == ENTRY_PLACE_PIECE ? DIR_PLACE_SIZE : changeList[write.change].pieceSize();
}

void PutPlan::sortWrites() {
    sorted = 0;
    for (std::int32_t i = 0; i < writes; ++i) {
        if (changeList[writeList[i].change].result != PutResult::Refused) {
            order[sorted++] = i;
        }
    }
    std::sort(order, order + sorted,
              [this](std::int32_t a, std::int32_t b) { return writeList[a].offset < writeList[b].offset; });
}

std::int32_t PutPlan::firstSortedFrom(std::int64_t offset) const {
    const std::int64_t from = offset - DATA_SECTOR_SIZE;
    const std::int32_t* rank = std::lower_bound(
        order, order + sorted, from, [this](std::int32_t index, std::int64_t value) {
            return writeList[index].offset < value;
        });
    return static_cast<std::int32_t>(rank - order);
}

bool PutPlan::anyRefused() const {
    for (std::int32_t i = 0; i < changes; ++i) {
        if (changeList[i].result == PutResult::Refused) {
            return true;
        }
    }
    return false;
}
