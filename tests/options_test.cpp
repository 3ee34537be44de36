// The command-line contract of the tools, parsed without running them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tool/cli/options.h"
#include "tool/cli/selection.h"

namespace {

struct Parsed {
    ParseResult result;
    CommandLine line;
    std::vector<const char*> argv;  // what the line's NAMEs point into
};

Parsed parse(std::initializer_list<const char*> args, const OptionSet& options = EXTRACT_OPTIONS) {
    Parsed parsed{};
    parsed.argv = {"tool"};
    parsed.argv.insert(parsed.argv.end(), args);
    parsed.result =
        parseCommandLine(static_cast<int>(parsed.argv.size()), parsed.argv.data(), options, parsed.line);
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
    expectUsage({"IMG", "-t"}, UsageProblem::ExtraArgument, "-t");
    expectUsage({"A", "B"}, UsageProblem::ExtraArgument, "B", INFO_OPTIONS);
}

TEST(Options, NamesFollowTheImageAndDisksRepeat) {
    Parsed parsed = parse({"--disk=3", "--disk", "0", "--disk=70", "--disk=65", "--", "IMG", "A*", "-", "-B"});
    ASSERT_EQ(parsed.result, ParseResult::Run);
    EXPECT_EQ(parsed.line.disks.mask, (1u << 3) | 1u);
    EXPECT_EQ(parsed.line.disks.beyond, 65);
    ASSERT_EQ(parsed.line.nameCount, 3);
    EXPECT_STREQ(parsed.line.names[0], "A*");
    EXPECT_STREQ(parsed.line.names[1], "-");
    EXPECT_STREQ(parsed.line.names[2], "-B");
    parsed = parse({"IMG", "--", "-B", "--"});
    ASSERT_EQ(parsed.line.nameCount, 2);
    EXPECT_STREQ(parsed.line.names[0], "-B");
    // Two arguments and no option: an image and a NAME.
    parsed = parse({"IMG", "HELLO"});
    EXPECT_EQ(parsed.line.nameCount, 1);
    EXPECT_FALSE(parsed.line.disks.any());
    for (const char* bad : {"--disk=-1", "--disk=+1", "--disk=1x", "--disk=1234567890"}) {
        expectUsage({bad, "IMG"}, UsageProblem::BadValue, bad);
    }
    expectUsage({"--disk=", "IMG"}, UsageProblem::MissingValue, "--disk=");
    expectUsage({"IMG", "A", "-k"}, UsageProblem::ExtraArgument, "-k");
    EXPECT_EQ(parse({"--disk=1", "IMG"}, INFO_OPTIONS).line.disks.mask, 2u);
}

TEST(Selection, NamesMatchWholeNamesByCharacters) {
    const std::string kanji = "\x95\x5C";  // a second byte of '\\' is no character of its own
    const std::string kana = "\xEF\xBD\xBB\xEF\xBE\x9D";  // two half-width kana in UTF-8
    struct Case {
        std::string pattern, name;
        bool utf8, matches;
    };
    for (const Case& c : std::vector<Case>{
             {"HELLO", "HELLO", false, true}, {"HELL", "HELLO", false, false}, {"hello", "HELLO", false, false},
             {"H*", "HELLO", false, true}, {"*O", "HELLO", false, true}, {"*L*L*", "HELLO", false, true},
             {"H?LLO", "HELLO", false, true}, {"*", "", false, true}, {"?", "", false, false},
             {"A*", "A*", false, true}, {"A*", "B*", false, false}, {"A\\", "A" + kanji, false, false},
             {"??", kanji + "1", false, true}, {"?1", kanji + "1", false, true}, {"???", kanji + "1", false, false},
             {"*\\*", kanji, false, false}, {"?", kana, true, false}, {"??", kana, true, true},
             {"\xEF\xBD\xBB*", kana, true, true}, {"?", "\xEF\xBD", true, false}}) {
        EXPECT_EQ(nameMatches(c.pattern.c_str(), c.name.c_str(), c.utf8), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(Selection, EachSelectionAndItsCopyKeepTheirOwnNames) {
    const Parsed a = parse({"IMG", "A*"});
    const Parsed b = parse({"IMG", "B*"});
    Selection first(a.line);
    Selection second(b.line);
    Selection copy = first;
    EXPECT_TRUE(first.takesFile("ALPHA"));
    EXPECT_FALSE(first.takesFile("BETA"));
    EXPECT_TRUE(second.takesFile("BETA"));
    EXPECT_FALSE(second.takesFile("ALPHA"));
    EXPECT_TRUE(copy.takesFile("AX"));
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
    EXPECT_TRUE(parse({"--map", "IMG"}, INFO_OPTIONS).line.map);
    expectUsage({"--map", "IMG"}, UsageProblem::UnknownOption, "--map", EXTRACT_OPTIONS);
}

TEST(Options, PutTakesItsOwnOptionsThenTheImageAndItsNames) {
    Parsed parsed = parse({"-o", "new.d88", "--relocate", "-n", "-C", "w", "--disk-folders", "--utf8", "--disk=1",
                           "IMG", "A*", "-"},
                          PUT_OPTIONS);
    ASSERT_EQ(parsed.result, ParseResult::Run);
    EXPECT_STREQ(parsed.line.output, "new.d88");
    EXPECT_STREQ(parsed.line.directory, "w");
    EXPECT_STREQ(parsed.line.image, "IMG");
    EXPECT_TRUE(parsed.line.relocate && parsed.line.dryRun && parsed.line.diskFolders && parsed.line.utf8);
    EXPECT_EQ(parsed.line.disks.mask, 2u);
    ASSERT_EQ(parsed.line.nameCount, 2);
    EXPECT_STREQ(parsed.line.names[1], "-");
    for (std::initializer_list<const char*> args : {std::initializer_list<const char*>{"--output=new.d88", "IMG"},
                                                    {"--output", "new.d88", "--dry-run", "IMG"}}) {
        EXPECT_STREQ(parse(args, PUT_OPTIONS).line.output, "new.d88");
    }
    // As the synopsis writes it: -o NEW [--] IMAGE [NAME]...
    parsed = parse({"-o", "new.d88", "--", "-IMG", "-A"}, PUT_OPTIONS);
    ASSERT_EQ(parsed.result, ParseResult::Run);
    EXPECT_STREQ(parsed.line.image, "-IMG");
    ASSERT_EQ(parsed.line.nameCount, 1);
    EXPECT_STREQ(parsed.line.names[0], "-A");
    EXPECT_EQ(parse({"-o", "new.d88", "IMG", "--", "-A"}, PUT_OPTIONS).line.nameCount, 1);
}

TEST(Options, PutWithoutOutputOrWithAnotherToolsOptionIsAWrongCall) {
    expectUsage({"IMG"}, UsageProblem::MissingOption, nullptr, PUT_OPTIONS);
    // After "--", -o is a word like any other: the image, not the option.
    expectUsage({"--", "-o", "new.d88", "IMG"}, UsageProblem::MissingOption, nullptr, PUT_OPTIONS);
    expectUsage({"-n", "-o"}, UsageProblem::MissingValue, "-o", PUT_OPTIONS);
    expectUsage({"-o", "a", "--output=b", "IMG"}, UsageProblem::RepeatedOption, "--output=b", PUT_OPTIONS);
    expectUsage({"-o", "a"}, UsageProblem::NoImage, nullptr, PUT_OPTIONS);
    expectUsage({"-o", "a", "IMG", "-n"}, UsageProblem::ExtraArgument, "-n", PUT_OPTIONS);
    for (const char* option : {"-k", "-t", "--relocate=1", "--dry"}) {
        expectUsage({option, "-o", "a", "IMG"}, UsageProblem::UnknownOption, option, PUT_OPTIONS);
    }
    expectUsage({"-o", "a", "IMG"}, UsageProblem::UnknownOption, "-o");
}

}  // namespace
