// d88put seen from outside: what d88extract takes out goes back byte for
// byte, edited files come back and nothing else changes, and each way a file
// is put back or refused.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "tests/damaged_images.h"
#include "tests/put_runner.h"

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, Bytes>;

// The options that let d88put change a disk's directory.
const Args ROOM_OPTIONS = {"--add", "--shrink", "--delete", "--relocate"};

Args with(Args args, const Args& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Every file under `folder`, by its path inside it.
Tree treeOf(const fs::path& folder) {
    Tree tree;
    if (!fs::exists(folder)) {
        return tree;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            tree[fs::relative(entry.path(), folder).string()] = readFile(entry.path());
        }
    }
    return tree;
}

// Now and then the image's disks again, from its start: a last disk of
// minus the size of all before it lists them again and again at the same
// places, every `period` disks (0: none listed again).
std::vector<Disk> maybeListedTwice(std::vector<Disk> disks, std::mt19937& random, int& period) {
    period = 0;
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
        Disk back;
        back.diskSize = -static_cast<std::int32_t>(buildImage(disks).size());
        disks.push_back(back);
        period = static_cast<int>(disks.size());
    }
    return disks;
}

// The file that `path` is a copy of: in the folder of the first listing of
// its disk. A file written back there comes out of every listing alike.
std::string firstCopy(const std::string& path, int period) {
    if (period == 0 || path.rfind("disk", 0) != 0) {
        return path;
    }
    char folder[16];
    std::snprintf(folder, sizeof folder, "disk%02d", std::stoi(path.substr(4, 2)) % period);
    return folder + path.substr(6);
}

// A random damaged image, now and then listed twice, and what d88extract
// with `options` took out of it into the folder "out".
struct Extracted {
    Scratch scratch;
    int period = 0;
    Bytes original;
    std::string image;

    Extracted(DamagedImages& images, std::mt19937& random, const Args& options) {
        writeImage(scratch.image(), maybeListedTwice(images.disks(), random, period));
        original = readFile(scratch.image());
        image = scratch.image().string();
        (void)extract(scratch, with(with({"-C", "out"}, options), {image}));
    }
};

TEST(PutRoundTrip, ExtractedFilesPutBackGiveTheImageByteForByte) {
    DamagedImages images(1209);
    std::mt19937 random(1209);
    const std::vector<Args> variants = {{}, {"--disk-folders"}, {"--utf8"}, {"--disk-folders", "--utf8"}};
    const int rounds = toolRunsOnWindows() ? 8 : 100;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        const Args& options = variants[static_cast<std::size_t>(round) % variants.size()];
        const Extracted taken(images, random, options);
        const Scratch& scratch = taken.scratch;
        const Bytes& original = taken.original;
        const std::string& image = taken.image;
        const ToolResult result = put(scratch, with(with({"-C", "out"}, options), {"-o", "new.d88", image}));
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, noFileChanged(image));
        EXPECT_EQ(readFile(scratch.work() / "new.d88"), original);
        EXPECT_EQ(readFile(scratch.image()), original);
        // Every option that lets the directory change finds nothing to do.
        const ToolResult roomy =
            put(scratch, with(with(with({"-C", "out"}, options), ROOM_OPTIONS), {"-o", "roomy.d88", image}));
        ASSERT_EQ(roomy.status, 0) << roomy.err;
        EXPECT_EQ(roomy.err, noFileChanged(image, "roomy.d88"));
        EXPECT_EQ(readFile(scratch.work() / "roomy.d88"), original);
    }
}

TEST(PutRoundTrip, ShrunkAndDeletedFilesLeaveTheRestAsTheFolderHasIt) {
    DamagedImages images(2331);
    std::mt19937 random(2331);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::set<std::string> seen;
    const int rounds = toolRunsOnWindows() ? 4 : 80;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        const Extracted taken(images, random, {});
        const Scratch& scratch = taken.scratch;
        const Tree before = treeOf(scratch.work() / "out");
        Tree edited;
        std::set<std::string> deleted;
        for (int edits = pick(1, 2); edits > 0 && !before.empty(); --edits) {
            auto file = before.begin();
            std::advance(file, pick(0, static_cast<int>(before.size()) - 1));
            // TTLPRG has a place of its own, neither shrunk nor deleted.
            if (file->first == "TTLPRG") {
                continue;
            }
            Bytes changed = file->second;
            // Every other image only shrinks and grows: a refused delete
            // refuses the whole run.
            if (round % 2 == 1 && pick(0, 2) == 0) {
                fs::remove(scratch.work() / "out" / file->first);
                deleted.insert(file->first);
                edited.erase(file->first);
                continue;
            }
            deleted.erase(file->first);
            if (pick(0, 2) == 0) {
                changed.resize(changed.size() + static_cast<std::size_t>(pick(1, 3000)), 0x5A);
            } else {
                changed.resize(static_cast<std::size_t>(pick(0, static_cast<int>(changed.size()))));
            }
            writeFile(scratch.work() / "out" / file->first, changed);
            edited[file->first] = changed;
        }
        const ToolResult result =
            put(scratch, with({"-C", "out"}, with(ROOM_OPTIONS, {"-o", "new.d88", taken.image})));
        EXPECT_EQ(readFile(scratch.image()), taken.original);
        if (result.status != 0) {
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err, "");
            EXPECT_TRUE(nothingNew(scratch));
            continue;
        }
        for (const char* done : {"shrunk to", "deleted"}) {
            if (result.out.find(done) != std::string::npos) {
                seen.insert(done);
            }
        }
        (void)extract(scratch, {"-C", "back", (scratch.work() / "new.d88").string()});
        const Tree after = treeOf(scratch.work() / "back");
        EXPECT_EQ(after.size(), before.size() - deleted.size());
        for (const auto& [path, bytes] : before) {
            if (deleted.count(path) != 0) {
                EXPECT_EQ(after.count(path), 0u) << path;
                continue;
            }
            const auto edit = edited.find(path);
            if (edit == edited.end()) {
                EXPECT_EQ(after.at(path), bytes) << path;
                continue;
            }
            // A file holds its whole sectors, at least one; TTLPRG its
            // whole place.
            Bytes expected = edit->second;
            const std::size_t sectors = std::max<std::size_t>(1, (expected.size() + 1023) / 1024) * 1024;
            expected.resize(path == "TTLPRG" ? bytes.size() : sectors, 0);
            EXPECT_EQ(after.at(path), expected) << path;
        }
    }
    if (!toolRunsOnWindows()) {
        EXPECT_EQ(seen, (std::set<std::string>{"shrunk to", "deleted"}));
    }
}

