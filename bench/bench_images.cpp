#include "bench/bench_images.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>

namespace {

constexpr int DISK_COUNT = 64;
constexpr int LAST_TRACK = 163;
constexpr int RECORD_LIMIT = 65535;
constexpr int SECTORS_PER_TRACK = 5;
constexpr int ENTRY_COUNT = 128;
// The data area starts after the two directory sectors of track 1.
constexpr int FIRST_DATA_POSITION = 1 * SECTORS_PER_TRACK + 3;

void appendRecord(Bytes& out, int c, int h, int r, int n, unsigned count, unsigned dataSize, const Bytes& data) {
    const std::size_t at = out.size();
    out.resize(at + 16, 0);
    out[at] = static_cast<std::uint8_t>(c);
    out[at + 1] = static_cast<std::uint8_t>(h);
    out[at + 2] = static_cast<std::uint8_t>(r);
    out[at + 3] = static_cast<std::uint8_t>(n);
    putLE16(out, at + 4, count);
    putLE16(out, at + 14, dataSize);
    out.insert(out.end(), data.begin(), data.end());
}

// The image builder holds a Sector object per record, too heavy for tracks
// of 65,535 records: these disks take their tracks as finished bytes.
struct RawDisk {
    std::map<int, Bytes> tracks;
    std::map<int, std::int32_t> trackOffsets;
    std::optional<std::int32_t> diskSize;
};

Bytes assemble(const RawDisk& disk) {
    Bytes out(688, 0);
    for (const auto& [index, records] : disk.tracks) {
        putLE32(out, 0x20 + 4 * index, static_cast<std::int32_t>(out.size()));
        out.insert(out.end(), records.begin(), records.end());
    }
    for (const auto& [index, offset] : disk.trackOffsets) {
        putLE32(out, 0x20 + 4 * index, offset);
    }
    putLE32(out, 0x1C, disk.diskSize.value_or(static_cast<std::int32_t>(out.size())));
    return out;
}

Bytes recordsOf(const std::vector<Sector>& sectors) {
    Bytes out;
    for (const Sector& s : sectors) {
        appendRecord(out, s.c, s.h, s.r, s.n, s.sectorCount.value_or(static_cast<unsigned>(sectors.size())),
                     s.dataSize.value_or(static_cast<unsigned>(s.data.size())), s.data);
    }
    return out;
}

// Sector `position` of the five-to-a-track layout as (track, sector).
int trackOf(int position) { return (position - 1) / SECTORS_PER_TRACK; }
int sectorOf(int position) { return position - SECTORS_PER_TRACK * trackOf(position); }

// A prefix and up to two numbers as two hex digits each ("F3F7F").
std::string label(const char* prefix, int first, int second = -1) {
    char text[16];
    if (second < 0) {
        std::snprintf(text, sizeof text, "%s%02X", prefix, first & 0xFF);
    } else {
        std::snprintf(text, sizeof text, "%s%02X%02X", prefix, first & 0xFF, second & 0xFF);
    }
    return text;
}

// 128 entries that split the data area (813 sectors) into runs of 6 or 7.
std::vector<Bytes> coveringEntries(int disk) {
    const int sectors = (LAST_TRACK + 1) * SECTORS_PER_TRACK - FIRST_DATA_POSITION + 1;
    std::vector<Bytes> entries;
    int position = FIRST_DATA_POSITION;
    for (int k = 0; k < ENTRY_COUNT; ++k) {
        const int length = sectors / ENTRY_COUNT + (k < sectors % ENTRY_COUNT ? 1 : 0);
        const int last = position + length - 1;
        entries.push_back(dirEntry(label("F", disk, k), trackOf(position), sectorOf(position),
                                   trackOf(last), sectorOf(last)));
        position = last + 1;
    }
    return entries;
}

Disk realisticDisk(int index) {
    Disk disk;
    disk.name = label("DISK", index);
    disk.track(0, bootTrack(SIGNATURE_A)).track(1, directoryTrack(coveringEntries(index)));
    for (int t = 2; t <= LAST_TRACK; ++t) {
        disk.track(t, dataTrack(t));
    }
    return disk;
}

// `wanted` after enough records that match nothing to make 65,535.
Bytes fillerFirst(int track, const std::vector<Sector>& wanted) {
    Bytes out;
    const int fillers = RECORD_LIMIT - static_cast<int>(wanted.size());
    out.reserve(static_cast<std::size_t>(fillers) * 16 + wanted.size() * 1040);
    for (int i = 0; i < fillers; ++i) {
        // Size codes 4 and up: never the 3 that is asked for, and every
        // identity different, so the index has real sorting to do.
        appendRecord(out, track >> 1, track & 1, i & 0xFF, 4 + (i >> 8) % 252, RECORD_LIMIT, 0, {});
    }
    for (const Sector& s : wanted) {
        appendRecord(out, s.c, s.h, s.r, s.n, RECORD_LIMIT, static_cast<unsigned>(s.data.size()), s.data);
    }
    return out;
}

RawDisk longRunsDisk() {
    RawDisk disk;
    disk.tracks[0] = recordsOf(bootTrack(SIGNATURE_A));
    std::vector<Bytes> entries;
    for (int k = 0; k < ENTRY_COUNT; ++k) {
        entries.push_back(dirEntry(label("H", k), 1, 3, 255, 255));
    }
    disk.tracks[1] = fillerFirst(1, directoryTrack(entries));
    for (int t = 2; t <= LAST_TRACK; ++t) {
        disk.tracks[t] = fillerFirst(t, dataTrack(t));
    }
    return disk;
}

BenchImage longRuns() {
    return {"hostile-a", "65,535 records a track, wanted sectors last, longest runs",
            assemble(longRunsDisk())};
}

// `disk`, then a disk of minus its size: the catalogue holds `disk` 32 times.
Bytes catalogued32Times(const RawDisk& disk) {
    Bytes image = assemble(disk);
    RawDisk back;
    back.diskSize = -static_cast<std::int32_t>(image.size());
    const Bytes second = assemble(back);
    image.insert(image.end(), second.begin(), second.end());
    return image;
}

BenchImage repeatedLongRuns() {
    return {"hostile-b", "disk a catalogued 32 times (sizes cancel out)", catalogued32Times(longRunsDisk())};
}

// Tracks 2 onwards, `tracks` of them, each 65,535 records whose last
// TURN_SECTORS are sectors 1 upwards; entry k asks for one sector of track
// 2 + k % tracks, each entry of a track for another sector.
BenchImage tracksTakingTurns(const char* name, const char* description, int tracks) {
    constexpr int TURN_SECTORS = 64;
    RawDisk disk;
    disk.tracks[0] = recordsOf(bootTrack(SIGNATURE_A));
    std::vector<Bytes> entries;
    for (int k = 0; k < ENTRY_COUNT; ++k) {
        const int track = 2 + k % tracks;
        const int r = 1 + k / tracks;
        entries.push_back(dirEntry(label("T", k), track, r, track, r));
    }
    disk.tracks[1] = recordsOf(directoryTrack(entries));
    for (int t = 2; t < 2 + tracks; ++t) {
        std::vector<Sector> wanted;
        for (int r = 1; r <= TURN_SECTORS; ++r) {
            wanted.push_back(sector(t >> 1, t & 1, r, 3, Bytes(1024, static_cast<std::uint8_t>(r))));
        }
        disk.tracks[t] = fillerFirst(t, wanted);
    }
    return {name, description, catalogued32Times(disk)};
}

// Disk `index`: all 164 track-table entries point at one track of 65,535
// records, every sector of a realistic disk after 64,704 others.
Bytes oneHugeTrackDisk(int index) {
    std::vector<Sector> every = bootTrack(SIGNATURE_A);
    for (const Sector& s : directoryTrack(coveringEntries(index))) {
        every.push_back(s);
    }
    for (int t = 2; t <= LAST_TRACK; ++t) {
        for (const Sector& s : dataTrack(t)) {
            every.push_back(s);
        }
    }
    RawDisk disk;
    disk.tracks[0] = fillerFirst(0, every);
    for (int t = 1; t < 164; ++t) {
        disk.trackOffsets[t] = 688;
    }
    return assemble(disk);
}

// As many disks as the realistic image, each its own track to index: one
// such disk is too little work (20 ms) to time apart from starting a run.
BenchImage oneHugeTrack() {
    Bytes image;
    for (int i = 0; i < DISK_COUNT; ++i) {
        const Bytes disk = oneHugeTrackDisk(i);
        image.insert(image.end(), disk.begin(), disk.end());
    }
    return {"hostile-c", "64 disks, each with all 164 track entries pointing at one track of 65,535 records",
            image};
}

BenchImage duplicatedIdentity() {
    RawDisk disk;
    disk.tracks[0] = recordsOf(bootTrack(SIGNATURE_A));
    for (int t = 1; t <= LAST_TRACK; ++t) {
        const std::vector<Sector> five = t == 1 ? directoryTrack(coveringEntries(0)) : dataTrack(t);
        Bytes out;
        appendRecord(out, five[0].c, five[0].h, five[0].r, five[0].n, RECORD_LIMIT, 1024, five[0].data);
        for (int i = 0; i < RECORD_LIMIT - 5; ++i) {
            appendRecord(out, five[0].c, five[0].h, five[0].r, five[0].n, RECORD_LIMIT, 0, {});
        }
        for (int r = 1; r < 5; ++r) {
            appendRecord(out, five[r].c, five[r].h, five[r].r, five[r].n, RECORD_LIMIT, 1024, five[r].data);
        }
        disk.tracks[t] = out;
    }
    return {"hostile-d", "65,535 records a track, 65,530 with one identity", assemble(disk)};
}

BenchImage oversizedRecords() {
    std::vector<Disk> disks;
    for (int i = 0; i < DISK_COUNT; ++i) {
        Disk disk = realisticDisk(i);
        for (int t = 2; t <= LAST_TRACK; ++t) {
            for (Sector& s : disk.tracks[t]) {
                s.dataSize = 0xFFFF;
            }
        }
        disks.push_back(disk);
    }
    return {"hostile-e", "64 disks, every data record claims 65,535 bytes", buildImage(disks)};
}

}  // namespace

