#include "tests/reference_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int64_t HEADER = 688;
constexpr std::int64_t RECORD_HEADER = 16;
constexpr std::int32_t RECORD_LIMIT = 65535;

}  // namespace

bool ReferenceReader::has(std::int64_t offset, std::int64_t count) const {
    return offset >= 0 && offset + count <= static_cast<std::int64_t>(bytes.size());
}

unsigned ReferenceReader::le16(std::int64_t offset) const {
    return bytes[offset] | (bytes[offset + 1] << 8);
}

std::int32_t ReferenceReader::le32(std::int64_t offset) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(le16(offset))
                                     | (static_cast<std::uint32_t>(le16(offset + 2)) << 16));
}

void ReferenceReader::open() {
    close();
    isOpen = true;
    std::int64_t offset = 0;
    while (diskCount < 64 && has(offset, HEADER)) {
        diskOffsets.push_back(offset);
        offset += le32(offset + 0x1C);
        ++diskCount;
        if (offset < 0 || offset > INT32_MAX) {
            break;
        }
    }
}

void ReferenceReader::close() {
    isOpen = false;
    diskCount = 0;
    diskOffsets.clear();
    forgetSelection();
    std::fill(std::begin(trackOffsets), std::end(trackOffsets), 0);
}

void ReferenceReader::forgetSelection() {
    diskOffset = -1;
    diskSize = 0;
    mediaType = -1;
    diskName.clear();
}

bool ReferenceReader::selectDisk(std::int32_t index) {
    if (!isOpen) {
        return false;
    }
    forgetSelection();
    if (index < 0 || index >= diskCount || !has(diskOffsets[index], HEADER)) {
        return false;
    }
    diskOffset = diskOffsets[index];
    for (int k = 0; k < 164; ++k) {
        trackOffsets[k] = le32(diskOffset + 0x20 + 4 * k);
    }
    mediaType = bytes[diskOffset + 0x1B];
    diskSize = le32(diskOffset + 0x1C);
    for (int k = 0; k < 16 && bytes[diskOffset + k] != 0; ++k) {
        diskName.push_back(static_cast<char>(bytes[diskOffset + k]));
    }
    return true;
}

std::int64_t ReferenceReader::trackStart(std::int32_t track) const {
    if (!isOpen || track < 0 || track >= 164 || trackOffsets[track] <= 0 || trackOffsets[track] > diskSize) {
        return -1;
    }
    return diskOffset + trackOffsets[track];
}

std::int32_t ReferenceReader::readSector(std::int32_t track, std::int32_t c, std::int32_t h,
                                         std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                         std::int32_t maxLen) const {
    std::int64_t position = trackStart(track);
    if (position < 0) {
        return 0;
    }
    for (std::int32_t i = 0; i < RECORD_LIMIT; ++i) {
        if (!has(position, RECORD_HEADER)) {
            return 0;
        }
        const std::int32_t count = static_cast<std::int32_t>(le16(position + 4));
        const std::int32_t size = static_cast<std::int32_t>(le16(position + 14));
        if (count == 0) {
            return 0;
        }
        if (bytes[position] == c && bytes[position + 1] == h && bytes[position + 2] == r
            && bytes[position + 3] == n) {
            const std::int64_t data = position + RECORD_HEADER;
            const std::int64_t available = static_cast<std::int64_t>(bytes.size()) - data;
            const std::int64_t copied = std::max<std::int64_t>(0, std::min<std::int64_t>({size, maxLen, available}));
            std::memcpy(dest, bytes.data() + data, static_cast<std::size_t>(copied));
            return static_cast<std::int32_t>(copied);
        }
        position += RECORD_HEADER + size;
        if (i == count - 1) {
            return 0;
        }
    }
    return 0;
}

std::int32_t ReferenceReader::readSectors(std::int32_t track, std::int32_t c, std::int32_t h,
                                          std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                          std::int32_t length) const {
    if (n < 0 || n > 23) {
        return 0;
    }
    std::int32_t unit = std::int32_t{128} << n;
    std::int32_t done = 0;
    while (done < length) {
        unit = std::min(unit, length - done);
        if (readSector(track, c, h, r, n, dest + done, unit) < unit) {
            return done;
        }
        done += unit;
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

std::int32_t ReferenceReader::readTrackIds(std::int32_t track, std::uint8_t* out, std::int32_t outLen) const {
    std::int64_t position = trackStart(track);
    if (position < 0) {
        return 0;
    }
    std::int32_t stored = 0;
    for (std::int32_t i = 0; i < outLen / 4 && i < RECORD_LIMIT; ++i) {
        if (!has(position, RECORD_HEADER)) {
            break;
        }
        std::memcpy(out + stored, bytes.data() + position, 4);
        stored += 4;
        const std::int32_t count = static_cast<std::int32_t>(le16(position + 4));
        position += RECORD_HEADER + le16(position + 14);
        if (i == count - 1) {
            break;
        }
    }
    return stored;
}
