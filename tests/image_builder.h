// Builds D88 files for tests in a few readable lines:
//
//   Disk disk;
//   disk.track(0, {sector(0, 0, 1, 1, bytes(256, 0xAA))});
//   writeImage(path, {disk});
//
// Records, tracks and headers are laid out as the format says; the optional
// fields let a test damage exactly one thing (a disk size, a sector count, a
// data size, a track offset).
#ifndef TESTS_IMAGE_BUILDER_H
#define TESTS_IMAGE_BUILDER_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct Sector {
    std::uint8_t c = 0, h = 0, r = 0, n = 0;
    Bytes data;
    std::optional<std::uint16_t> sectorCount;  // default: records in the track
    std::optional<std::uint16_t> dataSize;     // default: data.size()
};

Sector sector(int c, int h, int r, int n, Bytes data);
Bytes bytes(std::size_t count, std::uint8_t fill);
Bytes text(const std::string& s);

struct Disk {
    std::string name;
    std::uint8_t mediaType = 0;
    std::map<int, std::vector<Sector>> tracks;
    std::optional<std::int32_t> diskSize;        // default: the real size
    std::map<int, std::int32_t> trackOffsets;    // overrides of table entries
    Bytes trailing;                              // bytes after the last track

    Disk& track(int index, std::vector<Sector> sectors);
    Bytes build() const;
};

Bytes buildImage(const std::vector<Disk>& disks);

// Little-endian fields, for code that lays out records by hand.
void putLE16(Bytes& out, std::size_t at, unsigned value);
void putLE32(Bytes& out, std::size_t at, std::int32_t value);
void writeFile(const std::filesystem::path& path, const Bytes& content);
void writeImage(const std::filesystem::path& path, const std::vector<Disk>& disks);
Bytes readFile(const std::filesystem::path& path);

// --- The layout d88extract expects -----------------------------------------

// The bytes every generated data sector holds, so a test can tell sectors
// apart in an extracted file.
std::uint8_t dataByte(int track, int sectorNumber, int offset);
Bytes dataSector(int track, int sectorNumber);

inline const Bytes SIGNATURE_A = {0x20, 0x4E, 0x6D, 0x28, 0xC7, 0xB0, 0xD3, 0x29, 0x20,
                                  0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};
inline const Bytes SIGNATURE_B = {0x4D, 0x4F, 0x52, 0x56, 0x45, 0x4B, 0x20, 0x34, 0x20,
                                  0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};

// Track 0: sixteen 256-byte sectors; sector 1 is byte 0 then `signature`,
// sectors 2 to 16 are filled with `fill` + their number.
std::vector<Sector> bootTrack(const Bytes& signature, std::uint8_t fill = 0x40);
// The 3840 bytes a bootTrack writes as TTLPRG.
Bytes titleBytes(std::uint8_t fill = 0x40);

// A 16-byte directory entry; `name` holds at most 6 bytes.
Bytes dirEntry(const std::string& name, int startTrack, int startSector, int endTrack, int endSector);
Bytes endOfDirectory();

// Track 1: five 1024-byte sectors whose first two hold `entries` (padded with
// 0xFF, the end mark) and the rest generated data.
std::vector<Sector> directoryTrack(const std::vector<Bytes>& entries);
// A data track t: sectors 1 to 5 of 1024 bytes at cylinder t >> 1, head t & 1.
std::vector<Sector> dataTrack(int t);

// The bytes of sectors [first, last] of the five-to-a-track layout.
Bytes expectedRun(int startTrack, int startSector, int endTrack, int endSector);

#endif
