// Which data sectors of a disk the runs of its listed entries hold, and
// which are free for a file to grow into or move to.
//
// A free sector lies on a track from 2 on, is numbered 1 to 5, is found by
// the reader in full (1024 bytes of the track's cylinder and head, size code
// 3), is visited by no listed entry's run, and has not been taken by a file
// of this run. An entry whose name is refused or empty, or whose run breaks
// off, still holds every sector its run visits.
#ifndef TOOL_DISK_SECTOR_MAP_H
#define TOOL_DISK_SECTOR_MAP_H

#include <cstddef>
#include <cstdint>

#include "d88/d88_image.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_layout.h"
#include "tool/disk/disk_plan.h"

class SectorMap {
public:
    // Filled as the selected disk is planned: start with the disk selected,
    // then note each listed entry's step of its plan.
    void start(D88Image& image);
    void note(std::int32_t index, const DirEntry& entry, const FilePlan& plan);

    // The first and the second listed entry (by directory index) whose runs
    // visit `at`; NO_ENTRY when there are not so many.
    std::int32_t firstHolder(DataSector at) const;
    std::int32_t secondHolder(DataSector at) const;

    bool isFree(DataSector at) const;
    // Found by the reader in full, as a free sector must be; whether a run
    // visits it or not.
    bool isFoundInFull(DataSector at) const;
    void take(DataSector at);
    // Entry `entry`'s run no longer visits `at` (it shrank, or left the
    // disk): free again unless another listed entry's run visits it.
    void release(DataSector at, std::int32_t entry);

    std::int32_t freeCount() const;

    // A run of free sectors in the order runs step; length 0 for none.
    struct FreeRun {
        DataSector start;
        std::int32_t length = 0;
    };
    FreeRun longestFreeRun() const;
    // The first run of at least `count` free sectors, searched from track 2
    // sector 1.
    FreeRun firstFreeRun(std::int32_t count) const;

    // Hands `visit` each whole run of free sectors, in the order runs step,
    // until `visit` returns true (it has found what it looks for).
    template <typename Visit>
    void visitFreeRuns(Visit visit) const {
        FreeRun current;
        for (DataSector at{FIRST_FILE_TRACK, DATA_FIRST_SECTOR}; at.track < TRACK_COUNT;
             at = nextDataSector(at)) {
            if (isFree(at)) {
                if (current.length++ == 0) {
                    current.start = at;
                }
            } else if (current.length > 0) {
                if (visit(current)) {
                    return;
                }
                current.length = 0;
            }
        }
        if (current.length > 0) {
            (void)visit(current);
        }
    }

private:
    static bool onMap(DataSector at);
    static bool isFileSector(DataSector at);
    static std::int32_t fileSectorIndex(DataSector at);
    void hold(DataSector at, std::int32_t entry);

    static constexpr std::int32_t FILE_SECTORS = (TRACK_COUNT - FIRST_FILE_TRACK) * DATA_SECTORS_PER_TRACK;

    // Entry indexes and NO_ENTRY, in 16 bits to keep the map small.
    std::int16_t holders[TRACK_COUNT][SECTOR_NUMBERS][2];
    // How many listed entries' runs visit each sector (up to 255): only two
    // of them are named, but a sector is free once none is left.
    std::uint8_t visits[FILE_SECTORS];
    bool inFull[FILE_SECTORS];
    bool taken[FILE_SECTORS];
};

// What a sector map may take: static storage, beside the image.
inline constexpr std::size_t SECTOR_MAP_BUDGET = 192 * 1024;
static_assert(sizeof(SectorMap) <= SECTOR_MAP_BUDGET);

// Maps the selected disk for a caller that does not plan it: follows the
// run of every entry its directory lists. Uses the plan's buffers and
// changes the reader's sector range.
void mapSelectedDisk(D88Image& image, SectorMap& map);

#endif
