// The reader (d88/): the D88 format and D88Image, at the bottom of the
// system. It uses the C++ standard library only.
//
// D88Image: byte-level access to the disks inside one D88 file.
//
// Open a file, ask how many disk images it holds, select one, then read its
// sectors by identity (C cylinder, H head, R sector number, N size code) or
// read byte runs that continue from sector to sector and track to track.
// Every failure is a result: false, or a byte count of 0 or short of what was
// asked. The reader never prints and never allocates memory of its own.
//
// Calling order: open, getDiskCount, then for each disk selectDisk followed by
// any mix of setSectorRange and reads; close (or destruction) at the end.
//
// Cost: a track is walked once, into an index, and lookups on it take
// logarithmic time; their results are remembered while the file is open,
// also across selections. The image is read through a fixed block. The
// index, the block, the lookups and a cache of far-off headers make the
// object large (IMAGE_OBJECT_BUDGET): give it static or heap storage, not a
// thread stack.
#ifndef D88_D88_IMAGE_H
#define D88_D88_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "d88/d88_format.h"
#include "d88/header_cache.h"
#include "d88/read_buffer.h"
#include "d88/sector_memo.h"
#include "d88/track_index.h"
#include "d88/tuning.h"

// The bytes readTrackIds stores for each record: C, H, R, N.
inline constexpr std::int32_t TRACK_ID_SIZE = 4;

// Where a run of sectors stopped: the track index and identity it asked
// for, and whether a record of that identity was found (and held too few
// bytes) or not.
struct RunStop {
    std::int32_t track = -1;
    std::int32_t c = 0, h = 0, r = 0, n = 0;
    bool found = false;
};

// Where a sector lies in the file, found as readSector finds it.
struct SectorLocation {
    // Where its data starts; -1 when the sector is not found.
    std::int64_t dataOffset = -1;
    // Its data size as its record header gives it.
    std::int32_t dataSize = 0;
    // How many of those bytes the file holds: fewer when it ends inside them.
    std::int32_t available = 0;

    bool found() const { return dataOffset >= 0; }
};

// A walk of one track's record headers in file order, as a lookup's walk
// reads them (track_walk.h), without indexing the track.
struct RecordWalk {
    TrackWalk walk;
    std::int64_t start = -1;
};

class D88Image {
public:
    D88Image() = default;
    ~D88Image();
    D88Image(const D88Image&) = delete;
    D88Image& operator=(const D88Image&) = delete;

    // Opens the file for reading and catalogues its disk images: the first
    // starts at offset 0, each next one at the previous start plus its disk
    // size, until a whole header cannot be read, MAX_DISKS are found, or the
    // next start would leave the signed 32-bit range. A reader that already
    // holds a file closes it first. No path means close(). False when the
    // path cannot be opened or cannot be read as a file (a directory, a read
    // error, a stream that cannot seek). Selects no disk.
    [[nodiscard]] bool open(const char* path);

    // The same for a stream already opened for binary reading (so that a
    // caller can open paths the host's own way). The reader owns the stream
    // from here on, also when this fails; null fails.
    [[nodiscard]] bool openStream(std::FILE* stream);

    // Closes the file and forgets the catalogue and the selected disk. The
    // sector range stays as it is. Always true.
    bool close();

    std::int32_t getDiskCount() const { return diskCount; }

    // Whether the catalogue stopped at MAX_DISKS while the file goes on: a
    // whole disk header follows the last disk, at a start no catalogued disk
    // has. Those disks are never read.
    bool hasMoreDisks() const { return moreDisks; }
    // Where the catalogue stopped at MAX_DISKS, at a start no catalogued
    // disk has: what a further disk would hold begins there. -1 otherwise.
    std::int64_t getUnreadStart() const { return unreadStart; }

    // Whether reading the file failed since it was opened: an error, not its
    // end. A failed read looks like a short or absent sector to the calls
    // that make it; this tells the two apart afterwards.
    bool hasReadError() const { return buffer.hasFailed(); }
    // The system's error number of the first failure, 0 when none (or when
    // the system gave none).
    int getReadError() const { return buffer.getFailure(); }

    // Loads the header and track table of catalogued disk `index`. On false
    // no disk is selected and every read returns 0.
    [[nodiscard]] bool selectDisk(std::int32_t index);

    // The sector numbers R of a track's first and last sector: readSectors
    // steps from `last` to `first` of the next track.
    void setSectorRange(std::int32_t first, std::int32_t last);

    // Finds the first record of track index `track` whose identity is
    // (c, h, r, n) and copies at most maxLen of its data bytes to dest.
    // Returns the number of bytes copied; 0 when the sector is not found or
    // the track is absent. Only the first MAX_TRACK_RECORDS records of a
    // track are looked at.
    [[nodiscard]] std::int32_t readSector(std::int32_t track, std::int32_t c, std::int32_t h,
                                          std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                          std::int32_t maxLen);

    // Reads `length` bytes starting at sector (c, h, r, n) of `track`, in
    // pieces of 128 << n bytes, stepping r through the sector range and on to
    // the next track (head 0 -> head 1 of the same cylinder, head 1 -> head 0
    // of the next). Stops at the first piece that does not arrive whole and
    // returns the bytes of the whole pieces; a short last piece may already
    // stand in dest without being counted. n must lie in 0..MAX_SIZE_CODE.
    [[nodiscard]] std::int32_t readSectors(std::int32_t track, std::int32_t c, std::int32_t h,
                                           std::int32_t r, std::int32_t n, std::uint8_t* dest,
                                           std::int32_t length);

