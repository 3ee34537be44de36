// d88info seen from outside: the exact page for each kind of image, the
// command line's statuses, and that it never writes a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string EXAMPLES = EXAMPLES_DIR;
const std::string TRACKS = "  track   C/H  offset      records  identities C H R N, in file order\n";
const std::string ENTRIES = "    #  written       bytes 6-11    entry, as d88extract lists it\n";

// Windows text mode ends every line in CR LF: the pages below are compared
// as text.
std::string asText(const std::string& stream) {
    std::string text;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        if (!(stream[i] == '\r' && i + 1 < stream.size() && stream[i + 1] == '\n')) {
            text += stream[i];
        }
    }
    EXPECT_EQ(console(text), stream);
    return text;
}

ToolResult info(const Scratch& scratch, const std::vector<std::string>& args,
                const std::string& stdoutPath = "") {
    ToolResult result = scratch.run(args, stdoutPath, {}, infoPath());
    result.out = asText(result.out);
    result.err = asText(result.err);
    return result;
}

// Writes the image and returns the page; every page must come with status 0,
// nothing on standard error and no file in the working folder.
std::string page(const std::vector<Disk>& disks) {
    Scratch scratch;
    writeImage(scratch.image(), disks);
    const ToolResult result = info(scratch, {"d88info", scratch.image().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(scratch.files().empty());
    const std::string prefix = scratch.image().string() + ": ";
    EXPECT_EQ(result.out.substr(0, prefix.size()), prefix);
    return result.out.substr(prefix.size());
}

std::string firstLines(const std::string& text, int count) {
    std::size_t end = 0;
    for (int i = 0; i < count && end != std::string::npos; ++i) {
        end = text.find('\n', end + (i > 0 ? 1 : 0));
    }
    return text.substr(0, end == std::string::npos ? end : end + 1);
}

// The directory on track 1 and data tracks 2 to 4.
Disk dataDisk(const std::vector<Bytes>& entries) {
    Disk disk;
    disk.name = "DATA";
    disk.track(1, directoryTrack(entries));
    for (int t = 2; t <= 4; ++t) {
        disk.track(t, dataTrack(t));
    }
    return disk;
}

const std::string DATA_TRACKS =
    TRACKS +
    "     01  00/1  0x000002b0        5  00 01 01 03  00 01 02 03  00 01 03 03  00 01 04 03  00 01 05 03\n"
    "     02  01/0  0x00001700        5  01 00 01 03  01 00 02 03  01 00 03 03  01 00 04 03  01 00 05 03\n"
    "     03  01/1  0x00002b50        5  01 01 01 03  01 01 02 03  01 01 03 03  01 01 04 03  01 01 05 03\n"
    "     04  02/0  0x00003fa0        5  02 00 01 03  02 00 02 03  02 00 03 03  02 00 04 03  02 00 05 03\n";

TEST(InfoCommandLine, HelpAndVersionGoToStandardOutput) {
    Scratch scratch;
    const ToolResult help = info(scratch, {"d88info", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, help.out.find('\n') + 1), "Usage: d88info [--utf8] [--json] [--map] [--disk=N]... IMAGE\n");
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_NE(help.out.find("\n      --  "), std::string::npos) << "the end of options";
    EXPECT_EQ(help.err, "");

    const ToolResult version = info(scratch, {"d88info", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "d88info 1.0.0\nLicense: MIT\n");
    EXPECT_EQ(version.err, "");
}

TEST(InfoCommandLine, AWrongCallPrintsTheUsageAndExitsTwo) {
    Scratch scratch;
    writeImage(scratch.image(), {dataDisk({})});
    const std::string image = scratch.image().string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"d88info"}, {"d88info", image, image}, {"d88info", "-v"}, {"d88info", "--help", image}}) {
        const ToolResult result = info(scratch, args);
        EXPECT_EQ(result.status, 2) << args.size();
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Usage: d88info [--utf8] [--json] [--map] [--disk=N]... IMAGE\n"
                              "Try 'd88info --help' for more information.\n");
    }
}

