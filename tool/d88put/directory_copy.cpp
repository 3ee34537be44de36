#include "tool/d88put/directory_copy.h"

#include <cstring>

bool DirectoryCopy::read(D88Image& image, std::int32_t offset) {
    diskOffset = offset;
    std::memset(removed, 0, sizeof removed);
    image.setSectorRange(DATA_FIRST_SECTOR, DATA_LAST_SECTOR);
    return image.readSectors(DIRECTORY_TRACK, cylinderOf(DIRECTORY_TRACK), headOf(DIRECTORY_TRACK),
                             DIRECTORY_FIRST_SECTOR, DATA_SIZE_CODE, bytes, DIRECTORY_SIZE)
           == DIRECTORY_SIZE;
}

void DirectoryCopy::remove(std::int32_t entry) {
    // Its slot now: one up for each entry before it already removed.
    std::int32_t slot = entry;
    for (std::int32_t before = 0; before < entry; ++before) {
        slot -= isRemoved(before) ? 1 : 0;
    }
    std::memmove(bytes + slot * DIR_ENTRY_SIZE, bytes + (slot + 1) * DIR_ENTRY_SIZE,
                 static_cast<std::size_t>((DIRECTORY_ENTRIES - slot - 1) * DIR_ENTRY_SIZE));
    std::memset(bytes + (DIRECTORY_ENTRIES - 1) * DIR_ENTRY_SIZE, DIR_END_MARK, DIR_ENTRY_SIZE);
    removed[entry / 8] = static_cast<std::uint8_t>(removed[entry / 8] | (1u << (entry % 8)));
}

void DirectoryCopy::storePlace(std::int32_t entry, DataSector start, DataSector end) {
    std::int32_t slot = entry;
    for (std::int32_t before = 0; before < entry; ++before) {
        slot -= isRemoved(before) ? 1 : 0;
    }
    storeEntryPlace(bytes + slot * DIR_ENTRY_SIZE + DIR_PLACE_OFFSET, start, end);
}

bool DirectoryCopy::holdsAnyEntry() const {
    for (std::int32_t slot = 0; slot < DIRECTORY_ENTRIES; ++slot) {
        const std::uint8_t* entry = bytes + slot * DIR_ENTRY_SIZE;
        if (isDirectoryEnd(entry)) {
            return false;
        }
        if (entry[0] != 0) {
            return true;
        }
    }
    return false;
}

std::int32_t DirectoryCopies::find(std::int32_t offset) const {
    for (std::int32_t i = 0; i < count; ++i) {
        if (list[i].diskOffset == offset) {
            return i;
        }
    }
    return -1;
}

bool DirectoryCopy::append(const char* name, DataSector start, DataSector end) {
    std::int32_t slot = 0;
    while (slot < DIRECTORY_ENTRIES && !isDirectoryEnd(bytes + slot * DIR_ENTRY_SIZE)) {
        ++slot;
    }
    if (slot == DIRECTORY_ENTRIES) {
        return false;
    }
    std::uint8_t* entry = bytes + slot * DIR_ENTRY_SIZE;
    std::memset(entry, 0, DIR_ENTRY_SIZE);
    std::memcpy(entry, name, std::strlen(name));
    storeEntryPlace(entry + DIR_PLACE_OFFSET, start, end);
    if (slot + 1 < DIRECTORY_ENTRIES) {
        bytes[(slot + 1) * DIR_ENTRY_SIZE] = DIR_END_MARK;
    }
    return true;
}
