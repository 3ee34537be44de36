#include <gtest/gtest.h>

#include <filesystem>

#include "d88/d88_image.h"
#include "tests/image_builder.h"
#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

// One disk with tracks 5 and 6 in the five-sector data layout.
Disk dataDisk() {
    Disk disk;
    disk.name = "DATA";
    disk.track(4, dataTrack(4)).track(5, dataTrack(5)).track(6, dataTrack(6)).track(7, dataTrack(7));
    return disk;
}

class ReaderTest : public ::testing::Test {
protected:
    // Writes `disks`, opens them and selects disk 0 when there is one.
    void load(const std::vector<Disk>& disks) {
        writeImage(scratch.image(), disks);
        ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
        if (!disks.empty()) {
            ASSERT_TRUE(reader.selectDisk(0));
        }
    }
    std::int32_t read(int track, int c, int h, int r, int n, std::int32_t maxLen) {
        buffer.assign(buffer.size(), 0xEE);
        return reader.readSector(track, c, h, r, n, buffer.data(), maxLen);
    }

    Scratch scratch;
    D88Image reader;
    Bytes buffer = Bytes(8192, 0xEE);
};

TEST_F(ReaderTest, CataloguesDisksBackToBackAndIgnoresAShortTail) {
    Disk first = dataDisk();
    Disk second;
    second.name = "SECOND";
    second.trailing = bytes(100, 0);
    Bytes image = buildImage({first, second});
    image.resize(image.size() + 687, 0);  // less than a header: not a disk
    writeFile(scratch.image(), image);
    ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
    EXPECT_EQ(reader.getDiskCount(), 2);
    ASSERT_TRUE(reader.selectDisk(1));
    EXPECT_STREQ(reader.getDiskName(), "SECOND");
}

TEST_F(ReaderTest, EmptyAndShortFilesOpenWithNoDisks) {
    for (std::size_t size : {0, 1, 687}) {
        writeFile(scratch.image(), bytes(size, 0));
        ASSERT_TRUE(reader.open(scratch.image().string().c_str())) << size;
        EXPECT_EQ(reader.getDiskCount(), 0) << size;
        EXPECT_FALSE(reader.selectDisk(0));
    }
}

TEST_F(ReaderTest, CatalogueStopsAtSixtyFourDisks) {
    writeImage(scratch.image(), std::vector<Disk>(70, Disk{}));
    ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
    EXPECT_EQ(reader.getDiskCount(), 64);
}

TEST_F(ReaderTest, DiskSizeZeroCataloguesTheSameHeaderAgain) {
    Disk disk = dataDisk();
    disk.diskSize = 0;
    load({disk});
    EXPECT_EQ(reader.getDiskCount(), 64);
    ASSERT_TRUE(reader.selectDisk(63));
    EXPECT_STREQ(reader.getDiskName(), "DATA");
}

TEST_F(ReaderTest, SizesThatCancelOutAlternateBetweenTwoDisks) {
    Disk first = dataDisk();
    const auto firstSize = static_cast<std::int32_t>(first.build().size());
    Disk second;
    second.name = "BACK";
    second.diskSize = -firstSize;
    load({first, second});
    EXPECT_EQ(reader.getDiskCount(), 64);
    ASSERT_TRUE(reader.selectDisk(62));
    EXPECT_STREQ(reader.getDiskName(), "DATA");
    ASSERT_TRUE(reader.selectDisk(63));
    EXPECT_STREQ(reader.getDiskName(), "BACK");
}

TEST_F(ReaderTest, CatalogueStopsBeforeANegativeOrOversizedOffset) {
    Disk backwards;
    backwards.diskSize = -1;
    load({backwards});
    EXPECT_EQ(reader.getDiskCount(), 1);

    // 688 + 0x7FFFFFFF would wrap a 32-bit offset to a negative one.
    Disk headerOnly;
    headerOnly.diskSize = 688;
    Disk huge;
    huge.diskSize = 0x7FFFFFFF;
    load({headerOnly, huge});
    EXPECT_EQ(reader.getDiskCount(), 2);
}

