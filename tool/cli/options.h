// The command lines of the programs: options first, in any order, then one
// IMAGE; "--" ends the options. Parsing prints nothing: the tools say what
// went wrong and print their help themselves.
#ifndef TOOL_CLI_OPTIONS_H
#define TOOL_CLI_OPTIONS_H

enum class Option { Directory, DiskFolders, KeepOldFiles, List, Utf8, Output, Relocate, DryRun };

struct OptionInfo {
    Option option;
    char shortName;         // 0 when the option has no short form
    const char* longName;   // without its leading "--"
    const char* valueName;  // null for an option that takes no value
    const char* summary;    // one line of help
};

// Every option a program knows, in the order help lists them. A value
// follows as the next argument or, for a long name, after '='; short
// options are never bundled ("-kt") nor joined to a value ("-CDIR").
inline constexpr OptionInfo OPTION_TABLE[] = {
    {Option::Directory, 'C', "directory", "DIR", "write the files into DIR (made if missing)"},
    {Option::DiskFolders, 0, "disk-folders", nullptr, "each disk's files in a folder of their own, diskNN"},
    {Option::KeepOldFiles, 'k', "keep-old-files", nullptr, "never replace a file; such an entry fails the run"},
    {Option::List, 't', "list", nullptr, "print the listing only; write no file"},
    {Option::Utf8, 0, "utf8", nullptr, "names in UTF-8 instead of their Shift_JIS bytes"},
    {Option::Output, 'o', "output", "FILE", "write the new image to FILE (required)"},
    {Option::Relocate, 0, "relocate", nullptr, "move a file that cannot grow where it is to free sectors"},
    {Option::DryRun, 'n', "dry-run", nullptr, "say what would be done; write nothing"},
};

// What one program accepts.
struct OptionSet {
    unsigned accepted;  // bit 1 << Option for each option taken
    // One argument is the image, whatever it looks like, unless it is
    // --help or --version: "d88extract -t" opens a file named "-t".
    bool loneArgumentIsImage;

    constexpr bool accepts(Option option) const {
        return ((accepted >> static_cast<unsigned>(option)) & 1u) != 0;
    }
};

inline constexpr unsigned optionBit(Option option) { return 1u << static_cast<unsigned>(option); }

inline constexpr OptionSet EXTRACT_OPTIONS = {optionBit(Option::Directory) | optionBit(Option::DiskFolders)
                                                  | optionBit(Option::KeepOldFiles) | optionBit(Option::List)
                                                  | optionBit(Option::Utf8),
                                              true};
// d88info refuses a lone argument that starts with '-' (but "-" itself).
inline constexpr OptionSet INFO_OPTIONS = {optionBit(Option::Utf8), false};
inline constexpr OptionSet PUT_OPTIONS = {optionBit(Option::Directory) | optionBit(Option::DiskFolders)
                                              | optionBit(Option::Utf8) | optionBit(Option::Output)
                                              | optionBit(Option::Relocate) | optionBit(Option::DryRun),
                                          false};

enum class ParseResult { Run, Help, Version, Usage };

// Why a call is a usage error.
enum class UsageProblem {
    None,
    NoImage,
    ExtraArgument,   // a second image, or anything after the image
    UnknownOption,   // also one the tool does not take, or a value given to a flag
    MissingValue,    // no value, or an empty one
    RepeatedOption,  // a value option given twice
    NotAlone,        // --help or --version among other arguments
};

struct CommandLine {
    const char* image = nullptr;      // points into argv
    const char* directory = nullptr;  // null: the current folder
    bool diskFolders = false;
    bool keepOldFiles = false;
    bool listOnly = false;
    bool utf8 = false;
    const char* output = nullptr;  // null: none given
    bool relocate = false;
    bool dryRun = false;
    UsageProblem problem = UsageProblem::None;
    const char* problemArgument = nullptr;  // the argument at fault; null for NoImage
};

// Parses argv[1] to argv[argc - 1] into `line` (reset first). --help and
// --version are recognised only as the one argument.
ParseResult parseCommandLine(int argc, const char* const* argv, const OptionSet& options, CommandLine& line);

#endif
