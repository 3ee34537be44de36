// d88put's failures: a folder it cannot use, a new image it cannot make or
// finish, an image or a file that fails it, and names --utf8 cannot give.
// Whatever fails, no new image and no temporary file is left, and a file
// that had NEW's name stays as it was. Failures a test machine cannot make
// are injected (failing_host.cpp, failing_read.cpp); those that need a user
// other than root drop to one in the child.
#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "tests/put_runner.h"

namespace fs = std::filesystem;

namespace {

// A user with no rights of its own, for runs the folder's permissions must
// stop: root passes them all.
constexpr uid_t NOBODY = 65534;

// Boot track, directory, and tracks 2 to `lastTrack`; HELLO at 2/1, GROW
// at 2/2.
Disk dataDisk(int lastTrack) {
    Disk disk;
    disk.track(0, bootTrack(SIGNATURE_A));
    disk.track(1, directoryTrack({dirEntry("HELLO", 2, 1, 2, 1), dirEntry("GROW", 2, 2, 2, 2)}));
    for (int t = 2; t <= lastTrack; ++t) {
        disk.track(t, dataTrack(t));
    }
    return disk;
}

// An image taken out into "out" with HELLO edited, and an old "new.d88".
struct Edited {
    Scratch scratch;
    std::string image;
    Bytes original;
    Args call;

    explicit Edited(const Args& options = {}, int lastTrack = 3) {
        writeImage(scratch.image(), {dataDisk(lastTrack)});
        image = scratch.image().string();
        original = readFile(scratch.image());
        Args args = options;
        args.insert(args.end(), {"-C", "out", image});
        (void)extract(scratch, args);
        writeFile(out() / "HELLO", text("hi"));
        writeFile(scratch.work() / "new.d88", text("old"));
        call = options;
        call.insert(call.end(), {"-C", "out", "-o", "new.d88", image});
    }
    fs::path out() const { return scratch.work() / "out"; }

    // Status 1, nothing on standard output, `err` on standard error, and
    // nothing new: the old new.d88 and the image as they were.
    void expectFailure(const ToolResult& result, const std::string& err) const {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, err);
        EXPECT_EQ(readFile(scratch.work() / "new.d88"), text("old"));
        for (const fs::directory_entry& entry : fs::directory_iterator(scratch.work())) {
            EXPECT_NE(entry.path().filename().string().rfind(".d88put-", 0), 0u) << entry.path();
        }
        EXPECT_EQ(readFile(scratch.image()), original);
    }
};