TEST(PutRoundTrip, AnAddedFileComesBackFromTheNewImageAndNothingElseChanges) {
    DamagedImages images(5150);
    std::mt19937 random(5150);
    std::set<std::string> seen;
    const int rounds = toolRunsOnWindows() ? 4 : 40;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        const Extracted taken(images, random, {"--disk-folders"});
        const Scratch& scratch = taken.scratch;
        // A disk listed again would list the new entry in each copy.
        if (taken.period != 0 || !fs::exists(scratch.work() / "out" / "disk00")) {
            continue;
        }
        Tree expected = treeOf(scratch.work() / "out");
        const std::string name = "N" + std::to_string(round);
        Bytes added(static_cast<std::size_t>(std::uniform_int_distribution<int>(1, 5000)(random)));
        for (std::uint8_t& byte : added) {
            byte = static_cast<std::uint8_t>(random());
        }
        writeFile(scratch.work() / "out" / "disk00" / name, added);
        const ToolResult result =
            put(scratch, with({"--disk-folders", "-C", "out"}, with(ROOM_OPTIONS, {"-o", "new.d88", taken.image})));
        EXPECT_EQ(readFile(scratch.image()), taken.original);
        if (result.status != 0) {
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err.find("not put back"), std::string::npos) << result.err;
            EXPECT_TRUE(nothingNew(scratch));
            continue;
        }
        seen.insert("added");
        EXPECT_EQ(readFile(scratch.work() / "new.d88").size(), taken.original.size());
        (void)extract(scratch, {"--disk-folders", "-C", "back", (scratch.work() / "new.d88").string()});
        added.resize((added.size() + 1023) / 1024 * 1024, 0);
        expected["disk00/" + name] = added;
        EXPECT_EQ(treeOf(scratch.work() / "back"), expected);
    }
    if (!toolRunsOnWindows()) {
        EXPECT_EQ(seen, std::set<std::string>{"added"});
    }
}

TEST(PutRoundTrip, EditedFilesComeBackAndNothingElseChanges) {
    DamagedImages images(4712);
    std::mt19937 random(4712);
    const auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::set<std::string> seen;
    const int rounds = toolRunsOnWindows() ? 8 : 100;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        const Args options = round % 2 == 0 ? Args{} : Args{"--disk-folders"};
        const Extracted taken(images, random, options);
        const Scratch& scratch = taken.scratch;
        const Bytes& original = taken.original;
        const std::string& image = taken.image;
        const int period = taken.period;
        const Tree before = treeOf(scratch.work() / "out");

        // One or two files: a refusal of any keeps the others from going back.
        Tree edited;
        for (int edits = pick(1, 2); edits > 0 && !before.empty(); --edits) {
            auto file = before.begin();
            std::advance(file, pick(0, static_cast<int>(before.size()) - 1));
            const std::string& path = file->first;
            Bytes changed = file->second;
            switch (pick(0, 4)) {
            case 0:
                if (changed.empty()) {
                    continue;
                }
                changed[static_cast<std::size_t>(pick(0, static_cast<int>(changed.size()) - 1))] ^= 0xFF;
                break;
            case 1: changed.resize(static_cast<std::size_t>(pick(0, static_cast<int>(changed.size())))); break;
            case 2:
            case 3:
                for (int more = pick(1, 3000); more > 0; --more) {
                    changed.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                }
                break;
            default:
                // A file taken away is left as it is in the image.
                fs::remove(scratch.work() / "out" / path);
                edited.erase(path);
                continue;
            }
            writeFile(scratch.work() / "out" / path, changed);
            edited[path] = changed;
        }
        const Args relocate = round % 4 >= 2 ? Args{"--relocate"} : Args{};
        const ToolResult result =
            put(scratch, with(with(with({"-C", "out"}, options), relocate), {"-o", "new.d88", image}));
        EXPECT_EQ(readFile(scratch.image()), original);
        if (result.status != 0) {
            EXPECT_EQ(result.status, 1);
            EXPECT_NE(result.err, "");
            EXPECT_TRUE(nothingNew(scratch));
            seen.insert("refused");
            continue;
        }
        EXPECT_EQ(result.err, result.out.empty() ? noFileChanged(image) : "");
        for (const char* done : {"written in its place", "grown to", "moved to"}) {
            if (result.out.find(done) != std::string::npos) {
                seen.insert(done);
            }
        }
        (void)extract(scratch, with(with({"-C", "back"}, options), {(scratch.work() / "new.d88").string()}));
        const Tree after = treeOf(scratch.work() / "back");
        EXPECT_EQ(after.size(), before.size());
        Tree editedCopies;
        for (const auto& [path, bytes] : edited) {
            editedCopies[options.empty() ? path : firstCopy(path, period)] = bytes;
        }
        for (const auto& [path, bytes] : before) {
            const auto edit = editedCopies.find(options.empty() ? path : firstCopy(path, period));
            if (edit == editedCopies.end()) {
                EXPECT_EQ(after.at(path), bytes) << path;
                continue;
            }
            // The edited bytes, then zeros to the end of its run, or of
            // the whole sectors of a file that outgrew its run.
            Bytes expected = edit->second;
            const std::size_t sectors = (expected.size() + 1023) / 1024 * 1024;
            expected.resize(expected.size() <= bytes.size() ? bytes.size() : sectors, 0);
            EXPECT_EQ(after.at(path), expected) << path;
        }
    }
    // The few rounds a Windows run can afford leave some out; the cases
    // below cover each there.
    if (!toolRunsOnWindows()) {
        EXPECT_EQ(seen, (std::set<std::string>{"refused", "written in its place", "grown to", "moved to"}));
    }
}

