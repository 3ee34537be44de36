// The command-line contract of both tools, parsed without running them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tool/cli/options.h"

namespace {

struct Parsed {
    ParseResult result;
    CommandLine line;
};

Parsed parse(std::initializer_list<const char*> args, const OptionSet& options = EXTRACT_OPTIONS) {
    std::vector<const char*> argv{"tool"};
    argv.insert(argv.end(), args);
    Parsed parsed{};
    parsed.result = parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, parsed.line);
    return parsed;
}

void expectUsage(std::initializer_list<const char*> args, UsageProblem problem, const char* culprit,
                 const OptionSet& options = EXTRACT_OPTIONS) {
    const Parsed parsed = parse(args, options);
    EXPECT_EQ(parsed.result, ParseResult::Usage);
    EXPECT_EQ(parsed.line.problem, problem);
    EXPECT_STREQ(parsed.line.problemArgument, culprit);
}

TEST(Options, OneArgumentIsTheImageButForHelpAndVersion) {
    for (const char* arg : {"-t", "-C", "--", "-", "--directory=x", "--utf8", "--bogus", "IMG"}) {
        const Parsed parsed = parse({arg});
        EXPECT_EQ(parsed.result, ParseResult::Run) << arg;
        EXPECT_EQ(std::string(parsed.line.image), arg);
        EXPECT_FALSE(parsed.line.listOnly || parsed.line.utf8 || parsed.line.directory != nullptr) << arg;
    }
    EXPECT_EQ(parse({"--help"}).result, ParseResult::Help);
    EXPECT_EQ(parse({"--version"}).result, ParseResult::Version);
    expectUsage({"--help", "IMG"}, UsageProblem::NotAlone, "--help");
    expectUsage({"-t", "--version"}, UsageProblem::NotAlone, "--version");
    expectUsage({}, UsageProblem::NoImage, nullptr);
}

TEST(Options, FlagsInAnyOrderThenDoubleDashEndsThem) {
    Parsed parsed = parse({"--utf8", "-t", "--keep-old-files", "--disk-folders", "-k", "--list", "IMG"});
    ASSERT_EQ(parsed.result, ParseResult::Run);
    EXPECT_STREQ(parsed.line.image, "IMG");
    EXPECT_TRUE(parsed.line.utf8 && parsed.line.listOnly && parsed.line.keepOldFiles
                && parsed.line.diskFolders);

    parsed = parse({"-t", "--", "-k"});
    EXPECT_EQ(parsed.result, ParseResult::Run);
    EXPECT_STREQ(parsed.line.image, "-k");
    EXPECT_FALSE(parsed.line.keepOldFiles);
    EXPECT_STREQ(parse({"--", "--"}).line.image, "--");
    expectUsage({"-t", "--"}, UsageProblem::NoImage, nullptr);
}

TEST(Options, DirectoryFormsAndTheirMistakes) {
    for (std::initializer_list<const char*> args : {std::initializer_list<const char*>{"-C", "out", "IMG"},
                                                    {"--directory", "out", "IMG"},
                                                    {"--directory=out", "IMG"}}) {
        const Parsed parsed = parse(args);
        EXPECT_EQ(parsed.result, ParseResult::Run);
        EXPECT_STREQ(parsed.line.directory, "out");
        EXPECT_STREQ(parsed.line.image, "IMG");
    }
    EXPECT_STREQ(parse({"--directory=a=b", "IMG"}).line.directory, "a=b");
    EXPECT_STREQ(parse({"-C", "-t", "IMG"}).line.directory, "-t");  // a value, whatever it looks like
    expectUsage({"-t", "-C"}, UsageProblem::MissingValue, "-C");
    expectUsage({"-k", "--directory"}, UsageProblem::MissingValue, "--directory");
    expectUsage({"--directory=", "IMG"}, UsageProblem::MissingValue, "--directory=");
    expectUsage({"-C", "", "IMG"}, UsageProblem::MissingValue, "-C");
    expectUsage({"-C", "IMG"}, UsageProblem::NoImage, nullptr);
    expectUsage({"-C", "a", "--directory=b", "IMG"}, UsageProblem::RepeatedOption, "--directory=b");
}

TEST(Options, UnknownOptionsAndExtraArguments) {
    for (const char* option : {"-x", "-kt", "-CDIR", "--dir=x", "--utf8=1", "--lis", "---"}) {
        expectUsage({option, "IMG"}, UsageProblem::UnknownOption, option);
    }
    expectUsage({"A", "B"}, UsageProblem::ExtraArgument, "B");
    expectUsage({"IMG", "-t"}, UsageProblem::ExtraArgument, "-t");
}

TEST(Options, InfoTakesOnlyUtf8AndRefusesALoneDash) {
    EXPECT_STREQ(parse({"-"}, INFO_OPTIONS).line.image, "-");
    EXPECT_EQ(parse({"--help"}, INFO_OPTIONS).result, ParseResult::Help);
    const Parsed parsed = parse({"--utf8", "IMG"}, INFO_OPTIONS);
    EXPECT_EQ(parsed.result, ParseResult::Run);
    EXPECT_TRUE(parsed.line.utf8);
    expectUsage({"-t"}, UsageProblem::UnknownOption, "-t", INFO_OPTIONS);
    expectUsage({"--utf8"}, UsageProblem::NoImage, nullptr, INFO_OPTIONS);
    expectUsage({"-k", "IMG"}, UsageProblem::UnknownOption, "-k", INFO_OPTIONS);
    expectUsage({"-C", "d", "IMG"}, UsageProblem::UnknownOption, "-C", INFO_OPTIONS);
}

}  // namespace