// Runs the tool with `failures` (variable, value) set and the library that
// makes them preloaded.
std::function<void()> injecting(const std::string& library,
                                std::vector<std::pair<std::string, std::string>> failures) {
    return [library, failures] {
        setenv("LD_PRELOAD", library.c_str(), 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
        for (const auto& [name, value] : failures) {
            setenv(name.c_str(), value.c_str(), 1);
        }
    };
}

// Runs d88put with `args` as a user without root's rights, when the tests
// run as root: a copy of it in the scratch folder, which that user may
// enter, wherever the build lies.
ToolResult putUnprivileged(const Scratch& scratch, const Args& args) {
    fs::permissions(scratch.root(), fs::perms::all, fs::perm_options::replace);
    fs::permissions(scratch.work(), fs::perms::all, fs::perm_options::replace);
    const fs::path copy = scratch.root() / "d88put";
    fs::copy_file(putPath(), copy, fs::copy_options::overwrite_existing);
    Args all{"d88put"};
    all.insert(all.end(), args.begin(), args.end());
    return scratch.run(
        all, "",
        [] {
            if (geteuid() == 0
                && (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) {
                ::_exit(125);
            }
        },
        copy.string());
}

TEST(PutFolders, AFolderThatCannotBeUsedStopsTheRunBeforeAnyWork) {
    Edited edited;
    const Scratch& scratch = edited.scratch;
    fs::create_directory(scratch.work() / "closed");
    fs::permissions(scratch.work() / "closed",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                        | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);
    // A shared folder keeps its users apart: a file of root's there cannot
    // be replaced by another user.
    fs::create_directory(scratch.work() / "shared");
    fs::permissions(scratch.work() / "shared", fs::perms::all | fs::perms::sticky_bit,
                    fs::perm_options::replace);
    writeFile(scratch.work() / "shared" / "new.d88", text("root's"));
    const bool asRoot = geteuid() == 0;

    struct Case {
        std::string directory, output;
        bool asNobody;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"missing", "new.d88", false, "d88put: missing: no such folder\n"},
        {"out/HELLO", "new.d88", false, "d88put: out/HELLO: no such folder\n"},
        {"out", "missing/new.d88", false,
         "d88put: missing/new.d88: cannot create the new image: No such file or directory\n"},
        {"out", "closed/new.d88", true,
         "d88put: closed/new.d88: cannot create the new image: Permission denied\n"},
        {"out", "shared/new.d88", true,
         "d88put: shared/new.d88: cannot create the new image: Operation not permitted\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output + " in " + c.directory);
        if (c.output == "shared/new.d88" && !asRoot) {
            continue;  // only root can leave a file of another user there
        }
        const Args args = {"-C", c.directory, "-o", c.output, edited.image};
        const ToolResult result = c.asNobody ? putUnprivileged(scratch, args) : put(scratch, args);
        edited.expectFailure(result, c.err);
    }
    EXPECT_TRUE(nothingNew(scratch, "closed"));
    EXPECT_EQ(readFile(scratch.work() / "shared" / "new.d88"), text("root's"));
}

TEST(PutNewImage, AFullDiskOrAnInterruptionLeavesNoNewImage) {
    Edited edited;
    const ToolResult full = put(edited.scratch, edited.call,
                                injecting(FAILING_HOST_PATH, {{"D88_FAIL_WRITES", std::to_string(ENOSPC)}}));
    edited.expectFailure(full, "d88put: new.d88: cannot write the new image: No space left on device\n");

    for (const int signal : {SIGINT, SIGHUP, SIGTERM}) {
        SCOPED_TRACE(signal);
        const ToolResult interrupted =
            put(edited.scratch, edited.call,
                injecting(FAILING_HOST_PATH, {{"D88_RAISE_AT_WRITE", std::to_string(signal)}}));
        EXPECT_EQ(interrupted.status, 128 + signal);
        EXPECT_EQ(readFile(edited.scratch.work() / "new.d88"), text("old"));
        EXPECT_EQ(edited.scratch.files().size(), 2u);  // out and new.d88
    }
}

TEST(PutNewImage, StandardOutputThatLosesTheLinesLeavesNoNewImage) {
    Edited edited;
    Args args{"d88put"};
    args.insert(args.end(), edited.call.begin(), edited.call.end());
    const ToolResult full = edited.scratch.run(args, "/dev/full", {}, putPath());
    edited.expectFailure(full, "d88put: cannot write to standard output: No space left on device\n");
}

TEST(PutNewImage, AReplacedFileKeepsItsPermissionsAndALinkIsReplacedItself) {
    Edited edited;
    const fs::path work = edited.scratch.work();
    fs::permissions(work / "new.d88", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    fs::perm_options::replace);
    writeFile(work / "target.d88", text("target"));
    fs::create_symlink("target.d88", work / "link.d88");
    for (const char* output : {"new.d88", "link.d88"}) {
        Args call = edited.call;
        call[call.size() - 2] = output;
        const ToolResult result = put(edited.scratch, call);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "HELLO: written in its place\n");
    }
    EXPECT_EQ(fs::status(work / "new.d88").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work / "link.d88")));
    EXPECT_EQ(readFile(work / "link.d88"), readFile(work / "new.d88"));
    EXPECT_EQ(readFile(work / "target.d88"), text("target"));
}

