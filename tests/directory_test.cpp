// The directory walk seen from outside: listing lines, files and status.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, Bytes>;

// A disk of the tool's layout: the directory on track 1 and data tracks 2
// to `lastTrack`.
Disk dataDisk(const std::vector<Bytes>& entries, int lastTrack = 8) {
    Disk disk;
    disk.track(1, directoryTrack(entries));
    for (int t = 2; t <= lastTrack; ++t) {
        disk.track(t, dataTrack(t));
    }
    return disk;
}

TEST(Directory, AFileRunsFromOneTrackIntoTheNext) {
    Scratch scratch;
    const ToolResult result = scratch.extract({dataDisk({dirEntry("ABC", 5, 4, 6, 2)})});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, console("ABC      START:05 04    END:06 02   SIZE:1000\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(scratch.files(), (Files{{"ABC", expectedRun(5, 4, 6, 2)}}));
}

TEST(Directory, NamesArePaddedToSixBytesAndUsedInFull) {
    Scratch scratch;
    Bytes katakana = dirEntry("", 3, 1, 3, 1);
    katakana[0] = 0xB1;  // two half-width katakana bytes
    katakana[1] = 0xB2;
    const ToolResult result = scratch.extract(
        {dataDisk({dirEntry("SIXSIX", 2, 5, 2, 5), dirEntry("AB", 3, 2, 3, 3), katakana})});
    EXPECT_EQ(result.out,
              console("SIXSIX   START:02 05    END:02 05   SIZE:0400\n"
                      "AB       START:03 02    END:03 03   SIZE:0800\n"
                      "\xB1\xB2       START:03 01    END:03 01   SIZE:0400\n"));
    EXPECT_EQ(scratch.files(), (Files{{"SIXSIX", dataSector(2, 5)},
                                      {"AB", expectedRun(3, 2, 3, 3)},
                                      {storedName("\xB1\xB2"), dataSector(3, 1)}}));
}

TEST(Directory, EmptyAndReversedEntriesAreListedButNotWritten) {
    Scratch scratch;
    const ToolResult result = scratch.extract(
        {dataDisk({dirEntry("", 2, 1, 2, 1), dirEntry("ZERO", 3, 2, 3, 1), dirEntry("NEG", 4, 1, 3, 3)})});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              console("         START:02 01    END:02 01   SIZE:0400\n"
                      "ZERO     START:03 02    END:03 01   SIZE:0000\n"
                      "NEG      START:04 01    END:03 03   SIZE:fffff800\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(scratch.files().empty());
}

TEST(Directory, TheEndMarkStopsTheWalk) {
    Scratch scratch;
    ToolResult result = scratch.extract({dataDisk({endOfDirectory(), dirEntry("LATER", 2, 1, 2, 1)})});
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(scratch.files().empty());

    result = scratch.extract({dataDisk({dirEntry("FIRST", 2, 1, 2, 1), endOfDirectory(),
                                        dirEntry("LATER", 2, 1, 2, 1)})});
    EXPECT_EQ(result.out, console("FIRST    START:02 01    END:02 01   SIZE:0400\n"));
}

TEST(Directory, AFullDirectoryListsAll128Entries) {
    std::vector<Bytes> entries;
    for (int j = 0; j < 128; ++j) {
        entries.push_back(dirEntry("F" + std::to_string(j), 2 + j % 7, 1 + j % 5, 2 + j % 7, 1 + j % 5));
    }
    Scratch scratch;
    const ToolResult result = scratch.extract({dataDisk(entries)});
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 128);
    EXPECT_EQ(scratch.files().size(), 128u);
    EXPECT_EQ(scratch.files()["F127"], dataSector(2 + 127 % 7, 1 + 127 % 5));
}

TEST(Directory, AHalfReadDirectoryWalksOnlyItsFirst64Entries) {
    // The first disk leaves 100 entries in the tool's buffer; the second
    // disk's directory loses its second sector and must not reuse them.
    std::vector<Bytes> full;
    std::vector<Bytes> second;
    for (int j = 0; j < 100; ++j) {
        full.push_back(dirEntry("OLD" + std::to_string(j), 2, 1, 2, 1));
        second.push_back(dirEntry("NEW" + std::to_string(j), 2, 1, 2, 1));
    }
    Disk damaged = dataDisk(second);
    damaged.tracks[1].erase(damaged.tracks[1].begin() + 1);
    Scratch scratch;
    const ToolResult result = scratch.extract({dataDisk(full), damaged});
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 164);
    EXPECT_EQ(result.out.substr(result.out.size() - console("\n").size() - 45),
              console("NEW63    START:02 01    END:02 01   SIZE:0400\n"));
    EXPECT_EQ(scratch.files().count("NEW64"), 0u);

    // A disk without a directory track lists nothing at all.
    const ToolResult none = scratch.extract({dataDisk(full), Disk{}});
    EXPECT_EQ(std::count(none.out.begin(), none.out.end(), '\n'), 100);
}

