// The shipped sample: reproducible from its generator, extracted as its
// listing says, and every output README.md shows is what the tools print.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "examples/sample_image.h"
#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string EXAMPLES = EXAMPLES_DIR;

TEST(Sample, TheShippedImagesAreWhatTheGeneratorMakes) {
    for (const ShippedImage& image : SHIPPED_IMAGES) {
        EXPECT_EQ(readFile(EXAMPLES + "/" + image.fileName), image.make()) << image.fileName;
    }
}

TEST(Sample, ExtractingThemPrintsTheShippedListings) {
    for (const std::string name : {"sample", "adventure"}) {
        Scratch scratch;
        const ToolResult result = scratch.run({"d88extract", EXAMPLES + "/" + name + ".d88"});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_EQ(result.err, "") << name;
        const Bytes listing = readFile(EXAMPLES + "/" + name + ".listing");
        EXPECT_EQ(result.out, console(std::string(listing.begin(), listing.end()))) << name;
    }
    Scratch scratch;
    scratch.run({"d88extract", EXAMPLES + "/sample.d88"});
    EXPECT_EQ(scratch.files().size(), 5u);
    EXPECT_EQ(scratch.files()["GAME"].size(), 7u * 1024);
}

// One command README.md shows and the lines it prints.
struct ShownRun {
    int line = 0;  // of README.md, for the failure message
    std::string command;
    std::string output;
};

struct ShownBlock {
    bool continued = false;  // runs on in the folder the block before left
    std::vector<ShownRun> runs;
    bool apart = false;  // run in a folder of its own, not the top folder
};

// README.md's examples, each fenced block a list of runs:
//   ```console            a transcript: each "$ COMMAND" line, then what it prints
//   ```console continued  a transcript that goes on from the block before
//   ```text COMMAND       what COMMAND prints, run apart (the quick start's)
// Other blocks show no output of the tools.
std::vector<ShownBlock> shownBlocks(const std::string& readme) {
    const std::string fence = "```";
    const std::string outputFence = fence + "text ";
    std::vector<ShownBlock> blocks;
    enum class Block { None, Unchecked, Transcript, Output } block = Block::None;
    std::istringstream lines(readme);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line.rfind(fence, 0) == 0) {
            if (block != Block::None) {
                block = Block::None;
            } else if (line == fence + "console" || line == fence + "console continued") {
                block = Block::Transcript;
                blocks.push_back({line != fence + "console", {}});
            } else if (line.rfind(outputFence, 0) == 0) {
                block = Block::Output;
                blocks.push_back({false, {{number, line.substr(outputFence.size()), ""}}, true});
            } else {
                block = Block::Unchecked;
            }
        } else if (block == Block::Transcript && line.rfind("$ ", 0) == 0) {
            blocks.back().runs.push_back({number, line.substr(2), ""});
        } else if ((block == Block::Transcript || block == Block::Output) && !blocks.back().runs.empty()) {
            blocks.back().runs.back().output += line + "\n";
        }
    }
    return blocks;
}

// The names .gitignore lists, a folder's without its trailing '/'.
std::set<std::string> ignoredNames(const fs::path& gitignore) {
    const Bytes bytes = readFile(gitignore);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '/') {
            line.pop_back();
        }
        names.insert(line);
    }
    return names;
}

// Whether a block asks d88put to change a disk's directory, which needs
// options this d88put may not have yet.
bool makesRoom(const ShownBlock& block) {
    for (const ShownRun& shown : block.runs) {
        if (shown.command.find("d88put ") != std::string::npos &&
            (shown.command.find(" --add") != std::string::npos || shown.command.find(" --delete") != std::string::npos)) {
            return true;
        }
    }
    return false;
}

