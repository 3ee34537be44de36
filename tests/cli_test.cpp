// The command line, the boot check and TTLPRG, seen from outside: exit
// status, exact standard output and error bytes, and the files left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string FOUND = "Found: DISK-A  cutting ... TTLPRG\n";
const std::string CANNOT_OPEN =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x49\x81\x5B\x83\x76"
    "\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\n";

Disk bootDisk(const Bytes& signature, std::uint8_t fill = 0x40) {
    Disk disk;
    disk.track(0, bootTrack(signature, fill));
    return disk;
}

using Files = std::map<std::string, Bytes>;

TEST(CommandLine, NoArgumentPrintsTheUsageLineAloneNamingTheProgram) {
    Scratch scratch;
    const ToolResult none = scratch.run({"./bin/x88"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, console("Usage: " + invokedAs("./bin/x88") + " [d88file]\n"));
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(scratch.files().empty());
}

TEST(CommandLine, AnUnopenablePathGetsTheShiftJisMessage) {
    Scratch scratch;
    for (const fs::path& path : {scratch.root() / "missing.d88", scratch.root()}) {
        const ToolResult result = scratch.run({"d88extract", path.string()});
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_EQ(result.err, console(CANNOT_OPEN)) << path;
        EXPECT_EQ(result.out, "") << path;
    }
    EXPECT_TRUE(scratch.files().empty());
}

// A POSIX process gets its arguments as they were given; only a Windows
// program splits a command line, and its C runtime might expand wildcards.
// These run in the Wine suite.
constexpr char SPLIT_ONLY_ON_WINDOWS[] = "only a Windows program splits its command line";

TEST(CommandLine, APathWithSpacesArrivesAsOneArgument) {
    if (!toolRunsOnWindows()) {
        GTEST_SKIP() << SPLIT_ONLY_ON_WINDOWS;
    }
    Scratch scratch;
    const fs::path spaced = scratch.root() / "two words.d88";
    writeImage(spaced, {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", spaced.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console(FOUND));
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));
}

TEST(CommandLine, AnImagePathOfKanaAndKanjiOpensInEitherTool) {
    // Half-width kana and a kanji whose second Shift_JIS byte is 0x5C: no
    // code page but 932 holds them, and an English Windows none of them.
    Scratch scratch;
    const fs::path path = scratch.root() / "\uFF7B\uFF9D\u8868.d88";
    writeImage(path, {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", path.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console(FOUND));
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));

    const ToolResult info = scratch.run({"d88info", path.string()}, "", {}, infoPath());
    EXPECT_EQ(info.status, 0) << info.err;
    const std::string firstLine = shownArgument(path.string()) + ": 1 disk\n";
    EXPECT_EQ(info.out.substr(0, console(firstLine).size()), console(firstLine));
}

TEST(CommandLine, WildcardsAreNotExpanded) {
    if (!toolRunsOnWindows()) {
        GTEST_SKIP() << SPLIT_ONLY_ON_WINDOWS;
    }
    Scratch scratch;
    writeImage(scratch.work() / "a.d88", {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", "*.d88"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, console(CANNOT_OPEN));
    EXPECT_EQ(result.out, "");
}

TEST(CommandLine, AnImageWithoutDisksSucceedsSilently) {
    Scratch scratch;
    const ToolResult result = scratch.extract({});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out + result.err, "");
}

TEST(BootCheck, EitherSignatureWritesTheRestOfTheBootTrack) {
    for (const Bytes& signature : {SIGNATURE_A, SIGNATURE_B}) {
        Scratch scratch;
        const ToolResult result = scratch.extract({bootDisk(signature)});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, console(FOUND));
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));
    }
}

TEST(BootCheck, TheTerminatingZeroIsPartOfTheSignature) {
    Bytes nearMiss = SIGNATURE_A;
    nearMiss[17] = ' ';
    Scratch scratch;
    const ToolResult result = scratch.extract({bootDisk(nearMiss)});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(scratch.files().empty());
}

