// The command line, the boot check and TTLPRG, seen from outside: exit
// status, exact standard output and error bytes, and the files left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

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

TEST(CommandLine, WrongArgumentCountPrintsUsageNamingTheProgram) {
    Scratch scratch;
    const ToolResult none = scratch.run({"d88extract"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, console("Usage: " + invokedAs("d88extract") + " [d88file]\n"));
    EXPECT_EQ(none.out, "");

    const ToolResult two = scratch.run({"./bin/x88", "a.d88", "b.d88"});
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.err, console("Usage: " + invokedAs("./bin/x88") + " [d88file]\n"));
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

TEST(CommandLine, APathWithSpacesArrivesAsOneArgument) {
    Scratch scratch;
    const fs::path spaced = scratch.root() / "two words.d88";
    writeImage(spaced, {bootDisk(SIGNATURE_A)});
    const ToolResult result = scratch.run({"d88extract", spaced.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console(FOUND));
    EXPECT_EQ(scratch.files(), (Files{{"TTLPRG", titleBytes()}}));
}

TEST(CommandLine, WildcardsAreNotExpanded) {
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