TEST(Directory, MissingSectorsLeaveNoFileOrAZeroFilledOne) {
    Disk disk = dataDisk({dirEntry("GONE", 9, 1, 9, 2), dirEntry("BROKEN", 3, 4, 4, 3)});
    disk.tracks[4].erase(disk.tracks[4].begin() + 1);  // track 4 sector 2
    Scratch scratch;
    const ToolResult result = scratch.extract({disk});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              console("GONE     START:09 01    END:09 02   SIZE:0800\n"
                      "BROKEN   START:03 04    END:04 03   SIZE:1400\n"));
    EXPECT_EQ(result.err, console("d88extract: BROKEN: only 3072 of 5120 bytes could be read; the rest is zero\n"));
    Bytes expected = expectedRun(3, 4, 4, 1);
    expected.resize(5120, 0);
    EXPECT_EQ(scratch.files(), (Files{{"BROKEN", expected}}));
}

TEST(Directory, TheLargestEntryFitsTheTransferBuffer) {
    // Start 00/00, end ff/ff: 1531 sectors. Sector 0 of track 0 exists here,
    // so the run goes on through every track of the disk.
    Disk disk = dataDisk({dirEntry("ALL", 0, 0, 255, 255)}, 163);
    disk.track(0, {sector(0, 0, 0, 3, dataSector(0, 0))});
    Scratch scratch;
    const ToolResult result = scratch.extract({disk});
    EXPECT_EQ(result.out, console("ALL      START:00 00    END:ff ff   SIZE:17ec00\n"));
    EXPECT_EQ(result.err, console("d88extract: ALL: only 1024 of 1567744 bytes could be read; the rest is zero\n"));
    const Bytes written = scratch.files()["ALL"];
    ASSERT_EQ(written.size(), 1567744u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 1024), dataSector(0, 0));
    EXPECT_EQ(written.back(), 0);
}

TEST(Directory, TheFileWrittenLastWins) {
    Disk first = dataDisk({dirEntry("SAME", 2, 1, 2, 1), dirEntry("SAME", 2, 2, 2, 2),
                           dirEntry("SAME", 9, 1, 9, 1)});  // nothing to read: no file
    first.track(0, bootTrack(SIGNATURE_A));
    Scratch scratch;
    ToolResult result = scratch.extract({first});
    EXPECT_EQ(scratch.files(), (Files{{"SAME", dataSector(2, 2)}, {"TTLPRG", titleBytes()}}));

    Disk second = dataDisk({dirEntry("SAME", 3, 3, 3, 3), dirEntry("TTLPRG", 4, 4, 4, 4)});
    result = scratch.extract({first, second});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(scratch.files(), (Files{{"SAME", dataSector(3, 3)}, {"TTLPRG", dataSector(4, 4)}}));
}

TEST(UnsafeNames, NamesThatLeaveTheFolderAreRefusedAndFailTheRun) {
    Scratch scratch;
    fs::create_directory(scratch.work() / "sub");
    const ToolResult result = scratch.extract({dataDisk({
        dirEntry("../esc", 2, 1, 2, 1),
        dirEntry("sub/in", 2, 2, 2, 2),
        dirEntry(".", 2, 3, 2, 3),
        dirEntry("..", 2, 4, 2, 4),
        dirEntry("../nil", 9, 1, 9, 1),  // nothing read: nothing said
        dirEntry("a\\b:c", 2, 5, 2, 5),  // ordinary bytes on Linux only
    })});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              console("../esc   START:02 01    END:02 01   SIZE:0400\n"
                      "sub/in   START:02 02    END:02 02   SIZE:0400\n"
                      ".        START:02 03    END:02 03   SIZE:0400\n"
                      "..       START:02 04    END:02 04   SIZE:0400\n"
                      "../nil   START:09 01    END:09 01   SIZE:0400\n"
                      "a\\b:c    START:02 05    END:02 05   SIZE:0400\n"));
    EXPECT_EQ(result.err,
              console("d88extract: ../esc: not written: the name contains '/'\n"
                      "d88extract: sub/in: not written: the name contains '/'\n"
                      "d88extract: .: not written: the name is a folder\n"
                      "d88extract: ..: not written: the name is a folder\n"
                      + std::string(toolRunsOnWindows()
                                        ? "d88extract: a\\b:c: not written: the name contains '\\'\n"
                                        : "")));
    Files expected{{"sub", text("<dir>")}};
    if (!toolRunsOnWindows()) {
        expected["a\\b:c"] = dataSector(2, 5);
    }
    EXPECT_EQ(scratch.files(), expected);
    EXPECT_TRUE(fs::is_empty(scratch.work() / "sub"));
    EXPECT_FALSE(fs::exists(scratch.root() / "esc"));
    EXPECT_FALSE(fs::exists(scratch.root() / "nil"));
}