TEST(BootCheck, TheLastBootDiskWritesTTLPRG) {
    Scratch scratch;
    const ToolResult result = scratch.extract({bootDisk(SIGNATURE_A, 0x40), bootDisk(SIGNATURE_B, 0x60)});
    EXPECT_EQ(result.out, console(FOUND + FOUND));
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes(0x60)}}));
}

TEST(BootCheck, OnlyThisDisksBootSectorCounts) {
    // The second disk has no boot track; the first disk's signature still
    // stands in the tool's buffer and must not announce it.
    Disk unreadable;
    unreadable.track(0, {sector(0, 0, 1, 1, bytes(10, 0))});
    Scratch scratch;
    const ToolResult result = scratch.extract({bootDisk(SIGNATURE_A), Disk{}, unreadable});
    EXPECT_EQ(result.out, console(FOUND));
}

TEST(BootCheck, AMissingSectorTwoWritesNoTTLPRG) {
    Disk disk = bootDisk(SIGNATURE_A);
    disk.tracks[0].erase(disk.tracks[0].begin() + 1);
    Scratch scratch;
    writeFile(scratch.work() / "TTLPRG", text("earlier"));
    const ToolResult result = scratch.extract({disk});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, console(FOUND));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", text("earlier")}}));
}

TEST(BootCheck, ABrokenBootTrackIsWrittenInFullWithZeros) {
    Disk first = bootDisk(SIGNATURE_A, 0x40);
    Disk second = bootDisk(SIGNATURE_B, 0x60);
    second.tracks[0].resize(2);  // sectors 3 to 16 are missing
    Scratch scratch;
    const ToolResult result = scratch.extract({first, second});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, console(FOUND + FOUND));
    EXPECT_EQ(result.err, console("d88extract: TTLPRG: only 256 of 3840 bytes could be read; the rest is zero\n"));
    Bytes expected = bytes(256, 0x62);
    expected.resize(3840, 0);  // zero, not the first disk's bytes
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", expected}}));
}

TEST(BootCheck, ADiskBeyondTwoGibibytesIsReached) {
    // Offsets past what a 32-bit long holds, as on Windows; the file is sparse.
    constexpr std::streamoff FAR_DISK = 0x7FFFFF00;
    Disk spacer;
    spacer.diskSize = static_cast<std::int32_t>(FAR_DISK);
    Scratch scratch;
    writeImage(scratch.image(), {spacer});
    {
        std::fstream file(scratch.image(), std::ios::in | std::ios::out | std::ios::binary);
        const Bytes far = bootDisk(SIGNATURE_A).build();
        file.seekp(FAR_DISK);
        file.write(reinterpret_cast<const char*>(far.data()), static_cast<std::streamsize>(far.size()));
        ASSERT_TRUE(file.good());
    }
    const ToolResult result = scratch.run({"d88extract", scratch.image().string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, console(FOUND));
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));
}

TEST(OutputFailures, AFolderInTheWayIsReportedAndFailsTheRun) {
    Scratch scratch;
    fs::create_directory(scratch.work() / "TTLPRG");
    const ToolResult result = scratch.extract({bootDisk(SIGNATURE_A)});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, console(FOUND));
    // The C runtime's text for the same refusal differs.
    const std::string reason = toolRunsOnWindows() ? "Permission denied" : "Is a directory";
    EXPECT_EQ(result.err, console("d88extract: TTLPRG: cannot create the file: " + reason + "\n"));
}

TEST(OutputFailures, AFailedWriteIsReportedAndFailsTheRun) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "Windows has no file size limit to hit";
    }
    Scratch scratch;
    writeImage(scratch.image(), {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", scratch.image().string()}, "", [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88extract: TTLPRG: cannot write the file: File too large\n");
}

