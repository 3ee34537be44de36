// A disk's directory as a run leaves it, when entries leave it: a whole new
// copy of its sectors, written as pieces of their own rather than entry by
// entry, as removing an entry moves every entry after it.
#ifndef TOOL_D88PUT_DIRECTORY_COPY_H
#define TOOL_D88PUT_DIRECTORY_COPY_H

#include <cstddef>
#include <cstdint>

#include "d88/d88_image.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_layout.h"

struct DirectoryCopy {
    // Where its disk starts in the image: listings at one place share it.
    std::int32_t diskOffset = 0;
    std::uint8_t bytes[DIRECTORY_SIZE];
    // One bit per listed entry (by its index in the image): removed.
    std::uint8_t removed[DIRECTORY_ENTRIES / 8];

    // Reads the selected disk's directory; false when it cannot be read in
    // full. Uses the reader's sector range as the plan does.
    bool read(D88Image& image, std::int32_t offset);
    // Removes listed entry `entry`: the entries after it move up one slot,
    // and the last slot becomes 16 bytes of 0xFF.
    void remove(std::int32_t entry);
    // Stores the place bytes of listed entry `entry`, wherever it stands now.
    void storePlace(std::int32_t entry, DataSector start, DataSector end);
    // Whether any listed entry with a name is left.
    bool holdsAnyEntry() const;
    // Lists a new entry `name` at `start` to `end` where the listing ends,
    // bytes 6 to 11 zero, and ends the listing after it; false when all 128
    // slots are listed.
    bool append(const char* name, DataSector start, DataSector end);

private:
    bool isRemoved(std::int32_t entry) const { return ((removed[entry / 8] >> (entry % 8)) & 1u) != 0; }
};

class DirectoryCopies {
public:
    void clear() { count = 0; }
    // The copy of the disk at `offset`, or -1.
    std::int32_t find(std::int32_t offset) const;
    // A new copy, or null when every disk has one.
    DirectoryCopy* add() { return count < MAX_DISKS ? &list[count++] : nullptr; }
    DirectoryCopy& at(std::int32_t index) { return list[index]; }
    const DirectoryCopy& at(std::int32_t index) const { return list[index]; }

private:
    DirectoryCopy list[MAX_DISKS];
    std::int32_t count = 0;
};

// What the copies take: static storage, beside the plan.
inline constexpr std::size_t DIRECTORY_COPIES_BUDGET = 160 * 1024;
static_assert(sizeof(DirectoryCopies) <= DIRECTORY_COPIES_BUDGET);

#endif