// Tracks 2 to 6 of five sectors; (4, 2) is missing.
//   0 HELLO  2/1        3 BLOCK  2/5        6 BROKEN 4/1-4/2
//   1 GROW   2/2        4 LINK1  3/1-3/2
//   2 MOVE   2/4        5 LINK2  3/2-3/3
// Free: 2/3, 3/4, 3/5, 4/3 to 4/5, and tracks 5 and 6.
Disk casesDisk() {
    Disk disk;
    disk.track(0, bootTrack(SIGNATURE_A));
    disk.track(1, directoryTrack({dirEntry("HELLO", 2, 1, 2, 1), dirEntry("GROW", 2, 2, 2, 2),
                                  dirEntry("MOVE", 2, 4, 2, 4), dirEntry("BLOCK", 2, 5, 2, 5),
                                  dirEntry("LINK1", 3, 1, 3, 2), dirEntry("LINK2", 3, 2, 3, 3),
                                  dirEntry("BROKEN", 4, 1, 4, 2)}));
    for (int t = 2; t <= 6; ++t) {
        disk.track(t, dataTrack(t));
    }
    disk.tracks[4].erase(disk.tracks[4].begin() + 1);
    return disk;
}

Bytes padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

TEST(PutCases, EachWayAFileGoesBackOrIsRefused) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const Bytes original = readFile(scratch.image());
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    const fs::path out = scratch.work() / "out";
    const Tree extracted = treeOf(out);
    const Bytes hello = text("hi");
    const Bytes grown = bytes(2000, 0x47);
    const Bytes moved = bytes(3000, 0x4D);
    const Bytes title = bytes(100, 0x54);
    writeFile(out / "HELLO", hello);
    writeFile(out / "GROW", grown);
    writeFile(out / "MOVE", moved);
    writeFile(out / "TTLPRG", bytes(3841, 0x54));
    writeFile(out / "LINK1", bytes(10, 1));
    writeFile(out / "BROKEN", bytes(10, 2));
    writeFile(scratch.work() / "new.d88", text("old"));

    // Any refusal and nothing is written; an existing NEW stays as it was.
    const ToolResult refused = put(scratch, {"-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, console("d88put: TTLPRG: not put back: longer than 3840 bytes\n"
                                   "d88put: MOVE: not put back: longer than its run and the sectors after it "
                                   "are not free\n"
                                   "d88put: LINK1: not put back: cross-linked with disk 0 entry 5\n"
                                   "d88put: BROKEN: not put back: its place is damaged\n"));
    EXPECT_EQ(readFile(scratch.work() / "new.d88"), text("old"));

    writeFile(out / "TTLPRG", title);
    writeFile(out / "LINK1", extracted.at("LINK1"));
    writeFile(out / "BROKEN", extracted.at("BROKEN"));
    const std::string done = console("TTLPRG: written in its place\n"
                                     "HELLO: written in its place\n"
                                     "GROW: grown to 2 sectors\n"
                                     "MOVE: moved to track 04 sector 03\n");
    const ToolResult dryRun = put(scratch, {"-n", "--relocate", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(dryRun.status, 0);
    EXPECT_EQ(dryRun.out, done);
    EXPECT_EQ(readFile(scratch.work() / "new.d88"), text("old"));

    const ToolResult written = put(scratch, {"--relocate", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, done);
    EXPECT_EQ(written.err, "");
    EXPECT_EQ(readFile(scratch.image()), original);
    const ToolResult listing = extract(scratch, {"-C", "back", "new.d88"});
    EXPECT_NE(listing.out.find("GROW     START:02 02    END:02 03   SIZE:0800"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("MOVE     START:04 03    END:04 05   SIZE:0c00"), std::string::npos) << listing.out;
    const Tree back = treeOf(scratch.work() / "back");
    EXPECT_EQ(back.at("HELLO"), padded(hello, 1024));
    EXPECT_EQ(back.at("GROW"), padded(grown, 2048));
    EXPECT_EQ(back.at("MOVE"), padded(moved, 3072));
    EXPECT_EQ(back.at("TTLPRG"), padded(title, 3840));
    for (const char* same : {"BLOCK", "LINK1", "LINK2", "BROKEN"}) {
        EXPECT_EQ(back.at(same), extracted.at(same)) << same;
    }

    // NEW may not be the image, by name or by a link.
    fs::create_symlink(scratch.image(), scratch.work() / "link.d88");
    for (const std::string& target : {image, std::string("link.d88")}) {
        const ToolResult self = put(scratch, {"-C", "out", "-o", target, image});
        EXPECT_EQ(self.status, 1);
        EXPECT_EQ(self.err, console("d88put: " + shownArgument(target)
                                    + ": not written: the file is the image being read\n"));
    }
    EXPECT_EQ(readFile(scratch.image()), original);
}

TEST(PutCases, AFileLongerThanAnyDiskSaysHowManySectorsItNeeds) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    // 3 GB, sparse: the count must not stop at what a disk holds.
    fs::resize_file(scratch.work() / "out" / "MOVE", std::uintmax_t{3} << 30);
    const ToolResult refused = put(scratch, {"--relocate", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, console("d88put: MOVE: not put back: no free run holds 3145728 sectors\n"));
    EXPECT_FALSE(fs::exists(scratch.work() / "new.d88"));
}

TEST(PutCases, CopiesOfOneDiskMustAgree) {
    // A second disk of minus the first one's size lists the first again,
    // at one place: disks 0, 2, 4 and on to 62 are one disk.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1)})).track(2, dataTrack(2));
    Disk back;
    back.diskSize = -static_cast<std::int32_t>(disk.build().size());
    Scratch scratch;
    writeImage(scratch.image(), {disk, back});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"--disk-folders", "-C", "out", image});
    const fs::path out = scratch.work() / "out";
    writeFile(out / "disk04" / "A", text("four"));
    writeFile(out / "disk08" / "A", text("eight"));
    const Args call = {"--disk-folders", "-C", "out", "-o", "new.d88", image};
    const ToolResult differ = put(scratch, call);
    EXPECT_EQ(differ.status, 1);
    EXPECT_EQ(differ.err, console("d88put: disk04/A: not put back: its copy in disk08 differs\n"));

    writeFile(out / "disk08" / "A", text("four"));
    const ToolResult agree = put(scratch, call);
    EXPECT_EQ(agree.status, 0);
    EXPECT_EQ(agree.out, console("disk04/A: written in its place\n"));
    (void)extract(scratch, {"-C", "back", "new.d88"});
    EXPECT_EQ(readFile(scratch.work() / "back" / "A"), padded(text("four"), 1024));
}

TEST(PutCases, ARunAboveSectorFiveGrowsOnlyAsTheReaderStepsIt) {
    // HIGH's end says track 3 sector 2, but from sector 6 the reader counts
    // upward on track 2: its run is 2/6 and 2/7, and 2/8 is not there.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("HIGH", 2, 6, 3, 2)})).track(3, dataTrack(3));
    disk.track(2, dataTrack(2));
    for (int r = 6; r <= 7; ++r) {
        disk.tracks[2].push_back(sector(1, 0, r, 3, dataSector(2, r)));
    }
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    writeFile(scratch.work() / "out" / "HIGH", bytes(3000, 0x48));
    const ToolResult refused = put(scratch, {"-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(refused.err, console("d88put: HIGH: not put back: longer than its run and the sectors after it "
                                   "are not free\n"));
    const ToolResult moved = put(scratch, {"--relocate", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(moved.out, console("HIGH: moved to track 02 sector 01\n"));
    (void)extract(scratch, {"-C", "back", "new.d88"});
    EXPECT_EQ(readFile(scratch.work() / "back" / "HIGH"), padded(bytes(3000, 0x48), 3072));
}

// Track 0xa3 (163) tells hex from decimal, and one sector is a singular.
TEST(PutCases, APlaceIsWrittenAsTheListingWritesIt) {
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("FULL", 2, 1, 2, 3), dirEntry("MOVE", 2, 4, 2, 5)}));
    disk.track(2, dataTrack(2)).track(0xa3, dataTrack(0xa3));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    writeFile(scratch.work() / "out" / "MOVE", bytes(3000, 0x4D));
    writeFile(scratch.work() / "out" / "NEW", text("n"));
    const ToolResult result = put(scratch, {"--relocate", "--add", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console("MOVE: moved to track a3 sector 01\n"
                                  "NEW: added at track a3 sector 04, 1 sector\n"));
    const ToolResult listing = extract(scratch, {"-t", "new.d88"});
    EXPECT_EQ(listing.out, console("FULL     START:02 01    END:02 03   SIZE:0c00\n"
                                   "MOVE     START:a3 01    END:a3 03   SIZE:0c00\n"
                                   "NEW      START:a3 04    END:a3 04   SIZE:0400\n"));
}

TEST(PutCases, OnlyRegularFilesAreReadOrReplaced) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    fs::create_directory(scratch.work() / "folder.d88");
    const ToolResult folder = put(scratch, {"-C", "out", "-o", "folder.d88", image});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, console("d88put: folder.d88: not written: it is no regular file\n"));
    if (toolRunsOnWindows()) {
        return;  // no pipes in a Windows folder
    }
    // Opening a pipe for reading would wait for a writer for ever.
    fs::remove(scratch.work() / "out" / "HELLO");
    ASSERT_EQ(::mkfifo((scratch.work() / "out" / "HELLO").c_str(), 0600), 0);
    const ToolResult pipe = put(scratch, {"-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(pipe.status, 1);
    EXPECT_EQ(pipe.err, "d88put: HELLO: cannot read the file: it is no regular file\n");
    EXPECT_TRUE(nothingNew(scratch));
    // Nor does d88extract wait for a reader of it.
    const ToolResult extracted = extract(scratch, {"-C", "out", image});
    EXPECT_EQ(extracted.status, 1);
    EXPECT_EQ(extracted.err.rfind("d88extract: HELLO: cannot create the file: ", 0), 0u) << extracted.err;
}

TEST(PutCases, OnlyTheFilesTakenGoBack) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"-C", "out", image});
    const fs::path out = scratch.work() / "out";
    const Tree extracted = treeOf(out);
    writeFile(out / "HELLO", text("hi"));
    writeFile(out / "GROW", text("left as it is"));

    const ToolResult one = put(scratch, {"-C", "out", "-o", "new.d88", image, "H*"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, console("HELLO: written in its place\n"));
    (void)extract(scratch, {"-C", "back", "new.d88"});
    EXPECT_EQ(readFile(scratch.work() / "back" / "HELLO"), padded(text("hi"), 1024));
    EXPECT_EQ(readFile(scratch.work() / "back" / "GROW"), extracted.at("GROW"));

    // A NAME or a disk that is not there fails the run, and nothing is written.
    fs::remove(scratch.work() / "new.d88");
    const ToolResult missing = put(scratch, {"-C", "out", "-o", "new.d88", image, "HELLO", "NONE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, console("d88put: NONE: not found in the image\n"));
    const ToolResult noDisk = put(scratch, {"--disk=3", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(noDisk.status, 1);
    EXPECT_EQ(noDisk.err, console("d88put: no disk 3 in the image\n"));
    EXPECT_TRUE(nothingNew(scratch));
}

TEST(PutCases, AShrunkFileGivesItsTailToAFileThatMoves) {
    // A 2/1-2/4, B 2/5, C 3/1-3/5: no free sector.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 4), dirEntry("B", 2, 5, 2, 5), dirEntry("C", 3, 1, 3, 5)}));
    disk.track(2, dataTrack(2));
    disk.track(3, dataTrack(3));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const std::string image = scratch.image().string();
    const Bytes original = readFile(scratch.image());
    (void)extract(scratch, {"-C", "out", image});
    const Bytes c = readFile(scratch.work() / "out" / "C");
    writeFile(scratch.work() / "out" / "A", text("short"));
    writeFile(scratch.work() / "out" / "B", bytes(3000, 0xB0));

    ToolResult result = put(scratch, {"-C", "out", "--relocate", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, refused("B", "no free run holds 3 sectors"));
    result = put(scratch, {"-C", "out", "--relocate", "--shrink", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console("A: shrunk to 1 sector\nB: moved to track 02 sector 02\n"));
    EXPECT_EQ(readFile(scratch.image()), original);
    (void)extract(scratch, {"-C", "back", (scratch.work() / "new.d88").string()});
    EXPECT_EQ(readFile(scratch.work() / "back" / "A"), padded(text("short"), 1024));
    EXPECT_EQ(readFile(scratch.work() / "back" / "B"), padded(bytes(3000, 0xB0), 3072));
    EXPECT_EQ(readFile(scratch.work() / "back" / "C"), c);
    // Only sector data changed: the new image is as long as the old.
    EXPECT_EQ(readFile(scratch.work() / "new.d88").size(), original.size());
}

TEST(PutCases, ADeletedFileLeavesItsSlotAndItsRoom) {
    // A 2/1-2/3, B 2/4, C 2/5-3/5: no free sector.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 3), dirEntry("B", 2, 4, 2, 4), dirEntry("C", 2, 5, 3, 5)}));
    disk.track(2, dataTrack(2));
    disk.track(3, dataTrack(3));
    Scratch scratch;
    writeImage(scratch.image(), {disk});
    const std::string image = scratch.image().string();
    const Bytes original = readFile(scratch.image());
    (void)extract(scratch, {"-C", "out", image});
    const Bytes c = readFile(scratch.work() / "out" / "C");
    fs::remove(scratch.work() / "out" / "A");
    writeFile(scratch.work() / "out" / "B", bytes(3000, 0xB0));

    // Without --delete a missing file is left as it is.
    ToolResult result = put(scratch, {"-C", "out", "--relocate", "-o", "new.d88", image});
    EXPECT_EQ(result.err, refused("B", "no free run holds 3 sectors"));
    result = put(scratch, {"-C", "out", "--relocate", "--delete", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console("A: deleted\nB: moved to track 02 sector 01\n"));
    EXPECT_EQ(readFile(scratch.image()), original);
    const Bytes after = readFile(scratch.work() / "new.d88");
    ASSERT_EQ(after.size(), original.size());
    (void)extract(scratch, {"-C", "back", (scratch.work() / "new.d88").string()});
    EXPECT_EQ(treeOf(scratch.work() / "back"),
              (Tree{{"B", padded(bytes(3000, 0xB0), 3072)}, {"C", c}}));
    // B and C moved up a slot; the last slot is the end mark. Only the
    // directory's and B's sectors changed.
    const ToolResult listing = scratch.run({"d88info", (scratch.work() / "new.d88").string()});
    EXPECT_NE(listing.out.find("B"), std::string::npos);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        changed += after[i] != original[i] ? 1 : 0;
    }
    EXPECT_LE(changed, 2u * 1024 + 3u * 1024);
}

TEST(PutCases, AddedFilesTakeTheNextSlotsInNameOrderAndTheFirstFreeRoom) {
    // A 2/1; free from 2/2 on.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1)}));
    disk.track(2, dataTrack(2));
    disk.track(3, dataTrack(3));
    Scratch scratch;
    writeImage(scratch.image(), {disk, disk});
    const std::string image = scratch.image().string();
    const Bytes original = readFile(scratch.image());
    (void)extract(scratch, {"--disk=1", "-C", "out", image});
    writeFile(scratch.work() / "out" / "ZED", bytes(2000, 0x2E));
    writeFile(scratch.work() / "out" / "BEE", text("bee"));

    // Two disks: which one gets them must be said.
    ToolResult result = put(scratch, {"--add", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, console("d88put: --add needs --disk-folders or one --disk=N\n"
                                  "Try 'd88put --help' for more information.\n"));
    EXPECT_TRUE(nothingNew(scratch));
    result = put(scratch, {"--add", "--disk=1", "-C", "out", "-o", "new.d88", image});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              console("BEE: added at track 02 sector 02, 1 sector\nZED: added at track 02 sector 03, 2 sectors\n"));
    EXPECT_EQ(readFile(scratch.image()), original);
    const Bytes after = readFile(scratch.work() / "new.d88");
    ASSERT_EQ(after.size(), original.size());
    (void)extract(scratch, {"--disk=1", "-C", "back", (scratch.work() / "new.d88").string()});
    EXPECT_EQ(treeOf(scratch.work() / "back"), (Tree{{"A", readFile(scratch.work() / "out" / "A")},
                                                     {"BEE", padded(text("bee"), 1024)},
                                                     {"ZED", padded(bytes(2000, 0x2E), 2048)}}));
    // The new entries, in the second disk's directory: name, bytes 6 to 11
    // zero, place; then the end mark. The first disk is as it was.
    const std::size_t directory = original.size() / 2 + 0x2B0 + 16;
    const Bytes bee = {'B', 'E', 'E', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2};
    const Bytes zed = {'Z', 'E', 'D', 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 2, 4};
    EXPECT_EQ(Bytes(after.begin() + directory + 16, after.begin() + directory + 32), bee);
    EXPECT_EQ(Bytes(after.begin() + directory + 32, after.begin() + directory + 48), zed);
    EXPECT_EQ(after[directory + 48], 0xFF);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + original.size() / 2, original.begin()));
}

TEST(PutCases, CopiesOfOneDiskMustAgreeOnDeletesAndAdds) {
    // The disk, then a disk record that lists it again at the same place.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1), dirEntry("B", 2, 2, 2, 2)}));
    disk.track(2, dataTrack(2));
    Disk again;
    again.diskSize = -static_cast<std::int32_t>(buildImage({disk}).size());
    Scratch scratch;
    writeImage(scratch.image(), {disk, again});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"--disk-folders", "-C", "out", image});
    const Args call = {"--delete", "--disk-folders", "-C", "out", "-o", "new.d88", image};
    // Every listing's folder holds a copy of A.
    std::vector<std::string> copies;
    for (const fs::directory_entry& folder : fs::directory_iterator(scratch.work() / "out")) {
        if (fs::exists(folder.path() / "A")) {
            copies.push_back(folder.path().filename().string());
        }
    }
    std::sort(copies.begin(), copies.end());
    ASSERT_GE(copies.size(), 2u);
    for (const std::string& copy : {copies.front(), copies.back()}) {
        SCOPED_TRACE(copy);
        const fs::path file = scratch.work() / "out" / copy / "A";
        const Bytes kept = readFile(file);
        fs::remove(file);
        const ToolResult result = put(scratch, call);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(copy + "/A: not put back: its copy in disk"), std::string::npos) << result.err;
        EXPECT_TRUE(nothingNew(scratch));
        writeFile(file, kept);
    }
    // Taken away from every copy: deleted once.
    for (const std::string& copy : copies) {
        fs::remove(scratch.work() / "out" / copy / "A");
    }
    const ToolResult result = put(scratch, call);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, console("disk00/A: deleted\n"));

    // Added to every copy alike: added once; with other bytes: refused.
    for (const std::string& copy : copies) {
        writeFile(scratch.work() / "out" / copy / "NEW", text("new"));
    }
    const Args add = {"--add", "--disk-folders", "-C", "out", "-o", "added.d88", image};
    const ToolResult added = put(scratch, add);
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, console("disk00/NEW: added at track 02 sector 03, 1 sector\n"));
    writeFile(scratch.work() / "out" / copies.back() / "NEW", text("other"));
    fs::remove(scratch.work() / "added.d88");
    const ToolResult differ = put(scratch, add);
    EXPECT_EQ(differ.status, 1);
    EXPECT_EQ(differ.err, refused("disk00/NEW", "its copy in " + copies.back() + " differs"));
    EXPECT_FALSE(fs::exists(scratch.work() / "added.d88"));

    // In one folder every listing writes the same file: it is one entry,
    // deleted once.
    (void)extract(scratch, {"-C", "flat", image});
    fs::remove(scratch.work() / "flat" / "A");
    const ToolResult flat = put(scratch, {"--delete", "-C", "flat", "-o", "flat.d88", image});
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(flat.out, console("A: deleted\n"));
    (void)extract(scratch, {"-C", "flatback", (scratch.work() / "flat.d88").string()});
    EXPECT_EQ(treeOf(scratch.work() / "flatback"), (Tree{{"B", readFile(scratch.work() / "flat" / "B")}}));
}

