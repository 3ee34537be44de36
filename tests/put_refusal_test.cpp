// d88put's refusals that guard where a file goes: a run too long for any free
// place, and crafted images whose writes would cover a record's or a disk's
// header, TTLPRG or each other, need more checking than a run may do, or
// cannot be checked at all.
// Each refuses the file by name, and no new image is written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "tests/put_runner.h"

namespace {

// Where the builder puts a disk's first track, and the size of a record of
// a data sector.
constexpr std::int32_t FIRST_TRACK_AT = 0x2B0;
constexpr std::int32_t RECORD_SIZE = 16 + 1024;
constexpr std::int32_t BOOT_RECORD_SIZE = 16 + 256;
constexpr std::int32_t TRACK_SIZE = 5 * RECORD_SIZE;

// Offsets in a disk of directory and data tracks 1, 2, 3, ...
constexpr std::int32_t trackAt(int track) { return FIRST_TRACK_AT + (track - 1) * TRACK_SIZE; }
constexpr std::int32_t sectorDataAt(int track, int r) { return trackAt(track) + (r - 1) * RECORD_SIZE + 16; }

// A record header's bytes, to lay inside another record's data.
void putHeader(Bytes& data, std::size_t at, int c, int h, int r, int n, int count, int size) {
    data[at] = static_cast<std::uint8_t>(c);
    data[at + 1] = static_cast<std::uint8_t>(h);
    data[at + 2] = static_cast<std::uint8_t>(r);
    data[at + 3] = static_cast<std::uint8_t>(n);
    putLE16(data, at + 4, static_cast<unsigned>(count));
    putLE16(data, at + 14, static_cast<unsigned>(size));
}

// A disk of the directory `entries` and data tracks 2 to `lastTrack`.
Disk dataDisk(const std::vector<Bytes>& entries, int lastTrack) {
    Disk disk;
    disk.track(1, directoryTrack(entries));
    for (int t = 2; t <= lastTrack; ++t) {
        disk.track(t, dataTrack(t));
    }
    return disk;
}

struct Refused {
    const char* what;
    std::vector<Disk> disks;
    std::map<std::string, Bytes> files;  // in the folder "out"
    Args options;
    std::string refusals;  // found in standard error
};

std::vector<Refused> refusedCases() {
    std::vector<Refused> cases;

    // A grows past B; the only free run, 3/3 to 3/5, is one sector short.
    cases.push_back({"no free run",
                     {dataDisk({dirEntry("A", 2, 1, 2, 1), dirEntry("B", 2, 2, 3, 2)}, 3)},
                     {{"A", bytes(4000, 1)}},
                     {"--relocate"},
                     refused("A", "no free run holds 4 sectors")});

    // Sector 5 of the directory track says its data is longer than it is,
    // and one more record follows: that track's walk reads a header in the
    // middle of A's sector, which A's bytes would overwrite.
    {
        Disk disk = dataDisk({dirEntry("A", 2, 1, 2, 1)}, 2);
        for (Sector& s : disk.tracks[1]) {
            s.sectorCount = 6;
        }
        disk.tracks[1][4].dataSize = RECORD_SIZE + 16 + 512;
        cases.push_back(
            {"record header", {disk}, {{"A", text("a")}}, {}, refused("A", "its place is damaged")});
    }

    // Track 4 starts inside sector 3/1, where a header of sector 4/1
    // stands. A grows into 3/1 and B into 4/1, free sectors both, yet
    // partly the same bytes.
    {
        Disk disk = dataDisk({dirEntry("A", 2, 5, 2, 5), dirEntry("B", 3, 5, 3, 5)}, 3);
        putHeader(disk.tracks[3][0].data, 512, 2, 0, 1, 3, 1, 1024);
        disk.trackOffsets[4] = sectorDataAt(3, 1) + 512;
        cases.push_back({"writes overlap",
                         {disk},
                         {{"A", bytes(2000, 1)}, {"B", bytes(2000, 2)}},
                         {},
                         refused("A", "cross-linked with disk 0 entry 1")
                             + refused("B", "cross-linked with disk 0 entry 0")});
    }

    // Track 2 starts inside TTLPRG's sector 2, the last record track 0's
    // walk reads: A's sector covers the end of TTLPRG's and a padding
    // record that no walk reads.
    {
        std::vector<Sector> boot = bootTrack(SIGNATURE_A);
        std::rotate(boot.begin() + 1, boot.begin() + 2, boot.end());
        putHeader(boot.back().data, 8, 1, 0, 1, 3, 1, 1024);
        boot.push_back(sector(0, 0, 0x80, 3, bytes(1024, 0)));
        for (Sector& s : boot) {
            s.sectorCount = 16;
        }
        Disk disk;
        disk.track(0, boot).track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1)}));
        disk.trackOffsets[2] = FIRST_TRACK_AT + 15 * BOOT_RECORD_SIZE + 16 + 8;
        cases.push_back(
            {"TTLPRG", {disk}, {{"A", text("a")}}, {}, refused("A", "cross-linked with disk 0 TTLPRG")});
    }

    // A second disk of a negative size leads the catalogue back into A's
    // sector, where a third disk's header stands whole: one of no tracks
    // that reaches the end of the file.
    {
        Disk first = dataDisk({dirEntry("A", 2, 1, 2, 1)}, 3);
        constexpr std::int32_t AT = 16;
        const std::int32_t third = sectorDataAt(2, 1) + AT;
        const auto end = static_cast<std::int32_t>(first.build().size()) + FIRST_TRACK_AT;
        Bytes& data = first.tracks[2][0].data;
        std::fill(data.begin() + AT, data.end(), 0);
        putLE32(data, AT + 0x1C, end - third);
        Disk back;
        back.diskSize = third - static_cast<std::int32_t>(first.build().size());
        cases.push_back(
            {"disk header", {first, back}, {{"A", text("a")}}, {}, refused("A", "its place is damaged")});
    }

    // 256 entries, each over all sectors of its disk: more writes than a
    // run holds. The changes that find the list full are refused for it.
    {
        std::vector<Disk> disks;
        std::map<std::string, Bytes> files;
        for (const char prefix : {'A', 'B'}) {
            std::vector<Bytes> entries;
            for (int i = 0; i < 128; ++i) {
                char name[8];
                std::snprintf(name, sizeof name, "%c%03d", prefix, i);
                entries.push_back(dirEntry(name, 2, 1, 163, 5));
                files[name] = text("x");
            }
            disks.push_back(dataDisk(entries, 163));
        }
        // Those before it are refused for sharing sectors.
        cases.push_back({"too many writes",
                         disks,
                         files,
                         {},
                         console(": not put back: more sectors change than d88put can check in one run\n")});
    }

    // Track 0 is a chain of 10000 empty records, and tracks 3 to 163 start
    // at its first 161: walking each track to the write at its end costs
    // more than a million steps.
    {
        Disk disk = dataDisk({dirEntry("A", 2, 1, 2, 1)}, 2);
        constexpr int CHAIN = 10000;
        std::vector<Sector> chain;
        for (int i = 0; i < CHAIN; ++i) {
            Sector s = sector(0, 0, 0x80, 0, {});
            s.sectorCount = 0;
            chain.push_back(s);
        }
        disk.track(0, chain);
        for (int t = 3; t < 164; ++t) {
            disk.trackOffsets[t] = FIRST_TRACK_AT + (t - 3) * 16;
        }
        cases.push_back(
            {"tracks run through each other",
             {disk},
             {{"A", text("a")}},
             {},
             refused("A", "the image's tracks run through each other too much to check its place")});
    }
    // --delete: a disk that would lose its only file; a name two entries
    // write; a directory whose second sector is missing.
    cases.push_back({"empties its disk",
                     {dataDisk({dirEntry("A", 2, 1, 2, 1)}, 2), dataDisk({dirEntry("X", 2, 1, 2, 1)}, 2)},
                     {{"X", text("x")}},
                     {"--delete"},
                     refused("A", "its disk would lose every file it has")});
    cases.push_back({"several entries",
                     {dataDisk({dirEntry("SAME", 2, 1, 2, 1), dirEntry("SAME", 2, 2, 2, 2), dirEntry("K", 2, 3, 2, 3)}, 2)},
                     {{"K", text("k")}},
                     {"--delete"},
                     refused("SAME", "several entries write it: d88put cannot tell which to delete")});
    {
        Disk disk = dataDisk({dirEntry("A", 2, 1, 2, 1), dirEntry("K", 2, 2, 2, 2)}, 2);
        disk.tracks[1].erase(disk.tracks[1].begin() + 1);
        cases.push_back({"damaged directory", {disk}, {{"K", text("k")}}, {"--delete"},
                         refused("A", "its disk's directory is damaged")});
    }
    // --add: a full directory, an empty file, names no entry can have, a
    // damaged directory, no room.
    {
        std::vector<Bytes> entries;
        for (int i = 0; i < 128; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "E%03d", i);
            entries.push_back(dirEntry(name, 2, 1, 2, 1));
        }
        cases.push_back({"directory full", {dataDisk(entries, 2)}, {{"NEW1", text("n")}}, {"--add"},
                         refused("NEW1", "the directory is full")});
    }
    const Disk one = dataDisk({dirEntry("A", 2, 1, 2, 1)}, 3);
    cases.push_back({"empty file", {one}, {{"NEW1", Bytes{}}}, {"--add"},
                     refused("NEW1", "the file is empty: an entry holds at least one sector")});
    cases.push_back({"title", {one}, {{"TTLPRG", text("t")}}, {"--add"}, refused("TTLPRG", "TTLPRG is never added")});
    cases.push_back({"long name", {one}, {{"LONGNAME", text("x")}}, {"--add"},
                     refused("LONGNAME", "its name is no entry name (1 to 6 bytes) d88extract writes as it is")});
    // A refused name leaves the other adds to be checked: every refusal is
    // said in one run.
    cases.push_back({"long name and empty file", {one}, {{"LONGNAME", text("x")}, {"NEW1", Bytes{}}}, {"--add"},
                     refused("LONGNAME", "its name is no entry name (1 to 6 bytes) d88extract writes as it is") +
                         refused("NEW1", "the file is empty: an entry holds at least one sector")});
    cases.push_back({"full disk", {dataDisk({dirEntry("A", 2, 1, 2, 5)}, 2)}, {{"NEW1", text("n")}}, {"--add"},
                     refused("NEW1", "no free run holds 1 sector")});
    {
        Disk disk = dataDisk({dirEntry("A", 2, 1, 2, 1)}, 3);
        disk.tracks[1].erase(disk.tracks[1].begin() + 1);
        cases.push_back({"damaged directory for an add", {disk}, {{"NEW1", text("n")}}, {"--add"},
                         refused("NEW1", "its disk's directory is damaged")});
    }
    // Without --add a file no entry names is refused.
    cases.push_back({"stray", {one}, {{"NOTES", text("n")}}, {},
                     refused("NOTES", "no entry of this name on the disk (--add makes one)")});
    return cases;
}