TEST(InfoCommandLine, AnImageThatCannotBeOpenedIsNamedAndExitsOne) {
    Scratch scratch;
    const std::string missing = (scratch.root() / "missing.d88").string();
    const ToolResult result = info(scratch, {"d88info", missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "d88info: " + missing + ": cannot open the image: No such file or directory\n");

    const std::string folder = scratch.root().string();
    const ToolResult notAFile = info(scratch, {"d88info", folder});
    EXPECT_EQ(notAFile.status, 1);
    EXPECT_EQ(notAFile.err.rfind("d88info: " + folder + ": cannot open the image: ", 0), 0u) << notAFile.err;
}

TEST(InfoCommandLine, LostStandardOutputExitsOne) {
    Scratch scratch;
    writeImage(scratch.image(), {dataDisk({})});
    const ToolResult result = info(scratch, {"d88info", scratch.image().string()}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88info: cannot write to standard output: No space left on device\n");
    EXPECT_EQ(info(scratch, {"d88info", "--help"}, "/dev/full").status, 1);
}

TEST(InfoCommandLine, DiskShowsOnlyThoseDisksAndOneTheImageLacksExitsOne) {
    Disk second = dataDisk({dirEntry("SECOND", 2, 1, 2, 1)});
    second.name = "OTHER";
    Scratch scratch;
    writeImage(scratch.image(), {dataDisk({dirEntry("FIRST", 2, 1, 2, 1)}), second});
    const std::string image = scratch.image().string();
    const std::string whole = info(scratch, {"d88info", image}).out;
    const ToolResult one = info(scratch, {"d88info", "--disk=1", image});
    EXPECT_EQ(one.status, 0);
    // The first line still counts every disk.
    EXPECT_EQ(one.out, whole.substr(0, whole.find('\n') + 1) + whole.substr(whole.find("\nDisk 1:")));

    const ToolResult missing = info(scratch, {"d88info", "--disk=1", "--disk=2", image});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "d88info: no disk 2 in the image\n");
    EXPECT_EQ(info(scratch, {"d88info", "--disk=one", image}).status, 2);
}

TEST(InfoPage, TheSampleImagePrintsTheShippedPage) {
    Scratch scratch;
    const ToolResult result = info(scratch, {"d88info", EXAMPLES + "/sample.d88"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    // The shipped page names the image as the README runs it, from the
    // examples folder's parent.
    const Bytes shippedBytes = readFile(EXAMPLES + "/sample.info");
    const std::string shipped(shippedBytes.begin(), shippedBytes.end());
    EXPECT_EQ(result.out, EXAMPLES + "/sample.d88" + shipped.substr(shipped.find(": ")));
    EXPECT_TRUE(scratch.files().empty());
}

TEST(InfoPage, BootDisksShowTheirSignatureMediaAndABrokenBootSectorDoesNot) {
    Disk a;
    a.name = "BOOT A";
    a.mediaType = 0x10;
    a.track(0, bootTrack(SIGNATURE_A));
    a.tracks[0].resize(2);
    Disk b = a;
    b.name = "BOOT B";
    b.mediaType = 0x20;
    b.track(0, bootTrack(SIGNATURE_B));
    b.tracks[0].resize(2);
    // The empty disk reads no boot sector: the previous disk's bytes must
    // not stand in for it.
    Bytes nearMiss = bytes(256, 0);
    std::copy(SIGNATURE_B.begin(), SIGNATURE_B.end(), nearMiss.begin() + 1);
    nearMiss[18] = ' ';  // the terminating 0 is part of the signature
    Disk other;
    other.name = "OTHER";
    other.mediaType = 0x30;
    other.track(0, {sector(0, 0, 1, 1, nearMiss)});
    EXPECT_EQ(page({a, b, Disk{}, other}),
              "4 disks\n"
              "\n"
              "Disk 0: \"BOOT A\"\n"
              "  at 0x00000000, size 0x000004d0 (1232 bytes), media 0x10 (2DD), boot signature A\n" + TRACKS +
              "     00  00/0  0x000002b0        2  00 00 01 01  00 00 02 01\n"
              "  TTLPRG: some: 0100  replaced by disk 1 TTLPRG\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n"
              "\n"
              "Disk 1: \"BOOT B\"\n"
              "  at 0x000004d0, size 0x000004d0 (1232 bytes), media 0x20 (2HD), boot signature B\n" + TRACKS +
              "     00  00/0  0x000002b0        2  00 00 01 01  00 00 02 01\n"
              "  TTLPRG: some: 0100\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n"
              "\n"
              "Disk 2: \"\"\n"
              "  at 0x000009a0, size 0x000002b0 (688 bytes), media 0x00 (2D), no boot sector\n"
              "  no tracks\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n"
              "\n"
              "Disk 3: \"OTHER\"\n"
              "  at 0x00000c50, size 0x000003c0 (960 bytes), media 0x30 (unknown), no boot signature\n" + TRACKS +
              "     00  00/0  0x000002b0        1  00 00 01 01\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n");
}

TEST(InfoPage, ADiskSizeOfZeroRepeatsItsHeaderUntilTheCatalogueIsFull) {
    Disk first = dataDisk({dirEntry("FIRST", 2, 1, 2, 1)});
    Disk stuck = dataDisk({dirEntry("STUCK", 2, 1, 2, 1)});
    stuck.name = "STUCK";
    stuck.diskSize = 0;
    const std::string out = page({first, stuck});
    EXPECT_EQ(out.substr(0, out.find("\nDisk 2:")),
              "64 disks\n"
              "\n"
              "Disk 0: \"DATA\"\n"
              "  at 0x00000000, size 0x000053f0 (21488 bytes), media 0x00 (2D), no boot sector\n" + DATA_TRACKS +
              "  directory: 128 of 128 entries read\n" + ENTRIES +
              "    0  all           000000000000  FIRST    START:02 01    END:02 01   SIZE:0400\n"
              "  free: 14 sectors, longest run 14 at track 02 sector 02\n"
              "\n"
              "Disk 1: \"STUCK\"\n"
              "  at 0x000053f0, size 0x00000000 (0 bytes), media 0x00 (2D), no boot sector\n" + TRACKS +
              "     01  00/1  0x000002b0        -  outside the disk\n"
              "     02  01/0  0x00001700        -  outside the disk\n"
              "     03  01/1  0x00002b50        -  outside the disk\n"
              "     04  02/0  0x00003fa0        -  outside the disk\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n");
    const std::string block = out.substr(out.find("Disk 1:") + 7, out.find("\nDisk 2:") - out.find("Disk 1:") - 7);
    EXPECT_EQ(out.substr(out.find("Disk 63:") + 8), block);
    EXPECT_EQ(out.find("Disk 64:"), std::string::npos);
}

// The catalogue ends at 64 disks; a 65th whole header is said on the first
// line, and a short one after the 64th is not (it would be no disk).
TEST(InfoPage, AFileOfMoreThan64DisksSaysOnlyTheFirst64AreRead) {
    std::vector<Disk> disks(65);
    disks[64].name = "PAST THE END";
    const std::string more = page(disks);
    EXPECT_EQ(firstLines(more, 1), "64 disks (the file holds more; only the first 64 are read)\n");
    EXPECT_NE(more.find("Disk 63:"), std::string::npos);
    EXPECT_EQ(more.find("PAST THE END"), std::string::npos);

    disks.pop_back();
    Disk partial;
    partial.diskSize = 0;
    Bytes image = buildImage(disks);
    const Bytes header = partial.build();
    image.insert(image.end(), header.begin(), header.end() - 1);
    Scratch scratch;
    writeFile(scratch.image(), image);
    const ToolResult exact = info(scratch, {"d88info", scratch.image().string()});
    EXPECT_EQ(firstLines(exact.out, 1), scratch.image().string() + ": 64 disks\n");
}

TEST(InfoPage, TracksListTheirIdentitiesInFileOrderDuplicatesIncluded) {
    Disk disk;
    disk.track(2, {sector(1, 0, 2, 1, {}), sector(1, 0, 1, 1, {}), sector(1, 0, 2, 1, {}),
                   sector(1, 0, 2, 3, {})});
    disk.track(3, std::vector<Sector>(40, sector(1, 1, 9, 1, {})));
    // A count of 0 never ends the track; only the cap does.
    std::vector<Sector> endless(300, sector(7, 1, 3, 2, {}));
    for (Sector& s : endless) {
        s.sectorCount = 0;
    }
    disk.track(4, endless);
    std::string nines;
    std::string sevens;
    for (int i = 0; i < 32; ++i) {
        if (i > 0 && i % 8 == 0) {
            nines += "\n" + std::string(34, ' ');
            sevens += "\n" + std::string(34, ' ');
        }
        nines += "  01 01 09 01";
        sevens += "  07 01 03 02";
    }
    const std::string out = page({disk});
    EXPECT_EQ(out.substr(out.find(TRACKS)),
              TRACKS +
              "     02  01/0  0x000002b0        4  01 00 02 01  01 00 01 01  01 00 02 01  01 00 02 03\n"
              "     03  01/1  0x000002f0       40" + nines + "  ... 8 more\n"
              "     04  02/0  0x00000570     256+" + sevens + "  ... 224+ more\n"
              "  directory: 0 of 128 entries read\n"
              "  free: 0 sectors\n");
}

TEST(InfoPage, AbsentTracksAreLeftOutAndTracksOutsideTheDiskSaySo) {
    Disk disk = dataDisk({dirEntry("GAP", 2, 5, 4, 1), dirEntry("HALF", 3, 4, 4, 1)});
    disk.trackOffsets[3] = 0;         // absent
    disk.trackOffsets[7] = -16;       // before the disk
    disk.trackOffsets[9] = 0x53f1;    // one past its end
    disk.trackOffsets[10] = 0x53f0;   // at its very end: read, but nothing there
    EXPECT_EQ(page({disk}),
              "1 disk\n"
              "\n"
              "Disk 0: \"DATA\"\n"
              "  at 0x00000000, size 0x000053f0 (21488 bytes), media 0x00 (2D), no boot sector\n" + TRACKS +
              "     01  00/1  0x000002b0        5  00 01 01 03  00 01 02 03  00 01 03 03  00 01 04 03  00 01 05 03\n"
              "     02  01/0  0x00001700        5  01 00 01 03  01 00 02 03  01 00 03 03  01 00 04 03  01 00 05 03\n"
              "     04  02/0  0x00003fa0        5  02 00 01 03  02 00 02 03  02 00 03 03  02 00 04 03  02 00 05 03\n"
              "     07  03/1  0xfffffff0        -  outside the disk\n"
              "     09  04/1  0x000053f1        -  outside the disk\n"
              "     0a  05/0  0x000053f0        0\n"
              "  directory: 128 of 128 entries read\n" + ENTRIES +
              "    0  some: 0400    000000000000  GAP      START:02 05    END:04 01   SIZE:1c00\n"
              "    1  none          000000000000  HALF     START:03 04    END:04 01   SIZE:0c00\n"
              "                                   track 03 absent\n"
              "  free: 9 sectors, longest run 5 at track 04 sector 01\n");
}

TEST(InfoPage, ADamagedDirectoryListsOnlyTheEntriesReadFromThisDisk) {
    // The first disk fills the directory buffer; the second loses its second
    // directory sector and must not show the first disk's entries 64 on.
    std::vector<Bytes> full;
    std::vector<Bytes> damaged;
    for (int j = 0; j < 100; ++j) {
        full.push_back(dirEntry("OLD" + std::to_string(j), 2, 1, 2, 1));
        damaged.push_back(dirEntry("NEW" + std::to_string(j), 2, 1, 2, 1));
    }
    damaged[0] = dirEntry("", 2, 2, 2, 3);
    damaged[1] = dirEntry("NEG", 4, 1, 3, 3);
    damaged[2] = dirEntry("GONE", 9, 1, 9, 1);
    damaged[3] = dirEntry("BIG", 4, 5, 255, 255);
    Disk second = dataDisk(damaged);
    second.tracks[1].erase(second.tracks[1].begin() + 1);
    const std::string out = page({dataDisk(full), second});
    const std::string disk1 = out.substr(out.find("Disk 1:"));
    EXPECT_EQ(firstLines(disk1.substr(disk1.find("  directory:")), 7),
              "  directory: 64 of 128 entries read\n" + ENTRIES +
              "    0  no name       000000000000           START:02 02    END:02 03   SIZE:0800\n"
              "    1  no size       000000000000  NEG      START:04 01    END:03 03   SIZE:fffff800\n"
              "    2  none          000000000000  GONE     START:09 01    END:09 01   SIZE:0400\n"
              "                                   track 09 absent\n"
              "    3  some: 0400    000000000000  BIG      START:04 05    END:ff ff   SIZE:178800\n");
    EXPECT_EQ(std::count(disk1.begin(), disk1.end(), '\n'), 3 + 4 + 2 + 64 + 1 + 1);
    EXPECT_EQ(disk1.find("OLD"), std::string::npos);
    EXPECT_NE(disk1.find("NEW63 "), std::string::npos);
    EXPECT_EQ(disk1.find("NEW64"), std::string::npos);
}

TEST(InfoPage, EachEntrySaysWhyItIsNotWrittenOrWhatReplacesIt) {
    Disk disk = dataDisk({dirEntry("ZERO", 3, 2, 3, 2), dirEntry("MISS", 2, 6, 2, 6), dirEntry("SHORT", 4, 1, 4, 2),
                          dirEntry("OUT", 5, 1, 5, 1), dirEntry("../x", 2, 1, 2, 1), dirEntry("IMG", 2, 1, 2, 1),
                          dirEntry("DUP", 2, 1, 2, 1), dirEntry("DUP", 2, 2, 2, 2)});
    // Bytes 6 to 11, which no program reads, are shown as they stand.
    const Bytes skipped = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab};
    std::copy(skipped.begin(), skipped.end(), disk.tracks[1][0].data.begin() + 7 * 16 + 6);
    disk.tracks[3][0].sectorCount = 0;  // ends every lookup on the track
    disk.tracks[4][0].data.resize(100);
    disk.track(5, dataTrack(5));
    disk.trackOffsets[5] = -16;
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    // d88extract, run here, would find the image under this name.
    fs::create_symlink(scratch.image(), scratch.work() / "IMG");
    const ToolResult result = info(scratch, {"d88info", scratch.image().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.substr(result.out.find(ENTRIES)), ENTRIES +
              "    0  none          000000000000  ZERO     START:03 02    END:03 02   SIZE:0400\n"
              "                                   a sector count of 0 ends track 03 before 01 01 02 03\n"
              "    1  none          000000000000  MISS     START:02 06    END:02 06   SIZE:0400\n"
              "                                   sector 01 00 06 03 not found on track 02\n"
              "    2  none          000000000000  SHORT    START:04 01    END:04 02   SIZE:0800\n"
              "                                   sector 02 00 01 03 of track 04 holds 100 bytes\n"
              "    3  none          000000000000  OUT      START:05 01    END:05 01   SIZE:0400\n"
              "                                   track 05 outside the disk\n"
              "    4  refused       000000000000  ../x     START:02 01    END:02 01   SIZE:0400\n"
              "                                   the name contains '/'\n"
              "    5  refused       000000000000  IMG      START:02 01    END:02 01   SIZE:0400\n"
              "                                   the file is the image being read\n"
              "    6  all           000000000000  DUP      START:02 01    END:02 01   SIZE:0400\n"
              "                                   replaced by disk 0 entry 7\n"
              "    7  all           0123456789ab  DUP      START:02 02    END:02 02   SIZE:0400\n"
              "  free: 7 sectors, longest run 4 at track 04 sector 02\n");
}

// Below track 10 hex and decimal agree: tracks 0x1a and 0xa3 (163, three
// decimal digits) tell them apart in every line that names a place.
TEST(InfoPage, PlacesPastTrackNineAreTwoHexDigitsInEveryLine) {
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("GONE", 0x7b, 1, 0x7b, 2), dirEntry("LAST", 0xa3, 1, 0xa3, 1)}));
    disk.track(0x1a, dataTrack(0x1a)).track(0xa3, dataTrack(0xa3));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const ToolResult result = info(scratch, {"d88info", "--map", scratch.image().string()});
    EXPECT_EQ(result.status, 0);
    for (const char* line : {"\n     1a  0d/0  0x", "\n     a3  51/1  0x",
                             "\n                                   track 7b absent\n",
                             "\n  free: 9 sectors, longest run 5 at track 1a sector 01\n",
                             "\n     1a   .    .    .    .    .\n", "\n     7b   x    x    x    x    x\n",
                             "\n     a3   1    .    .    .    .\n"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << " in\n" << result.out;
    }
}

}  // namespace