TEST(PutCases, NothingIsSilent) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    const Bytes original = readFile(scratch.image());
    (void)extract(scratch, {"-C", "out", image});
    const std::string stray = "d88put: notes.txt: not put back: no entry of this name on the disk (--add makes one)\n";
    const std::string dryRun = "d88put: new.d88: not written (-n, --dry-run)\n";

    // Files an editor leaves, and files no NAME takes, are no strays.
    writeFile(scratch.work() / "out" / ".HELLO.swp", text("x"));
    writeFile(scratch.work() / "out" / "notes.txt", text("my notes"));
    ToolResult result = put(scratch, {"-C", "out", "-o", "new.d88", image, "HELLO"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, noFileChanged(image));
    EXPECT_EQ(readFile(scratch.work() / "new.d88"), original);
    fs::remove(scratch.work() / "new.d88");

    result = put(scratch, {"-n", "-C", "out", "-o", "new.d88", image, "HELLO"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, console("d88put: no file changed: new.d88 would be a copy of " + image + "\n" + dryRun));

    // A file no entry names is refused by name, and the last word of a dry
    // run is still that nothing was written.
    for (const Args& dry : {Args{}, Args{"-n"}}) {
        result = put(scratch, with(dry, {"-C", "out", "-o", "new.d88", image}));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, console(dry.empty() ? stray : stray + dryRun));
        EXPECT_TRUE(nothingNew(scratch));
    }

    // Folders that hold none of the image's files: taken out with other
    // options, or another folder.
    fs::create_directory(scratch.work() / "empty");
    for (const Args& options : {Args{"--disk-folders", "-C", "out"}, Args{"-C", "empty"}}) {
        result = put(scratch, with(options, {"-o", "new.d88", image}));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, console("d88put: " + options.back() +
                                      ": holds none of the image's files (taken out with other -C, --disk-folders "
                                      "or --utf8?)\n"));
        EXPECT_TRUE(nothingNew(scratch));
    }
    EXPECT_EQ(readFile(scratch.image()), original);
}