TEST_F(ReaderTest, OpenFailsForMissingPathsAndFolders) {
    EXPECT_FALSE(reader.open((scratch.root() / "missing.d88").string().c_str()));
    EXPECT_FALSE(reader.open(scratch.work().string().c_str()));
    EXPECT_EQ(reader.getDiskCount(), 0);
}

TEST_F(ReaderTest, OpeningAgainReplacesTheEarlierFileAndItsSelection) {
    load({dataDisk(), dataDisk()});
    ASSERT_EQ(read(5, 2, 1, 4, 3, 1024), 1024);

    const fs::path other = scratch.root() / "other.d88";
    writeImage(other, {Disk{}});
    ASSERT_TRUE(reader.open(other.string().c_str()));
    EXPECT_EQ(reader.getDiskCount(), 1);
    // The old disk's track table must not reach into the new file.
    EXPECT_EQ(read(5, 2, 1, 4, 3, 1024), 0);
    EXPECT_EQ(reader.getMediaType(), -1);
}

TEST_F(ReaderTest, CloseForgetsTheFileAndTheSelection) {
    load({dataDisk()});
    EXPECT_TRUE(reader.close());
    EXPECT_EQ(reader.getDiskCount(), 0);
    EXPECT_STREQ(reader.getDiskName(), "");
    EXPECT_EQ(read(5, 2, 1, 4, 3, 1024), 0);
    EXPECT_FALSE(reader.selectDisk(0));
    EXPECT_TRUE(reader.open(nullptr));
}