TEST(PutRefusals, EachCraftedPlaceIsRefusedByNameAndNothingIsWritten) {
    for (const Refused& c : refusedCases()) {
        SCOPED_TRACE(c.what);
        Scratch scratch;
        writeImage(scratch.image(), c.disks);
        const Bytes original = readFile(scratch.image());
        std::filesystem::create_directory(scratch.work() / "out");
        for (const auto& [name, content] : c.files) {
            writeFile(scratch.work() / "out" / name, content);
        }
        Args args = c.options;
        for (const char* more : {"-C", "out", "-o", "new.d88"}) {
            args.push_back(more);
        }
        args.push_back(scratch.image().string());
        const ToolResult result = put(scratch, args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.refusals), std::string::npos) << result.err.substr(0, 2000);
        EXPECT_TRUE(nothingNew(scratch));
        EXPECT_EQ(readFile(scratch.image()), original);
    }
}

}  // namespace

TEST(PutRefusals, ADeleteRefusedForEmptyingItsDiskKeepsItsRoom) {
    // Its files replaced by a new one: the refused deletes keep their
    // sectors, and the add, taking other room, is no refusal of its own.
    Scratch scratch;
    writeImage(scratch.image(), {dataDisk({dirEntry("A", 2, 1, 2, 1), dirEntry("B", 2, 2, 2, 3)}, 3)});
    std::filesystem::create_directory(scratch.work() / "out");
    writeFile(scratch.work() / "out" / "NEW1", text("n"));
    const ToolResult result =
        put(scratch, {"--add", "--delete", "-C", "out", "-o", "new.d88", scratch.image().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, refused("A", "its disk would lose every file it has") +
                              refused("B", "its disk would lose every file it has"));
    EXPECT_TRUE(nothingNew(scratch));
}
