// The command lines of the programs: options first, in any order, then one
// IMAGE, then the NAMEs of the files to take where a tool takes them; "--"
// ends the options. Parsing prints nothing: the tools say what went wrong
// and print their help themselves.
#ifndef TOOL_CLI_OPTIONS_H
#define TOOL_CLI_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "d88/d88_format.h"

enum class Option {
    Directory, Disk, DiskFolders, KeepOldFiles, List, Utf8, Output, Relocate, Shrink, Delete, Add, DryRun, Json, Map
};

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
    {Option::Disk, 0, "disk", "N", "only disk N, counted from 0; may be repeated"},
    {Option::DiskFolders, 0, "disk-folders", nullptr, "each disk's files in a folder of their own, diskNN"},
    {Option::KeepOldFiles, 'k', "keep-old-files", nullptr, "never replace a file; such an entry fails the run"},
    {Option::List, 't', "list", nullptr, "print the listing only; write no file"},
    {Option::Utf8, 0, "utf8", nullptr, "names in UTF-8 instead of their Shift_JIS bytes"},
    {Option::Output, 'o', "output", "FILE", "write the new image to FILE (required)"},
    {Option::Relocate, 0, "relocate", nullptr, "move a file that cannot grow where it is to free sectors"},
    {Option::Shrink, 0, "shrink", nullptr, "give the sectors a shorter file no longer needs back"},
    {Option::Delete, 0, "delete", nullptr, "remove the entry of each file taken away from the folder"},
    {Option::Add, 0, "add", nullptr, "make an entry for each file no entry names"},
    {Option::DryRun, 'n', "dry-run", nullptr, "say what would be done; write nothing"},
    {Option::Json, 0, "json", nullptr, "print one JSON document instead of the page"},
    {Option::Map, 0, "map", nullptr, "after each disk's page, a map of its data sectors"},
};

// What one program accepts.
struct OptionSet {
    unsigned accepted;  // bit 1 << Option for each option taken
    // One argument is the image, whatever it looks like, unless it is
    // --help or --version: "d88extract -t" opens a file named "-t".
    bool loneArgumentIsImage;
    // NAMEs may follow the image.
    bool takesNames;
    // Where an option means something else to this program: its own line
    // of help (a d88put reads the files of -C, not writes them).
    const OptionInfo* ownHelp = nullptr;
    std::size_t ownHelpCount = 0;
    // Bit 1 << Option for each option a call must give.
    unsigned required = 0;

    constexpr bool accepts(Option option) const {
        return ((accepted >> static_cast<unsigned>(option)) & 1u) != 0;
    }
};

inline constexpr unsigned optionBit(Option option) { return 1u << static_cast<unsigned>(option); }

inline constexpr OptionSet EXTRACT_OPTIONS = {optionBit(Option::Directory) | optionBit(Option::DiskFolders)
                                                  | optionBit(Option::KeepOldFiles) | optionBit(Option::List)
                                                  | optionBit(Option::Utf8) | optionBit(Option::Disk),
                                              true, true};
// d88info refuses a lone argument that starts with '-' (but "-" itself).
inline constexpr OptionSet INFO_OPTIONS = {optionBit(Option::Utf8) | optionBit(Option::Disk) | optionBit(Option::Json)
                                               | optionBit(Option::Map),
                                           false, false};
inline constexpr OptionInfo PUT_OWN_HELP[] = {
    {Option::Directory, 'C', "directory", "DIR", "the files are in DIR, which must exist"},
};
inline constexpr OptionSet PUT_OPTIONS = {optionBit(Option::Directory) | optionBit(Option::DiskFolders)
                                              | optionBit(Option::Utf8) | optionBit(Option::Disk)
                                              | optionBit(Option::Output) | optionBit(Option::Relocate)
                                              | optionBit(Option::Shrink) | optionBit(Option::Delete)
                                              | optionBit(Option::Add)
                                              | optionBit(Option::DryRun),
                                          false, true, PUT_OWN_HELP, std::size(PUT_OWN_HELP),
                                          optionBit(Option::Output)};

// More NAMEs than an image can hold entries (64 disks of 128) are never
// needed; the run notes which of them matched in a fixed table.
inline constexpr std::int32_t MAX_NAMES = 8192;

// The disks --disk asks for: one bit for each disk an image can hold, and
// the lowest number asked for beyond them, which no image holds.
struct DiskChoice {
    std::uint64_t mask = 0;
    std::int32_t beyond = -1;  // -1: none

    bool any() const { return mask != 0 || beyond >= 0; }
};
static_assert(MAX_DISKS <= 64, "one bit of DiskChoice::mask per disk");

enum class ParseResult { Run, Help, Version, Usage };

// Why a call is a usage error.
enum class UsageProblem {
    None,
    NoImage,
    ExtraArgument,   // anything after the image where no NAME may stand
    UnknownOption,   // also one the tool does not take, or a value given to a flag
    MissingValue,    // no value, or an empty one
    BadValue,        // a disk number that is not one
    RepeatedOption,  // a value option given twice
    NotAlone,        // --help or --version among other arguments
    MissingOption,   // an option the tool requires was not given
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
    bool shrink = false;
    bool deleteMissing = false;
    bool addStrays = false;
    bool dryRun = false;
    bool json = false;
    bool map = false;
    DiskChoice disks;  // none asked for: every disk
    // The NAMEs after the image, pointing into argv.
    const char* const* names = nullptr;
    std::int32_t nameCount = 0;
    UsageProblem problem = UsageProblem::None;
    const char* problemArgument = nullptr;  // the argument at fault; null for NoImage
};

// Parses argv[1] to argv[argc - 1] into `line` (reset first). --help and
// --version are recognised only as the one argument. An option after "--"
// is an argument like any other: it can neither stand as an option nor
// count as a required one.
ParseResult parseCommandLine(int argc, const char* const* argv, const OptionSet& options, CommandLine& line);

#endif
