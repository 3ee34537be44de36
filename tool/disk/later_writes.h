// Which file d88extract writes is written again later in the same run: the
// file written last wins. The whole image's plan is walked once to learn
// every write; then, for each file, the write that replaces it is found.
#ifndef TOOL_DISK_LATER_WRITES_H
#define TOOL_DISK_LATER_WRITES_H

#include <cstddef>
#include <cstdint>

#include "d88/d88_image.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_plan.h"
#include "tool/disk/output_place.h"
#include "tool/host/file_system.h"

// A file's place in the run: its disk, and its directory entry (from 0) or
// TITLE_ENTRY for the disk's TTLPRG, which comes before the entries.
struct WritePlace {
    std::int32_t disk = 0;
    std::int32_t entry = 0;
};

class LaterWrites {
public:
    // Filled as the disks are planned: start, then note each file of the
    // plan in the order of the run, then finish.
    void start(const OutputSettings& settings);
    void note(WritePlace place, const FilePlan& plan);
    void finish();

    // The first remembered write after `place` of the file `name` in the
    // same folder; false when nothing replaces it.
    bool find(const char* name, WritePlace place, WritePlace& later) const;

    // Whether any remembered write, before or after, is of the file `name`
    // in the folder of disk `disk`.
    bool any(const char* name, std::int32_t disk) const;

    // Whether a remembered write other than `place`'s, before or after,
    // is of the file `name` in the folder of `place`'s disk.
    bool anyOther(const char* name, WritePlace place) const;

    // As anyOther, passing over the writes for which `isSame(writePlace)`
    // holds: such as the same entry of a disk listed again at the same
    // place, which is one entry.
    template <typename IsSame>
    bool anyOther(const char* name, WritePlace place, IsSame isSame) const {
        const std::uint32_t hash = outputNameHash(name, utf8Names);
        for (std::int32_t rank = firstOf(hash); rank < count && writes[order[rank]].hash == hash; ++rank) {
            const Write& write = writes[order[rank]];
            const bool same = write.place.disk == place.disk && write.place.entry == place.entry;
            if (!same && !isSame(write.place) && (!diskFolders || write.place.disk == place.disk)
                && sameOutputName(name, write.name, utf8Names)) {
                return true;
            }
        }
        return false;
    }

private:
    struct Write {
        char name[DIR_NAME_SIZE + 1];
        WritePlace place;
        // Alike names hash alike: see outputNameHash.
        std::uint32_t hash;
    };
    // Where the writes of `hash` start in `order`.
    std::int32_t firstOf(std::uint32_t hash) const;
    // TTLPRG and every entry of every catalogued disk.
    static constexpr std::int32_t MAX_WRITES = MAX_DISKS * (1 + DIRECTORY_ENTRIES);

    Write writes[MAX_WRITES];
    std::int32_t count = 0;
    // The writes by hash, then in the order of the run.
    std::int32_t order[MAX_WRITES];
    // Each disk's files in a folder of their own: only writes of one disk
    // replace each other.
    bool diskFolders = false;
    // Names as --utf8 writes them.
    bool utf8Names = false;
};

// What the later writes may take: static storage, beside the image.
inline constexpr std::size_t LATER_WRITES_BUDGET = 256 * 1024;
static_assert(sizeof(LaterWrites) <= LATER_WRITES_BUDGET);

// Plans every disk of the open image for a caller that plans none itself,
// its files going to `output`, and remembers in `laterWrites` each file the
// plan writes.
void rememberEveryWrite(D88Image& image, OutputPlace output, LaterWrites& laterWrites);

#endif
