// d88put against what an attacker can do: craft the image, change it or
// send a signal during the run, link names in the folder. None of it may
// give a wrong image with status 0, blame the wrong file, or leave a
// temporary file behind.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

ToolResult put(const Scratch& scratch, const Args& args, const std::function<void()>& beforeExec = {}) {
    Args all{"d88put"};
    all.insert(all.end(), args.begin(), args.end());
    return scratch.run(all, "", beforeExec, putPath());
}

Args with(Args first, const Args& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// No new image and no temporary file of one.
bool nothingNew(const Scratch& scratch) {
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.work())) {
        const std::string name = entry.path().filename().string();
        if (name == "new.d88" || name.rfind(".d88put-", 0) == 0) {
            return false;
        }
    }
    return true;
}

// `bytes` and zeros after them to `size`.
Bytes padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

// In the child: interfere as `variables` say the moment d88put creates its
// temporary file (see interfering_create.cpp).
std::function<void()> interfering(std::vector<std::pair<std::string, std::string>> variables) {
    return [variables] {
        setenv("LD_PRELOAD", INTERFERING_CREATE_PATH, 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
        for (const auto& [name, value] : variables) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        // A quit signal would leave a core file in the folder.
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
    };
}

// A disk with file A in track 2 sector 1, extracted into "out", and A
// changed.
struct Edited {
    Scratch scratch;
    Bytes original;
    std::string image;

    Edited() {
        Disk disk;
        disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1)})).track(2, dataTrack(2));
        writeImage(scratch.image(), {disk});
        original = readFile(scratch.image());
        image = scratch.image().string();
        (void)scratch.run({"d88extract", "-C", "out", image});
        writeFile(scratch.work() / "out" / "A", text("edited"));
    }
    Args call() const { return {"-C", "out", "-o", "new.d88", image}; }
};

TEST(PutHostile, AnInterruptionAsTheTemporaryFileIsMadeRemovesIt) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "no preloading into a Windows exe";
    }
    const Edited edited;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        const ToolResult result =
            put(edited.scratch, edited.call(), interfering({{"D88_CREATE_RAISE", std::to_string(signal)}}));
        EXPECT_EQ(result.status, 128 + signal);
        EXPECT_TRUE(nothingNew(edited.scratch));
    }
}

TEST(PutHostile, AnImageChangedDuringTheRunRefusesTheRun) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "no preloading into a Windows exe";
    }
    const Edited edited;
    const std::string size = std::to_string(edited.original.size());
    // A byte of a sector the plan left alone, and the image cut short: the
    // copy would take the new bytes, or blame NEW.
    const std::vector<std::pair<std::string, std::string>> changes = {
        {"D88_CHANGE_AT", std::to_string(edited.original.size() - 1)},
        {"D88_CHANGE_SIZE", std::to_string(edited.original.size() / 2)},
    };
    // While the copy is made, or while the plan is (as the edited file is
    // compared), when a dry run must say it too.
    const std::vector<std::pair<Args, std::string>> moments = {
        {edited.call(), ""}, {edited.call(), "out/A"}, {with({"-n"}, edited.call()), "out/A"}};
    for (const auto& change : changes) {
        for (const auto& [call, on] : moments) {
            SCOPED_TRACE(change.first + " " + on + " " + call[0]);
            writeFile(edited.scratch.image(), edited.original);
            std::vector<std::pair<std::string, std::string>> variables{{"D88_CHANGE_FILE", edited.image}, change};
            if (!on.empty()) {
                variables.emplace_back("D88_INTERFERE_ON", on);
            }
            const ToolResult result = put(edited.scratch, call, interfering(variables));
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, "");
            const std::string dryRun = call[0] == "-n" ? "d88put: new.d88: not written (-n, --dry-run)\n" : "";
            EXPECT_EQ(result.err,
                      "d88put: " + edited.image + ": cannot read the image: it changed while d88put ran\n" + dryRun);
            EXPECT_TRUE(nothingNew(edited.scratch));
        }
    }
}