TEST(OutputFailures, LostStandardOutputFailsTheRun) {
    Scratch scratch;
    writeImage(scratch.image(), {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", scratch.image().string()}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    if (toolRunsOnWindows()) {
        // The reason comes from the C runtime and varies with the Windows
        // version (Wine gives none); the line itself must be there.
        EXPECT_TRUE(result.err.starts_with("d88extract: cannot write to standard output: ")) << result.err;
        EXPECT_TRUE(result.err.ends_with("\r\n")) << result.err;
    } else {
        EXPECT_EQ(result.err, "d88extract: cannot write to standard output: No space left on device\n");
    }
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));
}

}  // namespace

namespace {

// A boot disk whose directory lists `name`, then a second disk with GAME2.
std::vector<Disk> twoDisksListing(const std::string& name) {
    Disk first = bootDisk(SIGNATURE_A);
    first.track(1, directoryTrack({dirEntry(name, 2, 1, 2, 1)})).track(2, dataTrack(2));
    Disk second;
    second.track(1, directoryTrack({dirEntry("GAME2", 2, 1, 2, 2)})).track(2, dataTrack(2));
    return {first, second};
}

TEST(ImageSafety, AnEntryNamedLikeTheImageNeverReplacesIt) {
    // TTLPRG is written by the boot check, not by an entry.
    for (const auto& [name, entry] : {std::pair{"GAME", "GAME"}, std::pair{"TTLPRG", "HELLO"}}) {
        Scratch scratch;
        const std::vector<Disk> disks = twoDisksListing(entry);
        writeImage(scratch.work() / name, disks);
        const ToolResult result = scratch.run({"d88extract", name});
        EXPECT_EQ(result.status, 1) << name;
        EXPECT_EQ(result.err, console("d88extract: " + std::string(name) + ": not written: the file is the image being read\n"));
        EXPECT_EQ(readFile(scratch.work() / name), buildImage(disks)) << name;
        // The walk went on through the whole image.
        EXPECT_EQ(scratch.files().count("GAME2"), 1u) << name;
    }
}

TEST(ImageSafety, TheImageIsFoundInTheOutputFolderToo) {
    Scratch scratch;
    const std::vector<Disk> disks = twoDisksListing("GAME");
    fs::create_directories(scratch.work() / "out" / "disk00");
    writeImage(scratch.work() / "out" / "disk00" / "GAME", disks);
    const ToolResult result = scratch.run({"d88extract", "-C", "out", "--disk-folders", "out/disk00/GAME"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, console("d88extract: disk00/GAME: not written: the file is the image being read\n"));
    EXPECT_EQ(readFile(scratch.work() / "out" / "disk00" / "GAME"), buildImage(disks));
    EXPECT_TRUE(fs::exists(scratch.work() / "out" / "disk01" / "GAME2"));
}

TEST(ImageSafety, ALinkToTheImageIsNotFollowedIntoIt) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "symbolic links are a POSIX case";
    }
    Scratch scratch;
    const std::vector<Disk> disks = twoDisksListing("GAME");
    writeImage(scratch.image(), disks);
    fs::create_symlink(scratch.image(), scratch.work() / "GAME");
    const ToolResult result = scratch.run({"d88extract", scratch.image().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88extract: GAME: not written: the file is the image being read\n");
    EXPECT_EQ(readFile(scratch.image()), buildImage(disks));
    EXPECT_TRUE(fs::is_symlink(scratch.work() / "GAME"));
}

TEST(QuietFailures, AClosedPipeFailsTheRunButEveryFileIsWrittenAndD88infoSaysNothing) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "no SIGPIPE on Windows";
    }
    Scratch scratch;
    writeImage(scratch.image(), twoDisksListing("GAME"));
    const auto closedPipe = [] {
        // As `| head` leaves it: nobody reads, and the signal is at its default.
        int ends[2];
        if (pipe(ends) != 0) {
            _exit(125);
        }
        close(ends[0]);
        dup2(ends[1], STDOUT_FILENO);
        std::signal(SIGPIPE, SIG_DFL);
    };
    const ToolResult result = scratch.run({"d88extract", scratch.image().string()}, "", closedPipe);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88extract: cannot write to standard output: Broken pipe\n");
    EXPECT_EQ(scratch.files().size(), 3u);  // TTLPRG, GAME, GAME2
    // The reader of the page left on purpose.
    const ToolResult info = scratch.run({"d88info", scratch.image().string()}, "", closedPipe, infoPath());
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err, "");
    // So did the reader of the document.
    const ToolResult json = scratch.run({"d88info", "--json", scratch.image().string()}, "", closedPipe, infoPath());
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.err, "");
}

