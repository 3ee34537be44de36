// d88info's marks against what d88extract really does, on many randomly
// damaged images of the layout d88extract expects: every mark must match
// the listing, the diagnostics, the exit status and the files left.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>

#include "tests/damaged_images.h"
#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

// A symbolic link by this name in the working folder leads to the image.
const std::string IMAGE_LINK = "IMG";

// One file d88info marks: TTLPRG or a directory entry.
struct Marked {
    std::string where;  // "disk D entry E" or "disk D TTLPRG"
    std::string name;
    long size = 0;
    std::string mark;
    std::string note;
};

// The mark without its numbers; for "none", the kind of place the run
// stopped.
std::string kindOf(const Marked& file) {
    if (file.mark == "refused") {
        return "refused: " + file.note;
    }
    if (file.mark != "none") {
        return file.mark.substr(0, file.mark.find(':'));
    }
    for (const char* kind : {"absent", "outside", "count of 0", "not found", "holds"}) {
        if (file.note.find(kind) != std::string::npos) {
            return std::string("none: ") + kind;
        }
    }
    return "none: " + file.note;
}

bool writes(const Marked& file) { return file.mark == "all" || file.mark.rfind("some: ", 0) == 0; }

// The marked files in page order, and d88extract's expected standard output.
std::vector<Marked> readPage(const std::string& page, std::string& listing) {
    std::vector<Marked> files;
    std::size_t at = 0;
    int disk = -1;
    int entry = 0;
    while (at < page.size()) {
        const std::size_t end = page.find('\n', at);
        const std::string line = page.substr(at, end - at);
        at = end + 1;
        if (line.rfind("Disk ", 0) == 0) {
            ++disk;
            entry = 0;
        } else if (line.rfind("  TTLPRG: ", 0) == 0) {
            listing += "Found: DISK-A  cutting ... TTLPRG\n";
            const std::string rest = line.substr(10);
            const std::size_t gap = rest.find("  ");
            files.push_back({"disk " + std::to_string(disk) + " TTLPRG", "TTLPRG", 3840, rest.substr(0, gap),
                             gap == std::string::npos ? "" : rest.substr(gap + 2)});
        } else if (line.size() > 35 && line.rfind(std::string(35, ' '), 0) == 0 && line[35] != ' ') {
            files.back().note = line.substr(35);
        } else if (line.size() > 35 && line.rfind("  ", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[4]))
                   && line.compare(5, 2, "  ") == 0) {
            // Index, mark, bytes 6 to 11, then d88extract's own line.
            const std::string entryLine = line.substr(35);
            listing += entryLine + "\n";
            std::string name = entryLine.substr(0, entryLine.find("   START:"));
            name.erase(name.find_last_not_of(' ') + 1);
            std::string mark = line.substr(7, 12);
            mark.erase(mark.find_last_not_of(' ') + 1);
            files.push_back({"disk " + std::to_string(disk) + " entry " + std::to_string(entry++), name,
                             std::stol(entryLine.substr(entryLine.find("SIZE:") + 5), nullptr, 16), mark, ""});
        }
    }
    return files;
}

TEST(PlanTruth, EveryMarkTellsWhatD88extractDoes) {
    DamagedImages images(20261209);
    std::set<std::string> kinds;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        Scratch scratch;
        const std::vector<Disk> disks = images.disks();
        writeImage(scratch.image(), disks);
        fs::create_symlink(scratch.image(), scratch.work() / IMAGE_LINK);
        const ToolResult info = scratch.run({"d88info", scratch.image().string()}, "", {}, infoPath());
        ASSERT_EQ(info.status, 0);
        ASSERT_EQ(info.err, "");
        const ToolResult run = scratch.run({"d88extract", scratch.image().string()});

        std::string listing;
        const std::vector<Marked> files = readPage(info.out, listing);
        std::string diagnostics;
        std::map<std::string, const Marked*> survivors;
        for (const Marked& file : files) {
            if (file.mark == "refused") {
                diagnostics += "d88extract: " + file.name + ": not written: " + file.note + "\n";
            } else if (file.mark.rfind("some: ", 0) == 0) {
                diagnostics += "d88extract: " + file.name + ": only "
                               + std::to_string(std::stol(file.mark.substr(6), nullptr, 16)) + " of "
                               + std::to_string(file.size) + " bytes could be read; the rest is zero\n";
            }
            kinds.insert(kindOf(file));
            if (!writes(file)) {
                continue;
            }
            if (file.note.rfind("replaced by ", 0) == 0) {
                // The write named must come later and make the same file.
                const std::string by = file.note.substr(12);
                const auto later = std::find_if(files.begin(), files.end(),
                                                [&](const Marked& f) { return f.where == by; });
                ASSERT_NE(later, files.end()) << by;
                EXPECT_GT(later - files.begin(), &file - files.data());
                EXPECT_TRUE(writes(*later) && later->name == file.name) << file.where;
                kinds.insert("replaced");
            } else {
                EXPECT_EQ(file.note, "") << file.where;
                EXPECT_TRUE(survivors.emplace(file.name, &file).second) << file.name << " survives twice";
            }
        }
        EXPECT_EQ(run.out, listing);
        EXPECT_EQ(run.err, diagnostics);
        EXPECT_EQ(run.status, diagnostics.find("not written") != std::string::npos ? 1 : 0);

        std::map<std::string, Bytes> left = scratch.files();
        EXPECT_EQ(left[IMAGE_LINK], buildImage(disks));
        left.erase(IMAGE_LINK);
        ASSERT_EQ(left.size(), survivors.size());
        for (const auto& [name, file] : survivors) {
            const Bytes& content = left[name];
            ASSERT_EQ(static_cast<long>(content.size()), file->size) << name;
            if (file->mark != "all") {
                // Past the bytes that came from the image, only zeros.
                const std::size_t arrived = std::stoul(file->mark.substr(6), nullptr, 16);
                EXPECT_EQ(std::count(content.begin() + static_cast<long>(arrived), content.end(), 0),
                          file->size - static_cast<long>(arrived))
                    << name;
            }
        }
    }
    // The images must reach every kind of outcome.
    EXPECT_EQ(kinds, (std::set<std::string>{"all", "some", "no name", "no size", "replaced",
                                            "refused: the name contains '/'", "refused: the name is a folder",
                                            "refused: the file is the image being read",
                                            "none: absent", "none: outside", "none: count of 0",
                                            "none: not found", "none: holds"}));
}

}  // namespace