std::uint64_t workBytes(const Bytes& image) {
    // The reader's catalogue: disks back to back from offset 0 while a whole
    // header can be read, at most 64, while the next start stays in 32 bits.
    constexpr std::int64_t HEADER = 688;
    const auto size = static_cast<std::int64_t>(image.size());
    std::uint64_t work = 0;
    std::int64_t offset = 0;
    for (int disk = 0; disk < DISK_COUNT && offset + HEADER <= size; ++disk) {
        const std::size_t at = static_cast<std::size_t>(offset) + 0x1C;
        const auto diskSize = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(image[at]) | static_cast<std::uint32_t>(image[at + 1]) << 8
            | static_cast<std::uint32_t>(image[at + 2]) << 16 | static_cast<std::uint32_t>(image[at + 3]) << 24);
        const std::int64_t end = std::min(size, offset + std::max<std::int64_t>(HEADER, diskSize));
        work += static_cast<std::uint64_t>(end - offset);
        offset += diskSize;
        if (offset < 0 || offset > INT32_MAX) {
            break;
        }
    }
    return work;
}

BenchImage realisticImage() {
    std::vector<Disk> disks;
    for (int i = 0; i < DISK_COUNT; ++i) {
        disks.push_back(realisticDisk(i));
    }
    return {"realistic", "64 full disks, 128 files each", buildImage(disks)};
}

BenchImage longRunsImage() {
    RawDisk disk;
    disk.tracks[0] = recordsOf(bootTrack(SIGNATURE_A));
    std::vector<Bytes> entries;
    for (int k = 0; k < ENTRY_COUNT; ++k) {
        entries.push_back(dirEntry(label("L", k), 2, 1, 255, 255));
    }
    disk.tracks[1] = recordsOf(directoryTrack(entries));
    for (int t = 2; t <= LAST_TRACK; ++t) {
        disk.tracks[t] = recordsOf(dataTrack(t));
    }
    return {"long-runs", "164 full tracks, 128 entries of 1.5 MB, catalogued 32 times", catalogued32Times(disk)};
}

BenchImage hostileImage(char which) {
    switch (which) {
    case 'a': return longRuns();
    case 'b': return repeatedLongRuns();
    case 'c': return oneHugeTrack();
    case 'd': return duplicatedIdentity();
    case 'e': return oversizedRecords();
    case 'f': return tracksTakingTurns("hostile-f", "two tracks of 65,535 records taking turns, catalogued 32 times", 2);
    default: return tracksTakingTurns("hostile-g", "five tracks of 65,535 records taking turns, catalogued 32 times", 5);
    }
}