TEST(QuietFailures, AReadErrorIsReportedNotTakenForTheEnd) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "reads are made to fail by a preloaded library";
    }
    Scratch scratch;
    const std::vector<Disk> disks = twoDisksListing("GAME");
    writeImage(scratch.image(), disks);
    // Enough for the catalogue and the first disk, not for the second.
    const std::string budget = std::to_string(disks[0].build().size() + 688);
    const auto failReads = [&budget] {
        setenv("LD_PRELOAD", FAILING_READ_PATH, 1);
        setenv("D88_FAIL_READ_AFTER", budget.c_str(), 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    };
    const std::string path = scratch.image().string();
    const ToolResult result = scratch.run({"d88extract", path}, "", failReads);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88extract: " + path + ": cannot read the image: Input/output error\n");
    EXPECT_EQ(scratch.files().count("GAME"), 1u);
    EXPECT_EQ(scratch.files().count("GAME2"), 0u);

    const ToolResult info = scratch.run({"d88info", path}, "", failReads, infoPath());
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(info.out.ends_with("\nReading the image failed: Input/output error\n")) << info.out;
    const ToolResult json = scratch.run({"d88info", "--json", path}, "", failReads, infoPath());
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(json.out.ends_with("\n  \"read_error\": \"Input/output error\"\n}\n")) << json.out;
}

TEST(QuietFailures, AShortLastSectorIsCountedInTheMessage) {
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("HELLO", 2, 1, 2, 2)})).track(2, dataTrack(2));
    disk.tracks[2][1].data.resize(1000);
    Scratch scratch;
    const ToolResult result = scratch.extract({disk});
    EXPECT_EQ(result.err, console("d88extract: HELLO: only 2024 of 2048 bytes could be read; the rest is zero\n"));
    Bytes expected = expectedRun(2, 1, 2, 2);
    std::fill(expected.begin() + 2024, expected.end(), 0);
    EXPECT_EQ(scratch.files(), (Files{{"HELLO", expected}}));
}

}  // namespace

