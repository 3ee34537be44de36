#include "d88/d88_image.h"

#include <cstdint>
#include <cstring>

#include "d88/file_io.h"

D88Image::~D88Image() { close(); }

bool D88Image::open(const char* path) {
    if (path == nullptr) {
        return close();
    }
    close();
    file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    // 64-bit so that adding a hostile disk size can neither overflow nor wrap.
    std::int64_t offset = 0;
    std::uint8_t header[DISK_HEADER_SIZE];
    while (diskCount < MAX_DISKS) {
        diskOffsets[diskCount] = static_cast<std::int32_t>(offset);
        if (!seekFromStart(file, offset)) {
            // Only a stream that cannot seek at all fails at offset 0.
            if (offset == 0) {
                close();
                return false;
            }
            break;
        }
        if (readBytes(file, header, DISK_HEADER_SIZE) < DISK_HEADER_SIZE) {
            // The end of the file ends the catalogue; a read error (such as
            // reading a directory) means the path is not a readable file.
            if (std::ferror(file) != 0) {
                close();
                return false;
            }
            break;
        }
        offset += readLE32(header + DISK_SIZE_OFFSET);
        ++diskCount;
        if (offset < 0 || offset > INT32_MAX) {
            break;
        }
    }
    return true;
}

bool D88Image::close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    diskCount = 0;
    forgetSelection();
    // A later open must not read through this disk's track table.
    std::memset(trackOffsets, 0, sizeof trackOffsets);
    return true;
}

void D88Image::forgetSelection() {
    diskOffset = -1;
    mediaType = -1;
    diskSize = 0;
    diskName[0] = '\0';
}

bool D88Image::selectDisk(std::int32_t index) {
    if (file == nullptr) {
        return false;
    }
    forgetSelection();
    if (index < 0 || index >= diskCount) {
        return false;
    }
    std::uint8_t header[DISK_HEADER_SIZE];
    if (!seekFromStart(file, diskOffsets[index])
        || readBytes(file, header, DISK_HEADER_SIZE) < DISK_HEADER_SIZE) {
        return false;
    }
    diskOffset = diskOffsets[index];
    for (int k = 0; k < TRACK_COUNT; ++k) {
        trackOffsets[k] = readLE32(header + TRACK_TABLE_OFFSET + TRACK_ENTRY_SIZE * k);
    }
    mediaType = header[MEDIA_TYPE_OFFSET];
    diskSize = readLE32(header + DISK_SIZE_OFFSET);
    // The name ends at its first 0 byte; byte 16 always stays 0.
    std::memset(diskName, 0, sizeof diskName);
    for (int k = 0; k < DISK_NAME_SIZE && header[DISK_NAME_OFFSET + k] != 0; ++k) {
        diskName[k] = static_cast<char>(header[DISK_NAME_OFFSET + k]);
    }
    return true;
}

void D88Image::setSectorRange(std::int32_t first, std::int32_t last) {
    firstSector = first;
    lastSector = last;
}

bool D88Image::seekTrack(std::int32_t track) {
    if (file == nullptr || track < 0 || track >= TRACK_COUNT) {
        return false;
    }
    // 0 marks an absent track; an offset outside the disk cannot be one.
    const std::int32_t trackOffset = trackOffsets[track];
    if (trackOffset <= 0 || trackOffset > diskSize) {
        return false;
    }
    return seekFromStart(file, static_cast<std::int64_t>(diskOffset) + trackOffset);
}

std::int32_t D88Image::readSector(std::int32_t track, std::int32_t c, std::int32_t h,
                                  std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                  std::int32_t maxLen) {
    if (!seekTrack(track)) {
        return 0;
    }
    std::uint8_t header[SECTOR_HEADER_SIZE];
    for (std::int32_t i = 0;; ++i) {
        if (readBytes(file, header, SECTOR_HEADER_SIZE) < SECTOR_HEADER_SIZE) {
            return 0;
        }
        // Each record carries its own count; the one just read decides.
        const std::int32_t sectorCount = static_cast<std::int32_t>(readLE16(header + SECTOR_COUNT_OFFSET));
        const std::int32_t dataSize = static_cast<std::int32_t>(readLE16(header + SECTOR_DATA_SIZE_OFFSET));
        if (sectorCount == 0) {
            return 0;
        }
        if (header[SECTOR_C_OFFSET] == c && header[SECTOR_H_OFFSET] == h
            && header[SECTOR_R_OFFSET] == r && header[SECTOR_N_OFFSET] == n) {
            return readBytes(file, dest, dataSize < maxLen ? dataSize : maxLen);
        }
        if (!skipForward(file, dataSize) || i == sectorCount - 1) {
            return 0;
        }
    }
}

std::int32_t D88Image::readSectors(std::int32_t track, std::int32_t c, std::int32_t h,
                                   std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                   std::int32_t length) {
    if (n < 0 || n > MAX_SIZE_CODE) {
        return 0;
    }
    std::int32_t unit = std::int32_t{128} << n;
    std::int32_t done = 0;
    while (done < length) {
        if (unit > length - done) {
            unit = length - done;
        }
        if (readSector(track, c, h, r, n, dest + done, unit) < unit) {
            return done;
        }
        done += unit;
        // A piece was found, so c, h and r are bytes and cannot overflow here.
        if (r == lastSector) {
            track += 1;
            if (h == 0) {
                h = 1;
            } else {
                h = 0;
                c += 1;
            }
            r = firstSector;
        } else {
            r += 1;
        }
    }
    return done;
}

std::int32_t D88Image::readTrackIds(std::int32_t track, std::uint8_t* out, std::int32_t outLen) {
    if (!seekTrack(track)) {
        return 0;
    }
    std::int32_t stored = 0;
    std::uint8_t header[SECTOR_HEADER_SIZE];
    for (std::int32_t i = 0; i < outLen / 4; ++i) {
        if (readBytes(file, header, SECTOR_HEADER_SIZE) < SECTOR_HEADER_SIZE) {
            break;
        }
        std::memcpy(out + stored, header + SECTOR_C_OFFSET, 4);
        stored += 4;
        const std::int32_t sectorCount = static_cast<std::int32_t>(readLE16(header + SECTOR_COUNT_OFFSET));
        // A count of 0 never matches i, so such a track is listed until out is full.
        if (!skipForward(file, readLE16(header + SECTOR_DATA_SIZE_OFFSET)) || i == sectorCount - 1) {
            break;
        }
    }
    return stored;
}
