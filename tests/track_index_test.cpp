// Sector lookups through the reader's track index: what the index must
// answer exactly as a record-by-record walk would, and when it must be
// thrown away.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "d88/d88_image.h"
#include "tests/image_builder.h"
#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

constexpr int RECORD_LIMIT = 65535;

class TrackIndexTest : public ::testing::Test {
protected:
    void load(const std::vector<Disk>& disks) {
        writeImage(scratch.image(), disks);
        ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
        ASSERT_TRUE(reader.selectDisk(0));
    }
    // The first byte of sector (c, h, r, 1) of `track`, or -1 when not found.
    int firstByte(int track, int c, int h, int r) {
        std::uint8_t byte = 0;
        return reader.readSector(track, c, h, r, 1, &byte, 1) == 1 ? byte : -1;
    }

    Scratch scratch;
    D88Image reader;
};

// Counts of 2 and then 1 never end the walk: only the record limit does.
std::vector<Sector> endlessTrack(int records) {
    std::vector<Sector> track;
    for (int i = 0; i < records; ++i) {
        Sector filler = sector(1, 0, 0, 1, {});
        filler.sectorCount = i == 0 ? 2 : 1;
        track.push_back(filler);
    }
    return track;
}

TEST_F(TrackIndexTest, AWalkLooksAtNoMoreThan65535Records) {
    std::vector<Sector> track = endlessTrack(RECORD_LIMIT + 1);
    track[RECORD_LIMIT - 1].r = 7;
    track[RECORD_LIMIT - 1].data = bytes(4, 0x77);
    track[RECORD_LIMIT].r = 8;
    track[RECORD_LIMIT].data = bytes(4, 0x88);
    Disk disk;
    disk.track(2, track);
    load({disk});
    EXPECT_EQ(firstByte(2, 1, 0, 7), 0x77);
    EXPECT_EQ(firstByte(2, 1, 0, 8), -1);

    Bytes ids(4 * (RECORD_LIMIT + 2), 0xEE);
    EXPECT_EQ(reader.readTrackIds(2, ids.data(), static_cast<std::int32_t>(ids.size())), 4 * RECORD_LIMIT);
    EXPECT_EQ(ids[4 * (RECORD_LIMIT - 1) + 2], 7);
    EXPECT_EQ(ids[4 * RECORD_LIMIT], 0xEE);
}

TEST_F(TrackIndexTest, ManyRecordsFindTheFirstOfEachIdentity) {
    // 300 identities that differ in every byte, each given three times with
    // the copy number as data; the first copy must win.
    std::vector<Sector> track;
    for (int copy = 0; copy < 3; ++copy) {
        for (int k = 0; k < 300; ++k) {
            track.push_back(sector(k % 7, k % 3, (k * 37) % 256, 1 + k % 2, bytes(1, static_cast<std::uint8_t>(copy))));
        }
    }
    Disk disk;
    disk.track(9, track);
    load({disk});
    for (int k = 0; k < 300; ++k) {
        std::uint8_t byte = 0xEE;
        const int copyFound = reader.readSector(9, k % 7, k % 3, (k * 37) % 256, 1 + k % 2, &byte, 1) == 1 ? byte : -1;
        EXPECT_EQ(copyFound, 0) << k;
    }
}

TEST_F(TrackIndexTest, ACountOfZeroHidesItsRecordAndLaterOnesButNotTheirIds) {
    Sector before = sector(1, 0, 1, 1, bytes(8, 0x11));
    before.sectorCount = 5;
    Sector stop = sector(1, 0, 2, 1, bytes(8, 0x22));
    stop.sectorCount = 0;
    Sector after = sector(1, 0, 3, 1, bytes(8, 0x33));
    after.sectorCount = 5;
    Disk disk;
    disk.track(2, {before, stop, after, sector(1, 0, 1, 1, bytes(8, 0x44))});
    load({disk});
    EXPECT_EQ(firstByte(2, 1, 0, 3), -1);
    EXPECT_EQ(firstByte(2, 1, 0, 2), -1);
    EXPECT_EQ(firstByte(2, 1, 0, 1), 0x11);
    Bytes ids(64, 0);
    EXPECT_EQ(reader.readTrackIds(2, ids.data(), 64), 16);
}

TEST_F(TrackIndexTest, TrackEntriesSharingRecordsReadTheSameSectors) {
    Disk disk;
    disk.track(2, {sector(1, 0, 1, 1, bytes(8, 0x11)), sector(1, 1, 1, 1, bytes(8, 0x22))});
    disk.trackOffsets[3] = 688;
    load({disk});
    EXPECT_EQ(firstByte(2, 1, 1, 1), 0x22);
    EXPECT_EQ(firstByte(3, 1, 0, 1), 0x11);
    EXPECT_EQ(firstByte(3, 1, 1, 1), 0x22);
}