TEST(PutHostile, OnlyARegularFileIsReadAsTheImage) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "no devices or pipes in a Windows folder";
    }
    const Edited edited;
    // A device never ends and would fill the disk; a pipe with no writer
    // would hold the run for ever.
    ASSERT_EQ(::mkfifo((edited.scratch.work() / "pipe.d88").c_str(), 0600), 0);
    for (const std::string image : {"/dev/zero", "pipe.d88"}) {
        const ToolResult result = put(edited.scratch, {"-C", "out", "-o", "new.d88", image});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "d88put: " + image + ": cannot open the image: it is no regular file\n");
        EXPECT_TRUE(nothingNew(edited.scratch));
    }
}

TEST(PutHostile, NoWriteReachesTheDisksAfterTheCatalogue) {
    // The 64th disk says it ends half way into its last sector: there the
    // 65th disk's header stands, which no catalogue reads.
    Disk last;
    last.track(1, directoryTrack({dirEntry("A", 2, 5, 2, 5)})).track(2, dataTrack(2));
    last.diskSize = static_cast<std::int32_t>(last.build().size()) - 512;
    std::vector<Disk> disks(63);
    disks.push_back(last);
    Scratch scratch;
    writeImage(scratch.image(), disks);
    const std::string image = scratch.image().string();
    (void)scratch.run({"d88extract", "--disk=63", "-C", "out", image});
    writeFile(scratch.work() / "out" / "A", text("over the header"));
    const ToolResult result = put(scratch, {"--disk=63", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, console("d88put: A: not put back: its place is damaged\n"));
    EXPECT_TRUE(nothingNew(scratch));
}

TEST(PutHostile, NamesThatOpenOneFileAreOneFileOwnedByTheLastWrite) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "Windows folds the names themselves";
    }
    // On a file system that folds case, d88extract writes `data` and then
    // `DATA` into one file, which holds DATA's bytes: a link stands for it.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("data", 2, 1, 2, 1), dirEntry("DATA", 2, 2, 2, 2)}))
        .track(2, dataTrack(2));
    for (const bool hard : {true, false}) {
        SCOPED_TRACE(hard ? "hard link" : "symbolic link");
        Scratch scratch;
        writeImage(scratch.image(), {disk});
        const Bytes original = readFile(scratch.image());
        const std::string image = scratch.image().string();
        (void)scratch.run({"d88extract", "-C", "out", image});
        const fs::path out = scratch.work() / "out";
        const Bytes data = readFile(out / "data");
        fs::remove(out / "data");
        hard ? fs::create_hard_link(out / "DATA", out / "data") : fs::create_symlink("DATA", out / "data");

        const ToolResult same = put(scratch, {"-C", "out", "-o", "new.d88", image});
        EXPECT_EQ(same.status, 0) << same.err;
        EXPECT_EQ(same.out, "");
        EXPECT_EQ(readFile(scratch.work() / "new.d88"), original);

        writeFile(out / "DATA", text("edited"));
        const ToolResult edited = put(scratch, {"-C", "out", "-o", "new.d88", image});
        EXPECT_EQ(edited.status, 0) << edited.err;
        EXPECT_EQ(edited.out, "DATA: written in its place\n");
        (void)scratch.run({"d88extract", "-C", "back", "new.d88"});
        EXPECT_EQ(readFile(scratch.work() / "back" / "data"), data);
        EXPECT_EQ(readFile(scratch.work() / "back" / "DATA"), padded(text("edited"), 1024));
    }
}

TEST(PutHostile, NewMayNotBeAFileTheRunReads) {
    const Edited edited;
    const fs::path a = edited.scratch.work() / "out" / "A";
    fs::create_hard_link(a, edited.scratch.work() / "alias");
    // Under Wine a hard link made outside may not show as one file.
    const std::vector<std::string> targets =
        toolRunsOnWindows() ? std::vector<std::string>{"out/A"} : std::vector<std::string>{"out/A", "alias"};
    for (const std::string& target : targets) {
        const ToolResult result = put(edited.scratch, {"-C", "out", "-o", target, edited.image});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, console("d88put: " + shownArgument(target)
                                      + ": not written: the file is one of the files being read\n"));
        EXPECT_EQ(readFile(a), text("edited"));
    }
    if (toolRunsOnWindows()) {
        return;
    }
    // With standard output in a file, /dev/stdout leads to it: the rename
    // would replace the link itself and leave the lines in a file no name
    // leads to.
    const ToolResult result = put(edited.scratch, {"-C", "out", "-o", "/dev/stdout", edited.image});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "d88put: /dev/stdout: not written: the file is where standard output or standard error goes\n");
}

}  // namespace