TEST(PutCases, UnderUtf8AStrayIsKnownByItsWholeName) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {"--utf8", "-C", "out", image});
    // Longer than any entry's name: its first six bytes are another name.
    writeFile(scratch.work() / "out" / "HELLO-notes.txt", text("my notes"));
    const Args call = {"--utf8", "-C", "out", "-o", "new.d88", image};
    ToolResult result = put(scratch, with(call, {"HELLO"}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, noFileChanged(image));
    fs::remove(scratch.work() / "new.d88");
    result = put(scratch, with(call, {"*.txt"}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              console("d88put: HELLO-notes.txt: not put back: no entry of this name on the disk (--add makes one)\n"));
    EXPECT_TRUE(nothingNew(scratch));

    // Windows keeps its own Unicode names and code page 932's mapping.
    if (toolRunsOnWindows()) {
        return;
    }
    // Shift_JIS 81 60 comes out as U+FF5E; U+301C turns back to it too,
    // but is no file d88extract writes: a stray, not the entry's file.
    Disk tilde;
    tilde.track(1, directoryTrack({dirEntry("\x81\x60", 2, 1, 2, 1), dirEntry("B", 2, 2, 2, 2)}));
    tilde.track(2, dataTrack(2));
    writeImage(scratch.image(), {tilde});
    (void)extract(scratch, {"--utf8", "-C", "tilde", image});
    fs::rename(scratch.work() / "tilde" / "\xEF\xBD\x9E", scratch.work() / "tilde" / "\xE3\x80\x9C");
    for (const Args& options : {Args{"--delete"}, Args{}}) {
        result = put(scratch, with(options, {"--utf8", "-C", "tilde", "-o", "new.d88", image}));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "d88put: \xE3\x80\x9C: not put back: no entry of this name on the disk (--add makes one)\n");
        EXPECT_TRUE(nothingNew(scratch));
    }
}