namespace {

const std::string KANA = "\xBB\xDD\xCC\xDF\xD9";  // ｻﾝﾌﾟﾙ in Shift_JIS
const std::string KANA_UTF8 = "\xEF\xBD\xBB\xEF\xBE\x9D\xEF\xBE\x8C\xEF\xBE\x9F\xEF\xBE\x99";

// Two disks that both hold HELLO and a katakana name; the first boots.
std::vector<Disk> sharedNames() {
    std::vector<Disk> disks;
    for (int i = 0; i < 2; ++i) {
        Disk disk = i == 0 ? bootDisk(SIGNATURE_A) : Disk{};
        disk.track(1, directoryTrack({dirEntry("HELLO", 2 + i, 1, 2 + i, 1), dirEntry(KANA, 2 + i, 2, 2 + i, 2)}));
        disk.track(2 + i, dataTrack(2 + i));
        disks.push_back(disk);
    }
    return disks;
}

std::vector<std::string> withImage(const Scratch& scratch, std::vector<std::string> args) {
    args.insert(args.begin(), "d88extract");
    args.push_back(scratch.image().string());
    return args;
}

TEST(Options, TheOneArgumentCallStaysAsItWas) {
    Scratch scratch;
    writeImage(scratch.work() / "-t", {bootDisk(SIGNATURE_A)});
    const ToolResult dashT = scratch.run({"d88extract", "-t"});
    EXPECT_EQ(dashT.status, 0);
    EXPECT_EQ(dashT.out, console(FOUND));
    EXPECT_EQ(scratch.files().count("TTLPRG"), 1u);

    const ToolResult help = scratch.run({"d88extract", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--keep-old-files"), std::string::npos);
    EXPECT_NE(help.out.find("\n      --  "), std::string::npos) << "the end of options";
    const ToolResult version = scratch.run({"d88extract", "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, console("d88extract 1.0.0\nLicense: MIT\n"));
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"d88extract", "-x", "a.d88"}, {"d88extract", "-t", "-C"}, {"d88extract", "-kt", "a"},
          {"d88extract", "--disk=x", "a"}, {"d88extract", "a", "-t"}}) {
        const ToolResult usage = scratch.run(wrong);
        EXPECT_EQ(usage.status, 1);
        EXPECT_EQ(usage.err, console("Usage: " + invokedAs("d88extract") + " [d88file]\n"
                                     "Try 'd88extract --help' for the options.\n"));
    }
}

TEST(Options, FilesGoIntoTheFolderAndEachDisksOwn) {
    Scratch scratch;
    writeImage(scratch.image(), sharedNames());
    // A folder name in kana and a kanji whose second byte is '\\' in
    // Shift_JIS, given in the terminal's UTF-8.
    const std::string folder = "\xE8\xA1\xA8\xEF\xBD\xB6\xEF\xBE\x85";  // 表ｶﾅ
    const ToolResult plain = scratch.run(withImage(scratch, {"-C", "out/" + folder, "--disk-folders"}));
    EXPECT_EQ(plain.status, 0) << plain.err;
    const fs::path out = scratch.work() / "out" / folder;
    EXPECT_EQ(readFile(out / "disk00" / "HELLO"), dataSector(2, 1));
    EXPECT_EQ(readFile(out / "disk01" / "HELLO"), dataSector(3, 1));
    EXPECT_EQ(readFile(out / "disk00" / "TTLPRG"), titleBytes());
    EXPECT_FALSE(fs::exists(out / "disk01" / "TTLPRG"));

    // Without folders per disk the later disk's file wins, as in the current folder.
    const ToolResult flat = scratch.run(withImage(scratch, {"--directory=flat"}));
    EXPECT_EQ(flat.out, plain.out);
    EXPECT_EQ(readFile(scratch.work() / "flat" / "HELLO"), dataSector(3, 1));
    EXPECT_EQ(scratch.files().size(), 2u);  // out and flat only
}

TEST(Options, KeepOldFilesNeverOpensAnExistingName) {
    Scratch scratch;
    writeImage(scratch.image(), sharedNames());
    writeFile(scratch.work() / "HELLO", text("mine"));
    const bool links = !toolRunsOnWindows();
    if (links) {
        writeFile(scratch.root() / "target", text("theirs"));
        fs::create_symlink(scratch.root() / "target", scratch.work() / "TTLPRG");
    }
    const ToolResult result = scratch.run(withImage(scratch, {"-k"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(scratch.work() / "HELLO"), text("mine"));
    if (links) {
        EXPECT_EQ(readFile(scratch.root() / "target"), text("theirs"));
    }
    // The second disk's katakana file meets the first one's.
    EXPECT_EQ(result.err, console(std::string(links ? "d88extract: TTLPRG: not written: the file exists\n" : "")
                                  + "d88extract: HELLO: not written: the file exists\n"
                                  + "d88extract: HELLO: not written: the file exists\n"
                                  + "d88extract: " + KANA + ": not written: the file exists\n"));
    EXPECT_EQ(readFile(scratch.work() / storedName(KANA)), dataSector(2, 2));
}

TEST(Options, ListOnlyPrintsTheListingAndWritesNothing) {
    Scratch scratch;
    writeImage(scratch.image(), sharedNames());
    const ToolResult list = scratch.run(withImage(scratch, {"-t", "-C", "out"}));
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.err, "");
    EXPECT_TRUE(scratch.files().empty());
    EXPECT_EQ(list.out, scratch.run(withImage(scratch, {})).out);
}

TEST(Options, Utf8NamesInTheListingTheFilesAndTheMessages) {
    Disk disk = bootDisk(SIGNATURE_A);
    disk.track(1, directoryTrack({dirEntry("HELLO", 2, 1, 2, 1), dirEntry(KANA, 2, 2, 2, 3)})).track(2, dataTrack(2));
    disk.tracks[2][2].data.resize(10);  // the katakana file runs short
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const ToolResult result = scratch.run(withImage(scratch, {"--utf8"}));
    // Padded by its five Shift_JIS bytes, as a Japanese console shows it.
    EXPECT_EQ(result.out, console(FOUND + "HELLO    START:02 01    END:02 01   SIZE:0400\n" + KANA_UTF8
                                  + "    START:02 02    END:02 03   SIZE:0800\n"));
    EXPECT_EQ(result.err, console("d88extract: " + KANA_UTF8 + ": only 1034 of 2048 bytes could be read; the rest is zero\n"));
    EXPECT_EQ(scratch.files().count(KANA_UTF8), 1u);

    const ToolResult missing = scratch.run({"d88extract", "--utf8", "missing.d88"});
    EXPECT_EQ(missing.err, console("\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x82\x92\xE3\x82\xAA"
                                   "\xE3\x83\xBC\xE3\x83\x97\xE3\x83\xB3\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE"
                                   "\xE3\x81\x9B\xE3\x82\x93\n"));
}

TEST(Options, Utf8NamesThatConvertAlikeKeepTheirBytes) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "Windows makes its Unicode names of every name, with or without --utf8";
    }
    // 80 and FD are no Shift_JIS characters; 87 90 and 81 E0 are one; E2 89
    // 92 is none, but the UTF-8 of 81 E0's.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A\x80", 2, 1, 2, 1), dirEntry("A\xFD", 2, 2, 2, 2),
                                  dirEntry("\x87\x90", 2, 3, 2, 3), dirEntry("\x81\xE0", 2, 4, 2, 4),
                                  dirEntry("\xE2\x89\x92", 2, 5, 2, 5)}))
        .track(2, dataTrack(2));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const ToolResult result = scratch.run(withImage(scratch, {"--utf8"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88extract: \xE7\xAB\x95\xEF\xBF\xBD: not written: its bytes are another name in UTF-8\n");
    const std::map<std::string, Bytes> files = scratch.files();
    EXPECT_EQ(files.size(), 4u);
    EXPECT_EQ(files.at("A\x80"), dataSector(2, 1));
    EXPECT_EQ(files.at("A\xFD"), dataSector(2, 2));
    EXPECT_EQ(files.at("\x87\x90"), dataSector(2, 3));
    EXPECT_EQ(files.at("\xE2\x89\x92"), dataSector(2, 4));

    const ToolResult info = scratch.run({"d88info", "--utf8", scratch.image().string()}, "", {}, infoPath());
    EXPECT_EQ(info.out.find("replaced by"), std::string::npos) << info.out;
}

}  // namespace

namespace {

const std::string KANJI_ONE = "\x95\x5C" "1";  // 表1: the kanji's second byte is '\\' in ASCII

// A boot disk with HELLO, HI*, 表1 and ｻﾝﾌﾟﾙ, then a disk with HELLO and GAME.
std::vector<Disk> namedFiles() {
    Disk first = bootDisk(SIGNATURE_A);
    first.track(1, directoryTrack({dirEntry("HELLO", 2, 1, 2, 1), dirEntry("HI*", 2, 2, 2, 2),
                                   dirEntry(KANJI_ONE, 2, 3, 2, 3), dirEntry(KANA, 2, 4, 2, 4)}))
        .track(2, dataTrack(2));
    Disk second;
    second.track(1, directoryTrack({dirEntry("HELLO", 3, 1, 3, 1), dirEntry("GAME", 3, 2, 3, 2)}))
        .track(3, dataTrack(3));
    return {first, second};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at + 1));
        at = end + 1;
    }
    return lines;
}