TEST(UnsafeNames, DeviceNamesAndStreamSeparatorsAreRefusedOnWindowsOnly) {
    // Names on these disks are often padded with spaces, which Windows drops:
    // "NUL  " opens the device as surely as "NUL" or "nul.tx".
    const std::vector<std::string> refusedOnWindows = {"CON",  "prn",    "Aux.tx", "NUL  ",
                                                       "COM9", "lpt1.a", "con .x", "x:y"};
    std::vector<Bytes> entries;
    for (const std::string& name : refusedOnWindows) {
        entries.push_back(dirEntry(name, 2, 1, 2, 1));
    }
    entries.push_back(dirEntry("PAD  ", 2, 2, 2, 2));
    Scratch scratch;
    const ToolResult result = scratch.extract({dataDisk(entries)});

    const bool windows = toolRunsOnWindows();
    std::string refusals;
    Files expected{{storedName("PAD  "), dataSector(2, 2)}};
    for (const std::string& name : refusedOnWindows) {
        if (windows) {
            const bool colon = name.find(':') != std::string::npos;
            refusals += "d88extract: " + name + ": not written: "
                        + (colon ? "the name contains ':'" : "the name is a device") + "\n";
        } else {
            expected[name] = dataSector(2, 1);
        }
    }
    EXPECT_EQ(result.status, windows ? 1 : 0);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 9);
    EXPECT_EQ(result.err, console(refusals));
    EXPECT_EQ(scratch.files(), expected);
}

TEST(ShiftJisNames, EachIsWrittenUnderItsReadingAndOnlyLoneSeparatorsAreRefused) {
    const std::vector<std::string> written = {
        "\xBB\xDD\xCC\xDF\xD9",  // half-width kana
        "\x95\x5C\x8E\xA6",       // two kanji, the first ending in 0x5C
        "\x83\x5C",               // katakana ending in 0x5C
        "\x94\x5C\x97\xCD",       // kanji ending in 0x5C
        "\x83\x7C",               // katakana ending in 0x7C
        "A\x83\x5C\xB1" "1",       // mixed with ASCII and half-width kana
        "AB\x83",                 // a lead byte with nothing after it
    };
    // Separators standing alone, also right after a double-byte character.
    const std::vector<std::string> refusedOnWindows = {"A\\B", "\xB1:", "\x83\x5C\\"};
    std::vector<Bytes> entries;
    std::vector<std::string> names = written;
    names.insert(names.end(), refusedOnWindows.begin(), refusedOnWindows.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        entries.push_back(dirEntry(names[i], 2 + i / 5, 1 + i % 5, 2 + i / 5, 1 + i % 5));
    }
    Scratch scratch;
    const ToolResult result = scratch.extract({dataDisk(entries)});

    const bool windows = toolRunsOnWindows();
    Files expected;
    std::string refusals;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (windows && i >= written.size()) {
            const bool colon = names[i].back() == ':';
            refusals += "d88extract: " + names[i] + ": not written: the name contains '"
                        + (colon ? ":" : "\\") + "'\n";
        } else {
            expected[storedName(names[i])] = dataSector(2 + i / 5, 1 + i % 5);
        }
    }
    EXPECT_EQ(result.status, windows ? 1 : 0);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 10);
    EXPECT_EQ(result.err, console(refusals));
    EXPECT_EQ(scratch.files(), expected);
}

}  // namespace