TEST(PutReads, AFileOrTheImageThatFailsAReadStopsTheRun) {
    Edited edited;
    const Scratch& scratch = edited.scratch;

    // Saved again between the comparison and the copy.
    const ToolResult changed =
        put(scratch, edited.call, injecting(FAILING_HOST_PATH, {{"D88_GROW_AT_OPEN", "out/HELLO"}}));
    edited.expectFailure(changed, "d88put: HELLO: cannot read the file: it changed while d88put ran\n");

    // A file its user may not read.
    fs::permissions(edited.out() / "HELLO", fs::perms::none, fs::perm_options::replace);
    const ToolResult unreadable = putUnprivileged(scratch, edited.call);
    edited.expectFailure(unreadable, "d88put: HELLO: cannot read the file: Permission denied\n");
}

TEST(PutReads, AnImageThatCannotBeOpenedOrReadIsNamed) {
    // A full disk: the check reads a few of its tracks, the copy all.
    Edited edited({}, 163);
    const ToolResult missing = put(edited.scratch, {"-C", "out", "-o", "new.d88", "missing.d88"});
    edited.expectFailure(missing, "d88put: missing.d88: cannot open the image: No such file or directory\n");
    const std::string message = "d88put: " + edited.image + ": cannot read the image: Input/output error\n";
    for (const std::size_t budget : {std::size_t{700}, edited.original.size()}) {
        SCOPED_TRACE(budget);
        const ToolResult result =
            put(edited.scratch, edited.call,
                injecting(FAILING_READ_PATH, {{"D88_FAIL_READ_AFTER", std::to_string(budget)}}));
        edited.expectFailure(result, message);
    }
}

TEST(PutNames, Utf8NamesNeedTheConverterAndNeverTakeAnotherEntrysFile) {
    // Entry 1's bytes are the UTF-8 of entry 0's name: as d88extract --utf8
    // refuses that name, its entry has no file, and the file of entry 0 is
    // no change of entry 1.
    const std::string kana = "\xB1";
    const std::string kanaUtf8 = "\xEF\xBD\xB1";
    Disk disk;
    disk.track(1, directoryTrack({dirEntry(kana, 2, 1, 2, 1), dirEntry(kanaUtf8, 2, 2, 2, 2)}));
    disk.track(2, dataTrack(2));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"--utf8", "-C", "out", image});
    writeFile(scratch.work() / "out" / kanaUtf8, text("kana"));
    const Args call = {"--utf8", "-C", "out", "-o", "new.d88", image};
    const ToolResult result = put(scratch, call);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, kanaUtf8 + ": written in its place\n");
    (void)extract(scratch, {"-C", "back", "new.d88"});
    Bytes kanaBack = text("kana");
    kanaBack.resize(1024, 0);
    EXPECT_EQ(readFile(scratch.work() / "back" / kana), kanaBack);
    EXPECT_EQ(readFile(scratch.work() / "back" / kanaUtf8), dataSector(2, 2));

    // Nor does the file belong to that entry where its run cannot be read.
    fs::remove(scratch.work() / "new.d88");
    Disk unread;
    unread.track(1, directoryTrack({dirEntry(kanaUtf8, 3, 1, 3, 1)})).track(2, dataTrack(2));
    writeImage(scratch.image(), {unread});
    const ToolResult none = put(scratch, call);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(readFile(scratch.work() / "new.d88"), readFile(scratch.image()));

    fs::remove(scratch.work() / "new.d88");
    const ToolResult noConverter = put(scratch, call, injecting(FAILING_HOST_PATH, {{"D88_NO_ICONV", "1"}}));
    EXPECT_EQ(noConverter.status, 1);
    EXPECT_EQ(noConverter.out, "");
    EXPECT_EQ(noConverter.err, "d88put: --utf8: this system cannot convert Shift_JIS (code page 932)\n");
    EXPECT_TRUE(nothingNew(scratch));
}

}  // namespace
