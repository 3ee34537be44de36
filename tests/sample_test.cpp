// The shipped sample: reproducible from its generator, and extracted as its
// listing says.
#include <gtest/gtest.h>

#include "examples/sample_image.h"
#include "tests/tool_runner.h"

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

}  // namespace