TEST(Selection, OnlyTheFilesNamedAreTakenAndANameFoundNowhereFailsTheRun) {
    Scratch scratch;
    writeImage(scratch.image(), namedFiles());
    // Found, HELLO, HI*, 表1, ｻﾝﾌﾟﾙ, then HELLO and GAME of the second disk.
    const std::vector<std::string> all = linesOf(scratch.run(withImage(scratch, {"-t"})).out);
    const std::vector<std::string> allUtf8 = linesOf(scratch.run(withImage(scratch, {"-t", "--utf8"})).out);
    ASSERT_EQ(all.size(), 7u);
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> names;
        std::vector<int> taken;  // lines of the whole listing
        std::string notFound;
    };
    // A name with a '*' of its own is refused on Windows: listing only.
    for (const Case& c : std::vector<Case>{
             {{}, {"H*"}, {1, 2, 5}, ""},
             {{}, {"HI*"}, {2}, ""},
             {{}, {"?1"}, {3}, ""},  // a kanji is one character
             {{}, {storedName(KANJI_ONE)}, {3}, ""},
             {{}, {"TTLPRG", "G*"}, {0, 6}, ""},
             {{}, {"*"}, {0, 1, 2, 3, 4, 5, 6}, ""},
             {{}, {"??1", "GAME"}, {6}, "??1"},
             {{}, {"hello"}, {}, "hello"},
             {{"--disk=1"}, {"H*", "HI*"}, {5}, "HI*"},  // found on disk 0 only
             {{"--utf8"}, {KANA_UTF8.substr(0, 6) + "*"}, {4}, ""}}) {
        std::vector<std::string> args = c.options;
        args.insert(args.begin(), "-t");
        args.push_back(scratch.image().string());
        args.insert(args.end(), c.names.begin(), c.names.end());
        args.insert(args.begin(), "d88extract");
        const ToolResult result = scratch.run(args);
        std::string expected;
        for (int line : c.taken) {
            expected += (c.options == std::vector<std::string>{"--utf8"} ? allUtf8 : all)[line];
        }
        EXPECT_EQ(result.out, expected) << args.back();
        EXPECT_EQ(result.err, c.notFound.empty() ? "" : console("d88extract: " + c.notFound + ": not found in the image\n"));
        EXPECT_EQ(result.status, c.notFound.empty() ? 0 : 1) << args.back();
    }
    // IMAGE NAME, the two-argument call: the file is written as in a full run.
    const ToolResult two = scratch.run({"d88extract", scratch.image().string(), "HELLO"});
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out, all[1] + all[5]);
    EXPECT_EQ(scratch.files(), (Files{{"HELLO", dataSector(3, 1)}}));
}