TEST_F(ReaderTest, SelectDiskLoadsNameAndMediaType) {
    Disk disk = dataDisk();
    disk.name = "ABCDEFGHIJKLMNOP";  // 16 bytes, no terminator in the header
    disk.mediaType = 0x20;
    load({disk});
    EXPECT_STREQ(reader.getDiskName(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(reader.getMediaType(), 0x20);
}

TEST_F(ReaderTest, FailedSelectionLeavesNoDiskToRead) {
    load({dataDisk()});
    for (int index : {1, -1}) {
        ASSERT_TRUE(reader.selectDisk(0));
        EXPECT_FALSE(reader.selectDisk(index));
        EXPECT_STREQ(reader.getDiskName(), "");
        EXPECT_EQ(reader.getMediaType(), -1);
        EXPECT_EQ(read(5, 2, 1, 4, 3, 1024), 0);
    }
}

TEST_F(ReaderTest, SelectionFailsWhenTheHeaderIsNoLongerWhole) {
    const Disk first = dataDisk();
    load({first, dataDisk()});
    ASSERT_EQ(reader.getDiskCount(), 2);
    fs::resize_file(scratch.image(), first.build().size() + 600);
    EXPECT_FALSE(reader.selectDisk(1));
    EXPECT_EQ(read(5, 2, 1, 4, 3, 1024), 0);
}

TEST_F(ReaderTest, ReadsNothingBeforeTheFirstSelection) {
    writeImage(scratch.image(), {dataDisk()});
    ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
    EXPECT_EQ(read(5, 2, 1, 4, 3, 1024), 0);
}

TEST_F(ReaderTest, FindsASectorByIdentityAndTheFirstOfDuplicates) {
    Disk disk;
    disk.track(3, {sector(1, 1, 1, 1, bytes(256, 0x11)), sector(1, 1, 2, 1, bytes(256, 0x22)),
                   sector(1, 1, 2, 1, bytes(256, 0x33))});
    load({disk});
    EXPECT_EQ(read(3, 1, 1, 2, 1, 256), 256);
    EXPECT_EQ(buffer[0], 0x22);
    EXPECT_EQ(buffer[255], 0x22);
    EXPECT_EQ(buffer[256], 0xEE);
    // Every byte of the identity counts, as a value 0 to 255.
    EXPECT_EQ(read(3, 1, 1, 2, 2, 256), 0);
    EXPECT_EQ(read(3, 1, 0, 2, 1, 256), 0);
    EXPECT_EQ(read(3, 257, 1, 2, 1, 256), 0);
    EXPECT_EQ(read(3, 1, 1, -254, 1, 256), 0);
}

TEST_F(ReaderTest, CopiesAtMostMaxLenBytes) {
    Disk disk;
    disk.track(3, {sector(1, 1, 1, 1, bytes(256, 0x11))});
    load({disk});
    EXPECT_EQ(read(3, 1, 1, 1, 1, 19), 19);
    EXPECT_EQ(buffer[18], 0x11);
    EXPECT_EQ(buffer[19], 0xEE);
}

TEST_F(ReaderTest, SkipsRecordsByTheirDataSizeNotTheirSizeCode) {
    Disk disk;
    disk.track(3, {sector(1, 1, 1, 3, bytes(10, 0x11)), sector(1, 1, 2, 3, bytes(1024, 0x22))});
    load({disk});
    EXPECT_EQ(read(3, 1, 1, 2, 3, 1024), 1024);
    EXPECT_EQ(buffer[0], 0x22);
    EXPECT_EQ(read(3, 1, 1, 1, 3, 1024), 10);
}

TEST_F(ReaderTest, TheSectorCountOfEachRecordEndsTheWalk) {
    Disk disk;
    Sector first = sector(1, 1, 1, 1, bytes(256, 0x11));
    first.sectorCount = 1;  // the track says it ends here
    disk.track(3, {first, sector(1, 1, 2, 1, bytes(256, 0x22))});
    Sector empty = sector(1, 1, 1, 1, bytes(256, 0x11));
    empty.sectorCount = 0;
    disk.track(4, {empty});
    load({disk});
    EXPECT_EQ(read(3, 1, 1, 2, 1, 256), 0);
    EXPECT_EQ(read(4, 1, 1, 1, 1, 256), 0);
}

TEST_F(ReaderTest, AbsentTracksReadAsNothing) {
    Disk disk = dataDisk();
    const auto size = static_cast<std::int32_t>(disk.build().size());
    disk.trackOffsets[4] = 0;
    disk.trackOffsets[6] = size + 1;
    disk.trackOffsets[7] = -16;  // would reach back into the header
    load({disk});
    EXPECT_EQ(read(4, 2, 0, 1, 3, 1024), 0);
    EXPECT_EQ(read(6, 3, 0, 1, 3, 1024), 0);
    EXPECT_EQ(read(7, 3, 1, 1, 3, 1024), 0);
    EXPECT_EQ(read(-1, 0, 0, 1, 3, 1024), 0);
    EXPECT_EQ(read(164, 82, 0, 1, 3, 1024), 0);
}

TEST_F(ReaderTest, ATrackOffsetEqualToTheDiskSizeIsStillRead) {
    Disk disk;
    disk.track(2, {sector(1, 0, 1, 1, bytes(256, 0x5A))});
    disk.diskSize = 688;  // the track lies just past the declared end
    disk.trackOffsets[2] = 688;
    load({disk});
    EXPECT_EQ(read(2, 1, 0, 1, 1, 256), 256);
    EXPECT_EQ(buffer[0], 0x5A);
}

TEST_F(ReaderTest, ATruncatedImageDeliversOnlyTheBytesThatExist) {
    Disk disk;
    disk.track(2, {sector(1, 0, 1, 3, bytes(1024, 0x5A)), sector(1, 0, 2, 3, bytes(1024, 0x6B))});
    Bytes image = buildImage({disk});
    image.resize(688 + 16 + 100);  // cut inside the first sector's data
    writeFile(scratch.image(), image);
    ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
    ASSERT_TRUE(reader.selectDisk(0));
    EXPECT_EQ(read(2, 1, 0, 1, 3, 1024), 100);
    EXPECT_EQ(buffer[99], 0x5A);
    EXPECT_EQ(buffer[100], 0xEE);
    // The second record's header is gone altogether.
    EXPECT_EQ(read(2, 1, 0, 2, 3, 1024), 0);
}

TEST_F(ReaderTest, ARunFollowsTheSectorRangeAcrossTracks) {
    load({dataDisk()});
    reader.setSectorRange(1, 5);
    // From head 1, the next track is head 0 of the next cylinder.
    EXPECT_EQ(reader.readSectors(5, 2, 1, 4, 3, buffer.data(), 4096), 4096);
    Bytes run(buffer.begin(), buffer.begin() + 4096);
    EXPECT_EQ(run, expectedRun(5, 4, 6, 2));
    // From head 0, it is head 1 of the same cylinder.
    EXPECT_EQ(reader.readSectors(4, 2, 0, 5, 3, buffer.data(), 2048), 2048);
    run.assign(buffer.begin(), buffer.begin() + 2048);
    EXPECT_EQ(run, expectedRun(4, 5, 5, 1));
}

TEST_F(ReaderTest, ARunStopsAtTheFirstMissingSector) {
    Disk disk = dataDisk();
    disk.tracks[6].erase(disk.tracks[6].begin());  // sector 1 of track 6, the third piece
    load({disk});
    reader.setSectorRange(1, 5);
    EXPECT_EQ(reader.readSectors(5, 2, 1, 4, 3, buffer.data(), 4096), 2048);
}

TEST_F(ReaderTest, AShortLastPieceIsCutFromTheSectorAndAShortSectorEndsTheRun) {
    Disk disk;
    disk.track(0, {sector(0, 0, 1, 1, bytes(256, 0x11)), sector(0, 0, 2, 1, bytes(100, 0x22))});
    load({disk});
    reader.setSectorRange(1, 16);
    EXPECT_EQ(reader.readSectors(0, 0, 0, 1, 1, buffer.data(), 19), 19);
    EXPECT_EQ(buffer[19], 0xEE);
    // Sector 2 holds only 100 bytes: they land but are not counted.
    EXPECT_EQ(reader.readSectors(0, 0, 0, 1, 1, buffer.data(), 512), 256);
    EXPECT_EQ(buffer[256 + 99], 0x22);
}

TEST_F(ReaderTest, AStartAboveTheRangeKeepsCountingUp) {
    Disk disk;
    disk.track(2, {sector(1, 0, 7, 1, bytes(256, 7)), sector(1, 0, 8, 1, bytes(256, 8)),
                   sector(1, 0, 1, 1, bytes(256, 1))});
    load({disk});
    reader.setSectorRange(1, 5);
    EXPECT_EQ(reader.readSectors(2, 1, 0, 7, 1, buffer.data(), 768), 512);
    EXPECT_EQ(buffer[256], 8);
}

TEST_F(ReaderTest, RefusesSizeCodesAndLengthsOutOfRange) {
    load({dataDisk()});
    EXPECT_EQ(reader.readSectors(5, 2, 1, 1, -1, buffer.data(), 100), 0);
    EXPECT_EQ(reader.readSectors(5, 2, 1, 1, 24, buffer.data(), 100), 0);
    EXPECT_EQ(reader.readSectors(5, 2, 1, 1, 3, buffer.data(), 0), 0);
    EXPECT_EQ(reader.readSectors(5, 2, 1, 1, 3, buffer.data(), -5), 0);
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(ReaderTest, ListsTrackIdentitiesInFileOrder) {
    Disk disk;
    disk.track(2, {sector(1, 0, 3, 1, {}), sector(1, 0, 1, 2, {}), sector(9, 9, 9, 9, {})});
    load({disk});
    EXPECT_EQ(reader.readTrackIds(2, buffer.data(), 64), 12);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 12), Bytes({1, 0, 3, 1, 1, 0, 1, 2, 9, 9, 9, 9}));
    EXPECT_EQ(reader.readTrackIds(2, buffer.data(), 5), 4);
    EXPECT_EQ(reader.readTrackIds(3, buffer.data(), 64), 0);
}

TEST_F(ReaderTest, TrackIdsWithACountOfZeroRunUntilTheOutputOrTheFileEnds) {
    Disk disk;
    Sector a = sector(1, 0, 1, 1, {});
    a.sectorCount = 0;
    disk.track(2, {a, a, a});
    load({disk});
    EXPECT_EQ(reader.readTrackIds(2, buffer.data(), 8), 8);
    EXPECT_EQ(reader.readTrackIds(2, buffer.data(), 64), 12);
}

}  // namespace
