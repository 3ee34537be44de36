#include "d88/d88_image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "d88/file_io.h"
#include "d88/header_sweep.h"

D88Image::~D88Image() { close(); }

bool D88Image::open(const char* path) {
    if (path == nullptr) {
        return close();
    }
    close();
    return openStream(std::fopen(path, "rb"));
}

bool D88Image::openStream(std::FILE* stream) {
    close();
    file = stream;
    if (file == nullptr) {
        return false;
    }
    // Every read goes through the reader's own block; a second one inside
    // stdio would only copy the bytes twice.
    std::setvbuf(file, nullptr, _IONBF, 0);
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
            // stdio stops short only at the end or on an error.
            if (std::ferror(file) != 0 || std::feof(file) == 0) {
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
    // The disks past MAX_DISKS are not read, but a user is owed a word that
    // they are there: a whole header at a start not catalogued yet. A start
    // met before is the catalogue going round (a disk size of 0, or one that
    // leads back), not a further disk.
    if (diskCount == MAX_DISKS && offset >= 0 && offset <= INT32_MAX
        && std::find(diskOffsets, diskOffsets + diskCount, static_cast<std::int32_t>(offset))
               == diskOffsets + diskCount) {
        unreadStart = offset;
        moreDisks = seekFromStart(file, offset) && readBytes(file, header, DISK_HEADER_SIZE) == DISK_HEADER_SIZE;
    }
    fileLength = ::fileLength(file);
    // The catalogue moved the file behind the buffer's back.
    buffer.bind(file);
    return true;
}

bool D88Image::close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    fileLength = -1;
    diskCount = 0;
    moreDisks = false;
    unreadStart = -1;
    forgetSelection();
    buffer.bind(nullptr);
    index.forget();
    memo.forget();
    headers.forget();
    // A later open must not read through this disk's track table.
    std::memset(trackOffsets, 0, sizeof trackOffsets);
    return true;
}