TEST_F(TrackIndexTest, AnotherDiskOrFileIsNotAnsweredFromTheLastOne) {
    Disk first;
    first.track(2, {sector(1, 0, 1, 1, bytes(8, 0x11))});
    Disk second;
    second.track(2, {sector(1, 0, 1, 1, bytes(8, 0x22))});
    load({first, second});
    EXPECT_EQ(firstByte(2, 1, 0, 1), 0x11);
    ASSERT_TRUE(reader.selectDisk(1));
    EXPECT_EQ(firstByte(2, 1, 0, 1), 0x22);
    ASSERT_TRUE(reader.selectDisk(0));
    EXPECT_EQ(firstByte(2, 1, 0, 1), 0x11);

    // Same layout, other bytes: a new file is walked afresh.
    const fs::path other = scratch.root() / "other.d88";
    Disk changed;
    changed.track(2, {sector(1, 0, 2, 1, bytes(8, 0x33))});
    writeImage(other, {changed});
    ASSERT_TRUE(reader.open(other.string().c_str()));
    ASSERT_TRUE(reader.selectDisk(0));
    EXPECT_EQ(firstByte(2, 1, 0, 1), -1);
    EXPECT_EQ(firstByte(2, 1, 0, 2), 0x33);
}

TEST_F(TrackIndexTest, RunsAcrossManyTracksAndBackGiveTheSameBytes) {
    // More lookups on one track than it remembers, asked in turns with
    // other tracks, so answers come from the index, the memory of recent
    // lookups and fresh walks alike.
    Disk disk;
    for (int t = 2; t <= 4; ++t) {
        std::vector<Sector> track;
        for (int r = 1; r <= 40; ++r) {
            track.push_back(sector(t >> 1, t & 1, r, 1, bytes(1, static_cast<std::uint8_t>(t * 50 + r))));
        }
        disk.track(t, track);
    }
    load({disk});
    for (int pass = 0; pass < 2; ++pass) {
        for (int r = 40; r >= 1; --r) {
            for (int t = 2; t <= 4; ++t) {
                EXPECT_EQ(firstByte(t, t >> 1, t & 1, r), t * 50 + r) << t << " " << r;
            }
        }
    }
}

TEST_F(TrackIndexTest, WalksAcrossAndBeyondTheReadBlockDeliverEveryByte) {
    // Records of 40,000 and 65,535 bytes: walks leap past the reader's block,
    // data spans it, and the image ends inside the last record.
    auto pattern = [](std::size_t size, int seed) {
        Bytes data(size);
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = static_cast<std::uint8_t>(i * 7 + seed * 13 + (i >> 8));
        }
        return data;
    };
    std::vector<Sector> track;
    for (int r = 1; r <= 4; ++r) {
        track.push_back(sector(1, 0, r, 7, pattern(r % 2 == 0 ? 40000 : 65535, r)));
    }
    Disk disk;
    disk.track(2, track).track(3, {sector(1, 1, 1, 7, pattern(65535, 9))});
    Bytes image = buildImage({disk});
    image.resize(image.size() - 5000);
    writeFile(scratch.image(), image);
    ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
    ASSERT_TRUE(reader.selectDisk(0));

    Bytes got(65535);
    for (int r = 4; r >= 1; --r) {
        const Bytes want = pattern(r % 2 == 0 ? 40000 : 65535, r);
        ASSERT_EQ(reader.readSector(2, 1, 0, r, 7, got.data(), 65535), static_cast<std::int32_t>(want.size())) << r;
        EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin())) << r;
    }
    const Bytes last = pattern(65535, 9);
    ASSERT_EQ(reader.readSector(3, 1, 1, 1, 7, got.data(), 65535), 65535 - 5000);
    EXPECT_TRUE(std::equal(last.begin(), last.end() - 5000, got.begin()));
    // The run reads sectors 1 to 4 of track 2, sector 1 of track 3 from what
    // is left of it, and stops at track 4, which is absent.
    constexpr std::int32_t PIECE = 16384;
    Bytes run(6 * PIECE, 0);
    reader.setSectorRange(1, 4);
    EXPECT_EQ(reader.readSectors(2, 1, 0, 1, 7, run.data(), 6 * PIECE), 5 * PIECE);
    EXPECT_TRUE(std::equal(run.begin() + PIECE, run.begin() + 2 * PIECE, pattern(40000, 2).begin()));
    EXPECT_TRUE(std::equal(run.begin() + 4 * PIECE, run.begin() + 5 * PIECE, last.begin()));
}

}  // namespace