    // Where sector (c, h, r, n) of `track` lies, found as readSector finds
    // it, without reading its bytes.
    [[nodiscard]] SectorLocation locateSector(std::int32_t track, std::int32_t c, std::int32_t h,
                                              std::int32_t r, std::int32_t n);

    // The run readSectors would read, located instead of copied: returns
    // what readSectors returns and leaves the same last run length and stop,
    // without reading the sectors' bytes.
    [[nodiscard]] std::int32_t locateSectors(std::int32_t track, std::int32_t c, std::int32_t h,
                                             std::int32_t r, std::int32_t n, std::int32_t length);

    // How many bytes the last readSectors stored in dest, the bytes of a
    // short last piece included: where in dest the image's bytes end.
    std::int32_t getLastRunLength() const { return lastRunLength; }

    // The piece at which the last readSectors stopped short, so that a
    // caller can say why; track -1 when every piece arrived whole.
    RunStop getLastRunStop() const { return lastRunStop; }

    // Stores the identities C, H, R, N of the records of `track`, four bytes
    // each in file order, as many as fit in outLen and at most
    // MAX_TRACK_RECORDS. Returns the bytes stored.
    [[nodiscard]] std::int32_t readTrackIds(std::int32_t track, std::uint8_t* out,
                                            std::int32_t outLen);

    // Starts a walk of the record headers of `track`; false when the track
    // is absent. nextRecordHeader then gives each header's file offset in
    // turn, and false at the walk's end: cheaper than an index of the track
    // for a caller that only needs where the headers stand.
    [[nodiscard]] bool startRecordWalk(std::int32_t track, RecordWalk& walk) const;
    [[nodiscard]] bool nextRecordHeader(RecordWalk& walk, std::int64_t& offset);

    // The open file's length in bytes; -1 when the system cannot tell.
    std::int64_t getFileLength() const { return fileLength; }

    // Copies up to `count` bytes of the file from `offset` on, as they stand,
    // to dest; returns how many arrived.
    [[nodiscard]] std::int32_t readFileBytes(std::int64_t offset, std::uint8_t* dest, std::int32_t count);

    // The selected disk's name: up to 16 bytes and a terminating 0.
    const char* getDiskName() const { return diskName; }

    // The selected disk's media-type byte, or -1 when no disk is selected.
    std::int32_t getMediaType() const { return mediaType; }

    // Where catalogued disk `index` starts in the file, or -1 when there is
    // no such disk.
    std::int32_t getDiskOffset(std::int32_t index) const {
        return index >= 0 && index < diskCount ? diskOffsets[index] : -1;
    }

    // The selected disk's size field as the header holds it, or 0 when no
    // disk is selected.
    std::int32_t getDiskSize() const { return diskSize; }

    // Entry `track` of the selected disk's track table as the header holds
    // it (0 marks an absent track); 0 when no disk is selected or the index
    // lies outside the table.
    std::int32_t getTrackOffset(std::int32_t track) const {
        return diskOffset >= 0 && track >= 0 && track < TRACK_COUNT ? trackOffsets[track] : 0;
    }

private:
    void forgetSelection();
    // The file offset of the first record of `track`, or -1 when the track
    // is absent.
    std::int64_t trackStart(std::int32_t track) const;
    // Makes the index describe `track`, walking it when it does not yet;
    // false when the track is absent.
    bool indexTrack(std::int32_t track);
    SectorPlace findSector(std::int32_t track, SectorIdentity id);
    // A run of sectors from (c, h, r, n) of `track`: copied to dest, or only
    // located when dest is null.
    std::int32_t runSectors(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                            std::int32_t n, std::uint8_t* dest, std::int32_t length);
    // Walks every track of the selected disk together into the header
    // cache, once walks have been seen to leap about (SWEEP_AFTER_MISSES).
    void sweepTracks();

    std::FILE* file = nullptr;
    std::int64_t fileLength = -1;
    std::int32_t diskCount = 0;
    bool moreDisks = false;
    std::int64_t unreadStart = -1;
    std::int32_t firstSector = 1;
    std::int32_t lastSector = 16;
    std::int32_t diskOffsets[MAX_DISKS] = {};
    std::int32_t diskSize = 0;
    std::int32_t diskOffset = 0;
    std::int32_t trackOffsets[TRACK_COUNT] = {};
    std::int32_t mediaType = -1;
    char diskName[DISK_NAME_SIZE + 1] = {};
    std::int32_t lastRunLength = 0;
    RunStop lastRunStop;
    // Whether the last readSector found its record.
    bool lastSectorFound = false;
    // Kept across selectDisk, as the file does not change while it is open:
    // what was read of it, the last track indexed, the lookups and headers.
    ReadBuffer buffer;
    TrackIndex index;
    SectorMemo memo;
    HeaderCache headers;
    // Whether the selected disk's tracks were swept into `headers`.
    bool swept = false;
};

// What an image object may take: the programs' memory target counts on it.
inline constexpr std::size_t IMAGE_OBJECT_BUDGET = 5 * 1024 * 1024;
static_assert(sizeof(D88Image) <= IMAGE_OBJECT_BUDGET);

#endif