void D88Image::forgetSelection() {
    // A selection reads the disk's header afresh. What is known of its
    // tracks is kept: it depends only on where they start in the file.
    buffer.forget();
    // Misses count towards a sweep of one disk's tracks.
    headers.resetMisses();
    swept = false;
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
    if (buffer.read(diskOffsets[index], header, DISK_HEADER_SIZE) < DISK_HEADER_SIZE) {
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

std::int64_t D88Image::trackStart(std::int32_t track) const {
    if (file == nullptr || track < 0 || track >= TRACK_COUNT) {
        return -1;
    }
    // 0 marks an absent track; an offset outside the disk cannot be one.
    const std::int32_t trackOffset = trackOffsets[track];
    if (trackOffset <= 0 || trackOffset > diskSize) {
        return -1;
    }
    // Up to 4 GiB - 2: both parts can reach INT32_MAX.
    return static_cast<std::int64_t>(diskOffset) + trackOffset;
}

bool D88Image::indexTrack(std::int32_t track) {
    const std::int64_t start = trackStart(track);
    if (start < 0) {
        return false;
    }
    // Tracks of one disk may share their records (several table entries
    // pointing at one offset): one walk serves them all.
    if (!index.holds(start)) {
        index.build(buffer, start, &headers);
        if (!swept && headers.misses() > SWEEP_AFTER_MISSES) {
            sweepTracks();
        }
    }
    return true;
}

void D88Image::sweepTracks() {
    swept = true;
    std::int64_t starts[TRACK_COUNT];
    std::int32_t count = 0;
    for (std::int32_t track = 0; track < TRACK_COUNT; ++track) {
        const std::int64_t start = trackStart(track);
        bool known = start < 0;
        for (std::int32_t k = 0; k < count && !known; ++k) {
            known = starts[k] == start;
        }
        if (!known) {
            starts[count++] = start;
        }
    }
    sweepHeaders(buffer, starts, count, headers);
}

SectorPlace D88Image::findSector(std::int32_t track, SectorIdentity id) {
    SectorPlace place;
    const std::int64_t start = trackStart(track);
    if (start < 0 || memo.recall(track, start, id, place)) {
        return place;
    }
    // Indexing a track again for another R of the same family means lookups
    // take turns between tracks: answering every R now walks it no more.
    const bool again = !index.holds(start) && memo.holdsFamily(track, start, id);
    indexTrack(track);
    if (again) {
        memo.rememberEveryR(track, start, id, index);
        memo.recall(track, start, id, place);
        return place;
    }
    const std::int32_t record = index.find(id);
    if (record >= 0) {
        place.dataOffset = index.dataOffset(record);
        place.dataSize = index.dataSize(record);
    }
    memo.remember(track, start, id, place);
    return place;
}

SectorLocation D88Image::locateSector(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                                     std::int32_t n) {
    lastSectorFound = false;
    SectorLocation location;
    if (trackStart(track) < 0) {
        return location;
    }
    // Header bytes hold 0 to 255: any other value matches no record.
    if ((c | h | r | n) < 0 || (c | h | r | n) > SECTOR_ID_MAX) {
        return location;
    }
    const SectorIdentity id = static_cast<SectorIdentity>(c) | (static_cast<SectorIdentity>(h) << 8)
                              | (static_cast<SectorIdentity>(r) << 16) | (static_cast<SectorIdentity>(n) << 24);
    const SectorPlace place = findSector(track, id);
    if (place.dataSize < 0) {
        return location;
    }
    lastSectorFound = true;
    location.dataOffset = place.dataOffset;
    location.dataSize = place.dataSize;
    location.available = place.dataSize;
    // A file that cannot tell its length is taken to hold what it claims.
    if (fileLength >= 0 && fileLength - place.dataOffset < place.dataSize) {
        location.available = static_cast<std::int32_t>(
            place.dataOffset < fileLength ? fileLength - place.dataOffset : 0);
    }
    return location;
}

std::int32_t D88Image::readSector(std::int32_t track, std::int32_t c, std::int32_t h,
                                  std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                  std::int32_t maxLen) {
    const SectorLocation location = locateSector(track, c, h, r, n);
    if (!location.found()) {
        return 0;
    }
    return buffer.read(location.dataOffset, dest, location.dataSize < maxLen ? location.dataSize : maxLen);
}

std::int32_t D88Image::readSectors(std::int32_t track, std::int32_t c, std::int32_t h,
                                   std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                   std::int32_t length) {
    return runSectors(track, c, h, r, n, dest, length);
}

std::int32_t D88Image::locateSectors(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                                     std::int32_t n, std::int32_t length) {
    return runSectors(track, c, h, r, n, nullptr, length);
}

std::int32_t D88Image::runSectors(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                                  std::int32_t n, std::uint8_t* dest, std::int32_t length) {
    lastRunLength = 0;
    lastRunStop = RunStop{track, c, h, r, n, false};
    if (n < 0 || n > MAX_SIZE_CODE) {
        return 0;
    }
    std::int32_t unit = std::int32_t{128} << n;
    std::int32_t done = 0;
    while (done < length) {
        if (unit > length - done) {
            unit = length - done;
        }
        std::int32_t piece = 0;
        if (dest != nullptr) {
            piece = readSector(track, c, h, r, n, dest + done, unit);
        } else {
            const SectorLocation location = locateSector(track, c, h, r, n);
            piece = location.available < unit ? location.available : unit;
        }
        lastRunLength = done + piece;
        if (piece < unit) {
            lastRunStop = RunStop{track, c, h, r, n, lastSectorFound};
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
    lastRunStop = RunStop{};
    return done;
}

std::int32_t D88Image::readTrackIds(std::int32_t track, std::uint8_t* out, std::int32_t outLen) {
    if (!indexTrack(track)) {
        return 0;
    }
    const std::int32_t wanted = outLen / TRACK_ID_SIZE;
    const std::int32_t records = wanted < index.recordCount() ? wanted : index.recordCount();
    for (std::int32_t i = 0; i < records; ++i) {
        const SectorIdentity id = index.identity(i);
        for (int k = 0; k < TRACK_ID_SIZE; ++k) {
            out[TRACK_ID_SIZE * i + k] = static_cast<std::uint8_t>(id >> (8 * k));
        }
    }
    return records > 0 ? TRACK_ID_SIZE * records : 0;
}

bool D88Image::startRecordWalk(std::int32_t track, RecordWalk& walk) const {
    walk = RecordWalk{};
    walk.start = trackStart(track);
    walk.walk.position = walk.start;
    return walk.start >= 0;
}

bool D88Image::nextRecordHeader(RecordWalk& walk, std::int64_t& offset) {
    if (walk.start < 0 || walk.walk.ended) {
        return false;
    }
    // As the index's walk: a header that cannot be read whole ends it.
    const std::uint8_t* header = buffer.view(walk.walk.position, SECTOR_HEADER_SIZE, walk.start);
    if (header == nullptr) {
        walk.walk.ended = true;
        return false;
    }
    offset = walk.walk.position;
    passRecord(walk.walk, decodeHeader(header));
    return true;
}

std::int32_t D88Image::readFileBytes(std::int64_t offset, std::uint8_t* dest, std::int32_t count) {
    return file != nullptr && offset >= 0 ? buffer.read(offset, dest, count) : 0;
}