// An entry's name in Shift_JIS and the UTF-8 it reads as.
struct JapaneseName {
    std::string sjis;
    std::string utf8;
};

TEST(PutJapaneseNames, FilesOfKanaAndKanjiNamesAreDeletedAndAddedUnderEveryCodePage) {
    const JapaneseName kana{"\xBB\xDD\xCC\xDF\xD9",
                            "\xEF\xBD\xBB\xEF\xBE\x9D\xEF\xBE\x8C\xEF\xBE\x9F\xEF\xBE\x99"};
    // Second bytes 0x5C, the path separator's byte.
    const JapaneseName kanji{"\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA"};
    const JapaneseName katakana{"\x83\x5C\x83\x74\x83\x67", "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88"};
    const JapaneseName nihon{"\x93\xFA\x96\x7B", "\xE6\x97\xA5\xE6\x9C\xAC"};
    // A 2/1, kana 2/2, kanji 2/3-2/4; free from 2/5 on.
    Disk disk;
    disk.track(1, directoryTrack({dirEntry("A", 2, 1, 2, 1), dirEntry(kana.sjis, 2, 2, 2, 2),
                                  dirEntry(kanji.sjis, 2, 3, 2, 4)}));
    disk.track(2, dataTrack(2));
    disk.track(3, dataTrack(3));
    for (const Args& options : {Args{}, Args{"--utf8"}}) {
        SCOPED_TRACE(options.empty() ? "Shift_JIS names" : "--utf8");
        const bool utf8 = !options.empty();
        // The file d88extract writes for an entry, and the name its lines
        // show: Windows keeps every name in Unicode.
        const auto file = [utf8](const JapaneseName& name) {
            return utf8 || toolRunsOnWindows() ? name.utf8 : name.sjis;
        };
        const auto shown = [utf8](const JapaneseName& name) { return utf8 ? name.utf8 : name.sjis; };
        Scratch scratch;
        writeImage(scratch.image(), {disk});
        const std::string image = scratch.image().string();
        const Bytes original = readFile(scratch.image());
        (void)extract(scratch, with(with({"-C", "out"}, options), {image}));
        ASSERT_TRUE(fs::exists(scratch.work() / "out" / file(kanji)));
        const Args call = with(with({"-C", "out"}, options), ROOM_OPTIONS);

        ToolResult result = put(scratch, with(call, {"-o", "same.d88", image}));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, noFileChanged(image, "same.d88"));
        EXPECT_EQ(readFile(scratch.work() / "same.d88"), original);

        fs::remove(scratch.work() / "out" / file(kanji));
        writeFile(scratch.work() / "out" / file(katakana), bytes(1500, 0x4B));
        writeFile(scratch.work() / "out" / file(nihon), text("nihon"));
        const Tree expected = treeOf(scratch.work() / "out");
        // Without --add a new file is named as the folder names it, as an
        // argument would be.
        result = put(scratch, with(with({"-C", "out"}, options), {"-o", "new.d88", image}));
        EXPECT_EQ(result.status, 1);
        const std::string stray =
            refused(shownArgument(file(nihon)), "no entry of this name on the disk (--add makes one)");
        EXPECT_NE(result.err.find(stray), std::string::npos) << result.err;
        EXPECT_TRUE(nothingNew(scratch));
        result = put(scratch, with(call, {"-o", "new.d88", image}));
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        // Added in byte order of their Shift_JIS names, in the room the
        // deleted file left.
        EXPECT_EQ(result.out, console(shown(kanji) + ": deleted\n" + shown(katakana) +
                                      ": added at track 02 sector 03, 2 sectors\n" + shown(nihon) +
                                      ": added at track 02 sector 05, 1 sector\n"));
        EXPECT_EQ(readFile(scratch.image()), original);
        (void)extract(scratch, with(with({"-C", "back"}, options), {(scratch.work() / "new.d88").string()}));
        Tree back = treeOf(scratch.work() / "back");
        EXPECT_EQ(back.size(), expected.size());
        for (const auto& [path, content] : expected) {
            EXPECT_EQ(back[path], padded(content, (content.size() + 1023) / 1024 * 1024)) << path;
        }
    }
}