TEST(Selection, ADiskAskedForIsTakenAloneAndOneTheImageLacksStopsTheRun) {
    Scratch scratch;
    writeImage(scratch.image(), sharedNames());
    const ToolResult one = scratch.run(withImage(scratch, {"--disk=1"}));
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, console("HELLO    START:03 01    END:03 01   SIZE:0400\n" + KANA
                               + "    START:03 02    END:03 02   SIZE:0400\n"));
    EXPECT_EQ(scratch.files(), (Files{{"HELLO", dataSector(3, 1)}, {storedName(KANA), dataSector(3, 2)}}));

    Scratch empty;
    writeImage(empty.image(), sharedNames());
    const ToolResult missing = empty.run(withImage(empty, {"--disk=0", "--disk=2", "--disk=99", "-C", "out"}));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, console("d88extract: no disk 2 in the image\nd88extract: no disk 99 in the image\n"));
    EXPECT_TRUE(empty.files().empty());
}

TEST(Options, FoldersThatCannotBeMadeAreNamedOnceAndAListingSaysSoToo) {
    Scratch scratch;
    writeImage(scratch.image(), sharedNames());
    fs::create_directories(scratch.work() / "out" / "disk01");
    writeFile(scratch.work() / "out" / "disk00", text("in the way"));
    writeFile(scratch.work() / "out" / "disk01" / "HELLO", text("mine"));
    const std::string blocked = "d88extract: " + std::string(toolRunsOnWindows() ? "out\\disk00" : "out/disk00")
                                + ": cannot create the folder: Not a directory\n";
    const ToolResult run = scratch.run(withImage(scratch, {"-k", "-C", "out", "--disk-folders"}));
    EXPECT_EQ(run.status, 1);
    // Messages name the file with its disk's folder.
    EXPECT_EQ(run.err, console(blocked + "d88extract: disk01/HELLO: not written: the file exists\n"));
    EXPECT_EQ(readFile(scratch.work() / "out" / "disk01" / storedName(KANA)), dataSector(3, 2));

    const ToolResult list = scratch.run(withImage(scratch, {"-t", "-k", "-C", "out", "--disk-folders"}));
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.err, console(blocked));
    for (const char* option : {"-k", "-t"}) {
        const ToolResult top = scratch.run(withImage(scratch, {option, "-C", "out/disk00/new"}));
        EXPECT_EQ(top.status, 1);
        EXPECT_EQ(top.out, "");
        EXPECT_EQ(top.err, console("d88extract: out/disk00/new: cannot create the folder: Not a directory\n"));
    }
}

