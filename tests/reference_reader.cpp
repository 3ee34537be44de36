#include "tests/reference_reader.h"

#include <algorithm>
#include <cstring>

namespace {

// The most records a 16-bit sector count can describe: no walk goes further.
constexpr int RECORD_LIMIT = 65535;

std::int32_t le32(const Bytes& b, std::int64_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8)
                                     | (static_cast<std::uint32_t>(b[at + 2]) << 16)
                                     | (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

int le16(const Bytes& b, std::int64_t at) { return b[at] | (b[at + 1] << 8); }

}  // namespace

ReferenceReader::ReferenceReader(Bytes image) : file(std::move(image)) {
    std::int64_t offset = 0;
    while (count < 64 && offset >= 0 && offset <= INT32_MAX && available(offset, 688) == 688) {
        diskOffsets[count++] = offset;
        offset += le32(file, offset + 0x1C);
    }
}

std::int64_t ReferenceReader::available(std::int64_t at, std::int64_t length) const {
    const auto size = static_cast<std::int64_t>(file.size());
    return at >= size ? 0 : std::min(length, size - at);
}

bool ReferenceReader::selectDisk(int index) {
    diskOffset = -1;
    diskSize = 0;
    if (index < 0 || index >= count) {
        return false;
    }
    diskOffset = diskOffsets[index];
    diskSize = le32(file, diskOffset + 0x1C);
    for (int t = 0; t < 164; ++t) {
        trackOffsets[t] = le32(file, diskOffset + 0x20 + 4 * t);
    }
    return true;
}

std::int64_t ReferenceReader::trackStart(int track) const {
    if (track < 0 || track >= 164 || trackOffsets[track] <= 0 || trackOffsets[track] > diskSize) {
        return -1;
    }
    return diskOffset + trackOffsets[track];
}

std::int32_t ReferenceReader::readSector(int track, int c, int h, int r, int n, std::uint8_t* dest,
                                         std::int32_t maxLen) const {
    std::int64_t at = trackStart(track);
    if (at < 0) {
        return 0;
    }
    for (int i = 0; i < RECORD_LIMIT && available(at, 16) == 16; ++i) {
        const int sectorCount = le16(file, at + 4);
        const int dataSize = le16(file, at + 14);
        if (sectorCount == 0) {
            return 0;
        }
        if (file[at] == c && file[at + 1] == h && file[at + 2] == r && file[at + 3] == n) {
            const auto got = static_cast<std::int32_t>(available(at + 16, std::min(dataSize, maxLen)));
            std::memcpy(dest, file.data() + at + 16, static_cast<std::size_t>(std::max(got, 0)));
            return std::max(got, 0);
        }
        if (i == sectorCount - 1) {
            return 0;
        }
        at += 16 + dataSize;
    }
    return 0;
}

std::int32_t ReferenceReader::readSectors(int track, int c, int h, int r, int n, std::uint8_t* dest,
                                          std::int32_t length) const {
    if (n < 0 || n > 23) {
        return 0;
    }
    std::int32_t unit = 128 << n;
    std::int32_t done = 0;
    while (done < length) {
        unit = std::min(unit, length - done);
        if (readSector(track, c, h, r, n, dest + done, unit) < unit) {
            return done;
        }
        done += unit;
        if (r == lastSector) {
            ++track;
            c += h == 0 ? 0 : 1;
            h = h == 0 ? 1 : 0;
            r = firstSector;
        } else {
            ++r;
        }
    }
    return done;
}

std::int32_t ReferenceReader::readTrackIds(int track, std::uint8_t* out, std::int32_t outLen) const {
    std::int64_t at = trackStart(track);
    if (at < 0) {
        return 0;
    }
    std::int32_t stored = 0;
    for (int i = 0; i < RECORD_LIMIT && stored + 4 <= outLen && available(at, 16) == 16; ++i) {
        std::memcpy(out + stored, file.data() + at, 4);
        stored += 4;
        if (i == le16(file, at + 4) - 1) {
            break;
        }
        at += 16 + le16(file, at + 14);
    }
    return stored;
}