TEST(PutCommandLine, WrongCallsExitTwoAndHelpListsTheOptions) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string usage = console("Usage: d88put [OPTION]... -o NEW IMAGE [NAME]...\n"
                                      "Try 'd88put --help' for more information.\n");
    for (const Args& args : std::vector<Args>{{}, {scratch.image().string()}, {"-o", "new.d88"}, {"-k"}}) {
        const ToolResult result = put(scratch, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, usage);
    }
    const ToolResult help = put(scratch, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--output=FILE", "--directory=DIR", "--disk-folders", "--disk=N", "--utf8",
                               "--relocate", "--shrink", "--delete", "--add", "--dry-run", "\n      --  "}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

TEST(PutCommandLine, DoubleDashFollowsOutputAsTheSynopsisShows) {
    Scratch scratch;
    writeImage(scratch.image(), {casesDisk()});
    const std::string image = scratch.image().string();
    (void)extract(scratch, {image});
    EXPECT_EQ(put(scratch, {"-n", "-o", "new.d88", "--", image}).status, 0);
    const ToolResult before = put(scratch, {"-n", "--", "-o", "new.d88", image});
    EXPECT_EQ(before.status, 2);
    EXPECT_EQ(before.err, console("Usage: d88put [OPTION]... -o NEW IMAGE [NAME]...\n"
                                  "Try 'd88put --help' for more information.\n"));
}

}  // namespace
