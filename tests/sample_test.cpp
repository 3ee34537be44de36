// The shipped sample: reproducible from its generator, extracted as its
// listing says, and every output README.md shows is what the tools print.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "examples/sample_image.h"
#include "tests/tool_runner.h"

namespace fs = std::filesystem;

namespace {

const std::string EXAMPLES = EXAMPLES_DIR;

TEST(Sample, TheShippedImageIsWhatTheGeneratorMakes) {
    EXPECT_EQ(readFile(EXAMPLES + "/sample.d88"), sampleImage());
}

TEST(Sample, ExtractingItPrintsTheShippedListing) {
    Scratch scratch;
    const ToolResult result = scratch.run({"d88extract", EXAMPLES + "/sample.d88"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const Bytes listing = readFile(EXAMPLES + "/sample.listing");
    EXPECT_EQ(result.out, console(std::string(listing.begin(), listing.end())));
    EXPECT_EQ(scratch.files().size(), 5u);
    EXPECT_EQ(scratch.files()["GAME"].size(), 7u * 1024);
}

// One command README.md shows and the lines it prints.
struct ShownRun {
    int line = 0;  // of README.md, for the failure message
    std::string command;
    std::string output;
};

// README.md's examples, each fenced block a list of runs:
//   ```console        a transcript: each "$ COMMAND" line, then what it prints
//   ```text COMMAND   what COMMAND prints, run apart (the quick start's)
// Other blocks show no output of the tools.
std::vector<std::vector<ShownRun>> shownRuns(const std::string& readme) {
    const std::string fence = "```";
    const std::string outputFence = fence + "text ";
    std::vector<std::vector<ShownRun>> blocks;
    enum class Block { None, Unchecked, Transcript, Output } block = Block::None;
    std::istringstream lines(readme);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line.rfind(fence, 0) == 0) {
            if (block != Block::None) {
                block = Block::None;
            } else if (line == fence + "console") {
                block = Block::Transcript;
                blocks.emplace_back();
            } else if (line.rfind(outputFence, 0) == 0) {
                block = Block::Output;
                blocks.push_back({{number, line.substr(outputFence.size()), ""}});
            } else {
                block = Block::Unchecked;
            }
        } else if (block == Block::Transcript && line.rfind("$ ", 0) == 0) {
            blocks.back().push_back({number, line.substr(2), ""});
        } else if ((block == Block::Transcript || block == Block::Output) && !blocks.back().empty()) {
            blocks.back().back().output += line + "\n";
        }
    }
    return blocks;
}

// Each block runs in a fresh folder holding examples/sample.d88, as from the
// top of the source tree, with the programs built here first on the PATH;
// standard error is shown where it comes, among the lines of standard output.
// README.md shows what Linux prints.
TEST(Readme, EveryOutputItShowsIsWhatTheToolsPrint) {
    if (toolRunsOnWindows()) {
        GTEST_SKIP() << "README.md shows the Linux programs' output";
    }
    const Bytes readmeBytes = readFile(fs::path(EXAMPLES).parent_path() / "README.md");
    const std::vector<std::vector<ShownRun>> blocks = shownRuns(std::string(readmeBytes.begin(), readmeBytes.end()));
    ASSERT_FALSE(blocks.empty());
    const std::string tools = fs::absolute(toolPath()).parent_path().string();
    std::size_t runs = 0;
    for (const std::vector<ShownRun>& block : blocks) {
        Scratch scratch;
        fs::create_directory(scratch.work() / "examples");
        fs::copy_file(EXAMPLES + "/sample.d88", scratch.work() / "examples" / "sample.d88");
        for (const ShownRun& shown : block) {
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
    // The quick start, a task of each kind and the troubleshooting.
    EXPECT_GE(runs, 10u);
}

}  // namespace