namespace {

TEST(InfoCommandLine, Utf8ShowsTheDiskAndEntryNamesInUtf8) {
    Disk disk;
    disk.name = "\xBB\xDD\xCC\xDF\xD9";  // ｻﾝﾌﾟﾙ
    disk.track(1, directoryTrack({dirEntry("\xBB\xDD", 2, 1, 2, 1)})).track(2, dataTrack(2));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const ToolResult result = info(scratch, {"d88info", "--utf8", scratch.image().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Disk 0: \"\xEF\xBD\xBB\xEF\xBE\x9D\xEF\xBE\x8C\xEF\xBE\x9F\xEF\xBE\x99\""),
              std::string::npos);
    // Padded by the two Shift_JIS bytes, then converted.
    EXPECT_NE(result.out.find("all           000000000000  \xEF\xBD\xBB\xEF\xBE\x9D       START:02 01"), std::string::npos)
        << result.out;
}

}  // namespace

namespace {

TEST(InfoPage, NamesAreComparedAndRefusedAsTheHostsFileSystemDoes) {
    // Full-width Ａ and ａ are one file to Windows, two to Linux; '?' is
    // refused only by Windows.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("\x82\x60", 2, 1, 2, 1), dirEntry("\x82\x81", 2, 2, 2, 2),
                                  dirEntry("A?", 2, 3, 2, 3)}))
        .track(2, dataTrack(2));
    const std::string listed = page({disk});
    std::string entries = listed.substr(listed.find(ENTRIES) + ENTRIES.size());
    entries = entries.substr(0, entries.find("  free:"));
    if (toolRunsOnWindows()) {
        EXPECT_EQ(entries, "    0  all           000000000000  \x82\x60       START:02 01    END:02 01   SIZE:0400\n"
                           "                                   replaced by disk 0 entry 1\n"
                           "    1  all           000000000000  \x82\x81       START:02 02    END:02 02   SIZE:0400\n"
                           "    2  refused       000000000000  A?       START:02 03    END:02 03   SIZE:0400\n"
                           "                                   the name contains '?'\n");
    } else {
        EXPECT_EQ(entries, "    0  all           000000000000  \x82\x60       START:02 01    END:02 01   SIZE:0400\n"
                           "    1  all           000000000000  \x82\x81       START:02 02    END:02 02   SIZE:0400\n"
                           "    2  all           000000000000  A?       START:02 03    END:02 03   SIZE:0400\n");
    }
}

}  // namespace