// Each chain of blocks (a block and those continuing it) runs in a fresh
// folder holding examples/*.d88, as from the top of the source tree, with
// the programs built here first on the PATH; standard error is shown where
// it comes, among the lines of standard output. A chain runs up to its
// first block that makes room, or in full with `roomToo`; only chains with
// such a block run with `roomOnly`. What the commands write must land where
// git ignores it, in the source tree the README runs them in. Returns the
// number of commands run.
std::size_t checkShownRuns(bool roomToo, bool roomOnly) {
    const fs::path readmePath = fs::path(EXAMPLES).parent_path() / "README.md";
    const Bytes readmeBytes = readFile(readmePath);
    const std::vector<ShownBlock> blocks = shownBlocks(std::string(readmeBytes.begin(), readmeBytes.end()));
    EXPECT_FALSE(blocks.empty());
    const std::set<std::string> ignored = ignoredNames(readmePath.parent_path() / ".gitignore");
    const std::string tools = fs::absolute(toolPath()).parent_path().string();
    std::size_t runs = 0;
    for (std::size_t first = 0; first < blocks.size();) {
        std::size_t end = first + 1;
        bool chainMakesRoom = makesRoom(blocks[first]);
        while (end < blocks.size() && blocks[end].continued) {
            chainMakesRoom = chainMakesRoom || makesRoom(blocks[end]);
            ++end;
        }
        if (roomOnly && !chainMakesRoom) {
            first = end;
            continue;
        }
        Scratch scratch;
        fs::create_directory(scratch.work() / "examples");
        for (const fs::directory_entry& file : fs::directory_iterator(EXAMPLES)) {
            if (file.path().extension() == ".d88") {
                fs::copy_file(file.path(), scratch.work() / "examples" / file.path().filename());
            }
        }
        for (std::size_t b = first; b < end && (roomToo || !makesRoom(blocks[b])); ++b) {
            for (const ShownRun& shown : blocks[b].runs) {
                const ToolResult result = scratch.run(
                    {"sh", "-c", "exec 2>&1\n" + shown.command}, "",
                    [&tools] {
                        const char* path = std::getenv("PATH");
                        ::setenv("PATH", (tools + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str(), 1);
                    },
                    "/bin/sh");
                EXPECT_EQ(result.out, shown.output) << "README.md line " << shown.line << ": " << shown.command;
                ++runs;
            }
        }
        for (const fs::directory_entry& made : fs::directory_iterator(scratch.work())) {
            const std::string name = made.path().filename().string();
            EXPECT_TRUE(blocks[first].apart || name == "examples" || ignored.count(name) != 0)
                << "README.md line " << blocks[first].runs.front().line << " on: " << name << " is not ignored by git";
        }
        // examples/ is tracked: it must hold the images copied in, unchanged.
        for (const fs::directory_entry& made : fs::directory_iterator(scratch.work() / "examples")) {
            const fs::path shipped = fs::path(EXAMPLES) / made.path().filename();
            EXPECT_TRUE(blocks[first].apart || (shipped.extension() == ".d88" && fs::exists(shipped) &&
                                                readFile(made.path()) == readFile(shipped)))
                << "README.md line " << blocks[first].runs.front().line << " on: examples/"
                << made.path().filename().string() << " is not as shipped, and git tracks examples/";
        }
        first = end;
    }
    return runs;
}

// README.md shows what Linux prints.
TEST(Readme, EveryOutputItShowsIsWhatTheToolsPrint) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "README.md shows the Linux programs' output";
    }
    // The quick start, a task of each kind and the troubleshooting.
    EXPECT_GE(checkShownRuns(false, false), 10u);
}

// The story of a translation deletes and adds files, which d88put does only
// once it has --add and --delete.
TEST(Readme, MakingRoomShowsWhatTheToolsPrint) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "README.md shows the Linux programs' output";
    }
    Scratch scratch;
    const std::string help = scratch.run({"d88put", "--help"}, "", {}, putPath()).out;
    if (help.find("--add") == std::string::npos || help.find("--delete") == std::string::npos) {
        GTEST_SKIP() << "README.md's blocks that delete and add files wait for d88put's --add and --delete";
    }
    EXPECT_GE(checkShownRuns(true, true), 1u);
}

}  // namespace
