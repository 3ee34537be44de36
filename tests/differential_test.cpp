// The real reader against the naive reference walk on many small, randomly
// damaged images: same catalogue, same selections, same bytes and counts.
#include <gtest/gtest.h>

#include <random>

#include "d88/d88_image.h"
#include "tests/reference_reader.h"
#include "tests/tool_runner.h"

namespace {

class RandomImages {
public:
    explicit RandomImages(unsigned seed) : random(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    // A few small identities so lookups hit, miss and meet duplicates.
    Sector record() {
        Bytes data(static_cast<std::size_t>(chance(70) ? 128 << pick(0, 1) : pick(0, 300)));
        for (std::uint8_t& b : data) {
            b = static_cast<std::uint8_t>(pick(0, 255));
        }
        Sector s = sector(pick(0, 1), pick(0, 1), pick(1, 5), pick(0, 1), data);
        if (chance(15)) {
            s.sectorCount = static_cast<std::uint16_t>(pick(0, 7));
        }
        if (chance(5)) {
            s.dataSize = static_cast<std::uint16_t>(pick(0, 400));
        }
        return s;
    }

    Disk disk() {
        Disk d;
        for (int t = 0; t < 6; ++t) {
            if (chance(70)) {
                std::vector<Sector> records(static_cast<std::size_t>(pick(0, 7)));
                for (Sector& s : records) {
                    s = record();
                }
                d.track(t, records);
            }
        }
        const auto size = static_cast<std::int32_t>(d.build().size());
        for (int t = 0; t < 6; ++t) {
            if (chance(10)) {
                const int kinds[] = {0, -16, size, size + 1, pick(0, size)};
                d.trackOffsets[t] = kinds[pick(0, 4)];
            }
        }
        if (chance(15)) {
            const int kinds[] = {0, size / 2, -size, size + 700, 688};
            d.diskSize = kinds[pick(0, 4)];
        }
        return d;
    }

    Bytes image() {
        std::vector<Disk> disks(static_cast<std::size_t>(pick(1, 3)));
        for (Disk& d : disks) {
            d = disk();
        }
        Bytes bytes = buildImage(disks);
        if (chance(20)) {
            bytes.resize(static_cast<std::size_t>(pick(0, static_cast<int>(bytes.size()))));
        }
        return bytes;
    }

private:
    std::mt19937 random;
};

TEST(Differential, TheReaderAgreesWithTheNaiveWalkOnDamagedImages) {
    RandomImages images(20261208);
    Scratch scratch;
    static D88Image reader;  // too large for a thread stack
    Bytes got(4096);
    Bytes want(4096);
    for (int round = 0; round < 300; ++round) {
        const Bytes bytes = images.image();
        writeFile(scratch.image(), bytes);
        ReferenceReader reference(bytes);
        reference.open();
        ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
        ASSERT_EQ(reader.getDiskCount(), reference.getDiskCount()) << "round " << round;
        for (int disk = -1; disk <= reference.getDiskCount(); ++disk) {
            ASSERT_EQ(reader.selectDisk(disk), reference.selectDisk(disk)) << "round " << round;
            ASSERT_EQ(reader.getDiskName(), reference.getDiskName());
            ASSERT_EQ(reader.getMediaType(), reference.getMediaType());
            for (int query = 0; query < 40; ++query) {
                const int first = images.pick(0, 2);
                const int last = images.pick(1, 6);
                reader.setSectorRange(first, last);
                reference.setSectorRange(first, last);
                const int track = images.pick(-1, 7);
                const int c = images.chance(5) ? 256 : images.pick(0, 1);
                const int h = images.pick(0, 1);
                const int r = images.chance(5) ? -1 : images.pick(0, 6);
                const int n = images.chance(5) ? 24 : images.pick(0, 1);
                const int length = images.pick(0, 1500);
                std::fill(got.begin(), got.end(), 0xEE);
                std::fill(want.begin(), want.end(), 0xEE);
                int kind = images.pick(0, 2);
                std::int32_t gotCount = 0;
                std::int32_t wantCount = 0;
                if (kind == 0) {
                    gotCount = reader.readSector(track, c, h, r, n, got.data(), length);
                    wantCount = reference.readSector(track, c, h, r, n, want.data(), length);
                } else if (kind == 1) {
                    gotCount = reader.readSectors(track, c, h, r, n, got.data(), length);
                    wantCount = reference.readSectors(track, c, h, r, n, want.data(), length);
                } else {
                    gotCount = reader.readTrackIds(track, got.data(), length / 40);
                    wantCount = reference.readTrackIds(track, want.data(), length / 40);
                }
                ASSERT_EQ(gotCount, wantCount) << "round " << round << " disk " << disk << " kind " << kind;
                ASSERT_EQ(got, want) << "round " << round << " disk " << disk << " kind " << kind;
            }
        }
    }
}

// Records that claim far more data than they hold send every walk leaping
// through later tracks and disks, reading their bytes as headers: the walks
// that meet share headers the reader remembers across tracks, disks and
// reselections, and, once it sees walks leap, sweeps all tracks of a disk at
// once. None of that may change a result, nor survive into another file.
TEST(Differential, LeapingWalksAgreeAcrossTracksDisksAndFiles) {
    RandomImages images(20261209);
    Scratch scratch;
    static D88Image reader;
    Bytes got(2048);
    Bytes want(2048);
    for (int round = 0; round < 4; ++round) {
        std::vector<Disk> disks(6);
        for (Disk& d : disks) {
            for (int t = 0; t < 40; ++t) {
                std::vector<Sector> records;
                for (int r = 1; r <= 5; ++r) {
                    Bytes data(1024);
                    for (std::uint8_t& b : data) {
                        b = static_cast<std::uint8_t>(images.pick(0, 255));
                    }
                    Sector s = sector(t >> 1, t & 1, r, 3, data);
                    s.dataSize = static_cast<std::uint16_t>(images.chance(80) ? 0xFFFF - images.pick(0, 3000)
                                                                               : images.pick(0, 0xFFFF));
                    if (images.chance(10)) {
                        s.sectorCount = static_cast<std::uint16_t>(images.pick(0, 40));
                    }
                    records.push_back(s);
                }
                d.track(t, records);
            }
        }
        Bytes bytes = buildImage(disks);
        if (round % 2 == 1) {
            bytes.resize(bytes.size() - static_cast<std::size_t>(images.pick(1, 70000)));
        }
        writeFile(scratch.image(), bytes);
        ReferenceReader reference(bytes);
        reference.open();
        ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
        ASSERT_EQ(reader.getDiskCount(), reference.getDiskCount());
        for (int pass = 0; pass < 2 * reference.getDiskCount(); ++pass) {
            const int disk = images.pick(0, reference.getDiskCount() - 1);
            ASSERT_EQ(reader.selectDisk(disk), reference.selectDisk(disk));
            for (int track = 0; track < 40; ++track) {
                std::fill(got.begin(), got.end(), 0xEE);
                std::fill(want.begin(), want.end(), 0xEE);
                ASSERT_EQ(reader.readTrackIds(track, got.data(), 2048), reference.readTrackIds(track, want.data(), 2048))
                    << "round " << round << " disk " << disk << " track " << track;
                ASSERT_EQ(got, want);
                for (int query = 0; query < 3; ++query) {
                    const int r = images.pick(1, 6);
                    ASSERT_EQ(reader.readSector(track, track >> 1, track & 1, r, 3, got.data(), 1024),
                              reference.readSector(track, track >> 1, track & 1, r, 3, want.data(), 1024))
                        << "round " << round << " disk " << disk << " track " << track << " r " << r;
                    ASSERT_EQ(got, want);
                }
            }
        }
    }
}

// Long tracks that lookups take turns between, each asking for another
// sector, on a disk the catalogue lists again and again (a second disk of
// minus its size leads back to it): lookups are remembered by where a track
// starts, for every R once a track must be walked again, and across
// selections. Every answer must still be the naive walk's.
TEST(Differential, TracksTakingTurnsOnADiskCataloguedAgainAgree) {
    RandomImages images(20261210);
    Scratch scratch;
    static D88Image reader;
    Bytes got(4096);
    Bytes want(4096);
    for (int round = 0; round < 6; ++round) {
        Disk disk;
        for (int t = 0; t < 6; ++t) {
            std::vector<Sector> records(static_cast<std::size_t>(images.pick(200, 600)));
            for (Sector& s : records) {
                Bytes data(static_cast<std::size_t>(images.pick(0, 40)), static_cast<std::uint8_t>(images.pick(0, 255)));
                s = sector(t >> 1, t & 1, images.pick(0, 80), images.chance(90) ? 3 : images.pick(0, 4), data);
                if (images.chance(1)) {
                    s.sectorCount = static_cast<std::uint16_t>(images.pick(0, 700));
                }
                if (images.chance(1)) {
                    s.dataSize = static_cast<std::uint16_t>(images.pick(0, 0xFFFF));
                }
            }
            disk.track(t, records);
        }
        // Track 5 may share track 2's records: one start, two rows.
        const Bytes alone = disk.build();
        if (images.chance(50)) {
            disk.trackOffsets[5] = readLE32(alone.data() + TRACK_TABLE_OFFSET + 2 * TRACK_ENTRY_SIZE);
        }
        Disk back;
        back.diskSize = -static_cast<std::int32_t>(alone.size());
        const Bytes bytes = buildImage({disk, back});
        writeFile(scratch.image(), bytes);
        ReferenceReader reference(bytes);
        reference.open();
        ASSERT_TRUE(reader.open(scratch.image().string().c_str()));
        ASSERT_EQ(reader.getDiskCount(), reference.getDiskCount());
        for (int pass = 0; pass < 12; ++pass) {
            const int selected = images.pick(0, reference.getDiskCount() - 1);
            ASSERT_EQ(reader.selectDisk(selected), reference.selectDisk(selected));
            for (int query = 0; query < 60; ++query) {
                const int track = images.chance(80) ? 2 + query % 3 : images.pick(0, 5);
                const int c = images.chance(95) ? track >> 1 : images.pick(0, 3);
                const int r = images.pick(0, 82);
                const int n = images.chance(90) ? 3 : images.pick(0, 4);
                const int last = images.pick(1, 82);
                reader.setSectorRange(1, last);
                reference.setSectorRange(1, last);
                std::fill(got.begin(), got.end(), 0xEE);
                std::fill(want.begin(), want.end(), 0xEE);
                const int length = images.pick(0, 4096);
                const bool run = images.chance(30);
                const std::int32_t gotCount = run ? reader.readSectors(track, c, track & 1, r, n, got.data(), length)
                                                  : reader.readSector(track, c, track & 1, r, n, got.data(), length);
                const std::int32_t wantCount = run
                                                   ? reference.readSectors(track, c, track & 1, r, n, want.data(), length)
                                                   : reference.readSector(track, c, track & 1, r, n, want.data(), length);
                ASSERT_EQ(gotCount, wantCount) << "round " << round << " pass " << pass << " query " << query;
                ASSERT_EQ(got, want) << "round " << round << " pass " << pass << " query " << query;
            }
        }
    }
}

}  // namespace