// `text` without the control sequences (ESC [ ... letter) a console draws
// its screen with.
std::string withoutSequences(const std::string& text) {
    return std::regex_replace(text, std::regex("\x1B\\[[0-?]*[ -/]*[@-~]"), "");
}

TEST(TerminalSafety, ControlCharactersInNamesReachATerminalAsQuestionMarksAndAPipeAsTheyAre) {
    const std::string red = "\x1B[31mR";  // would turn the terminal red
    Disk disk;
    disk.name = "\x1B]0;T\x07";  // would retitle its window
    disk.track(1, directoryTrack({dirEntry(red, 2, 1, 2, 1), dirEntry("A\x7F", 2, 2, 2, 2)})).track(2, dataTrack(2));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    // -k names both files in messages; Windows refuses the first name itself.
    writeFile(scratch.work() / red, text("mine"));
    writeFile(scratch.work() / "A\x7F", text("mine"));
    const std::string why = toolRunsOnWindows() ? "the name contains a control character" : "the file exists";
    const auto listing = [](const std::string& name, int sector) {
        return name + std::string(6 - name.size(), ' ') + "   START:02 0" + std::to_string(sector) + "    END:02 0"
               + std::to_string(sector) + "   SIZE:0400\n";
    };
    const std::vector<std::string> args = withImage(scratch, {"-k"});
    const ToolResult piped = scratch.runAttached(args, Scratch::Attach::Pipe);
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.out, console(listing(red, 1) + listing("A\x7F", 2)));
    EXPECT_EQ(piped.err, console("d88extract: " + red + ": not written: " + why
                                 + "\nd88extract: A\x7F: not written: the file exists\n"));

    const ToolResult shown = scratch.runAttached(args, Scratch::Attach::Terminal);
    const std::string info = "Disk 0: \"?]0;T?\"";
    const ToolResult page = scratch.runAttached({"d88info", scratch.image().string()}, Scratch::Attach::Terminal, infoPath());
    EXPECT_EQ(shown.status, 1);
    EXPECT_EQ(page.status, 0);
    if (toolRunsOnWindows()) {
        // Wine's console redraws the screen with sequences of its own, and
        // moves the cursor over blanks: only the names can be looked for.
        EXPECT_EQ(shown.out.find(red), std::string::npos);
        EXPECT_NE(withoutSequences(shown.out).find("?[31mR"), std::string::npos) << shown.out;
        EXPECT_NE(withoutSequences(page.out).find("\"?]0;T?\""), std::string::npos) << page.out;
    } else {
        EXPECT_EQ(shown.out, listing("?[31mR", 1) + "d88extract: ?[31mR: not written: the file exists\n"
                                 + listing("A?", 2) + "d88extract: A?: not written: the file exists\n");
        EXPECT_NE(page.out.find(info + "\n"), std::string::npos) << page.out;
        EXPECT_NE(page.out.find("all           000000000000  ?[31mR   START:02 01"), std::string::npos) << page.out;
    }
}

}  // namespace