#include "tests/damaged_images.h"

namespace {

// One disk's page as --map draws it: the entries' runs and marks, the free
// count and longest run the page states, and the map's cells.
struct MappedDisk {
    struct Entry {
        std::string mark;
        long start = 0;  // ordinals: track * 5 + sector
        long end = 0;
        unsigned startSector = 0;
    };
    std::map<long, Entry> entries;
    long free = 0;
    long longest = 0;
    long longestAt = -1;
    // Ordinal to cell text, e.g. "12+", ".", "x".
    std::map<long, std::string> cells;
};

std::vector<MappedDisk> readMaps(const std::string& out) {
    std::vector<MappedDisk> disks;
    std::istringstream lines(out);
    std::string line;
    bool inMap = false;
    while (std::getline(lines, line)) {
        if (line.rfind("Disk ", 0) == 0) {
            disks.emplace_back();
            inMap = false;
            continue;
        }
        if (disks.empty()) {
            continue;
        }
        MappedDisk& disk = disks.back();
        inMap = inMap || line.rfind("  map: ", 0) == 0;
        EXPECT_TRUE(!inMap || line.size() <= 80) << line;
        long index = 0;
        unsigned st = 0, ss = 0, et = 0, es = 0;
        char mark[16] = {};
        if (line.rfind("  free: ", 0) == 0) {
            disk.free = std::stol(line.substr(8));
            unsigned long track = 0, sector = 0;
            const std::size_t run = line.find(", longest run ");
            // The run's length is a count, its place two hex digits each.
            if (run != std::string::npos
                && std::sscanf(line.c_str() + run, ", longest run %ld at track %2lx sector %2lx", &disk.longest,
                               &track, &sector) == 3) {
                disk.longestAt = static_cast<long>(track * 5 + sector);
            }
        } else if (inMap && line.size() > 7 && line[2] == ' ' && line[4] != 'N') {
            const long track = std::stol(line.substr(0, 7), nullptr, 16);
            for (long sector = 1; sector <= 5; ++sector) {
                std::string cell = line.size() > static_cast<std::size_t>(7 + 5 * (sector - 1))
                                       ? line.substr(static_cast<std::size_t>(7 + 5 * (sector - 1)), 5)
                                       : "";
                cell.erase(0, cell.find_first_not_of(' '));
                cell.erase(cell.find_last_not_of(' ') + 1);
                disk.cells[track * 5 + sector] = cell;
            }
        } else if (!inMap && line.size() > 35 && std::sscanf(line.c_str(), "  %3ld  %15[a-z ]", &index, mark) == 2
                   && line.find("START:") != std::string::npos) {
            std::sscanf(line.c_str() + line.find("START:"), "START:%x %x    END:%x %x", &st, &ss, &et, &es);
            std::string text = mark;
            text.erase(text.find_last_not_of(' ') + 1);
            disk.entries[index] = {text, static_cast<long>(st * 5 + ss), static_cast<long>(et * 5 + es), ss};
        }
    }
    return disks;
}

// The map must draw what the page counts: its free cells are the free
// sectors and their longest run, each entry's cells lie in its run, and a
// file written in full is drawn on every sector of its run.
TEST(InfoMap, TheMapDrawsTheRoomThePageCountsOnDamagedImages) {
    DamagedImages images(20261231);
    const int rounds = toolRunsOnWindows() ? 10 : 60;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        Scratch scratch;
        writeImage(scratch.image(), images.disks());
        const ToolResult result = info(scratch, {"d88info", "--map", scratch.image().string()});
        ASSERT_EQ(result.status, 0) << result.err;
        const ToolResult plain = info(scratch, {"d88info", scratch.image().string()});
        ASSERT_EQ(plain.status, 0) << plain.err;
        // The map only adds lines after each disk's free count.
        std::string withoutMaps;
        std::istringstream lines(result.out);
        bool skipping = false;
        for (std::string line; std::getline(lines, line);) {
            skipping = (skipping || line.rfind("  map: ", 0) == 0) && line.rfind("Disk ", 0) != 0 && !line.empty();
            withoutMaps += skipping ? "" : line + "\n";
        }
        EXPECT_EQ(withoutMaps, plain.out);
        for (const MappedDisk& disk : readMaps(result.out)) {
            long dots = 0;
            long run = 0;
            long longest = 0;
            long longestAt = -1;
            // Sector 5 of a track is followed by sector 1 of the next: the
            // ordinals of the cells, row by row, follow one another.
            for (long at = 2 * 5 + 1; at <= 163 * 5 + 5; ++at) {
                const auto found = disk.cells.find(at);
                const std::string cell = found == disk.cells.end() ? "x" : found->second;
                if (cell == ".") {
                    ++dots;
                    ++run;
                    if (run > longest) {
                        longest = run;
                        longestAt = at - run + 1;
                    }
                    continue;
                }
                run = 0;
                if (cell == "x") {
                    continue;
                }
                const long holder = std::stol(cell);
                ASSERT_EQ(disk.entries.count(holder), 1u) << cell;
                const MappedDisk::Entry& entry = disk.entries.at(holder);
                EXPECT_LE(entry.start, at) << cell;
                EXPECT_LE(at, entry.end) << cell;
                if (cell.back() == '+') {
                    EXPECT_TRUE(std::any_of(disk.entries.upper_bound(holder), disk.entries.end(),
                                            [at](const auto& other) {
                                                return other.second.start <= at && at <= other.second.end;
                                            }))
                        << cell;
                }
            }
            EXPECT_EQ(dots, disk.free);
            EXPECT_EQ(longest, disk.longest);
            EXPECT_EQ(longestAt, disk.longestAt);
            for (const auto& [index, entry] : disk.entries) {
                // A run from sector 0 or above 5 does not step as the
                // ordinals do.
                if (entry.mark != "all" || entry.startSector < 1 || entry.startSector > 5 || entry.start < 2 * 5 + 1) {
                    continue;
                }
                for (long at = entry.start; at <= entry.end; ++at) {
                    const std::string& cell = disk.cells.at(at);
                    EXPECT_TRUE(cell == std::to_string(index)
                                || (cell.back() == '+' && std::stol(cell) <= index))
                        << index << " at " << at << ": " << cell;
                }
            }
        }
    }
}

}  // namespace
