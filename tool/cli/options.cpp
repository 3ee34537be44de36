#include "tool/cli/options.h"

#include <cstring>

namespace {

constexpr char END_OF_OPTIONS[] = "--";
constexpr char HELP[] = "--help";
constexpr char VERSION[] = "--version";

// "-" alone is a file name like any word without a leading dash.
bool looksLikeOption(const char* argument) { return argument[0] == '-' && argument[1] != '\0'; }

// The option `argument` names, with `value` set to what follows its '='.
const OptionInfo* findOption(const char* argument, const char*& value) {
    value = nullptr;
    if (argument[1] != '-') {
        for (const OptionInfo& known : OPTION_TABLE) {
            if (known.shortName != 0 && argument[1] == known.shortName && argument[2] == '\0') {
                return &known;
            }
        }
        return nullptr;
    }
    const char* name = argument + 2;
    const std::size_t nameLength = std::strcspn(name, "=");
    for (const OptionInfo& known : OPTION_TABLE) {
        if (std::strlen(known.longName) == nameLength && std::strncmp(name, known.longName, nameLength) == 0) {
            if (name[nameLength] == '=') {
                value = name + nameLength + 1;
            }
            return &known;
        }
    }
    return nullptr;
}

void setFlag(CommandLine& line, Option option) {
    switch (option) {
        case Option::DiskFolders:
            line.diskFolders = true;
            break;
        case Option::KeepOldFiles:
            line.keepOldFiles = true;
            break;
        case Option::List:
            line.listOnly = true;
            break;
        case Option::Utf8:
            line.utf8 = true;
            break;
        case Option::Relocate:
            line.relocate = true;
            break;
        case Option::Shrink:
            line.shrink = true;
            break;
        case Option::Delete:
            line.deleteMissing = true;
            break;
        case Option::Add:
            line.addStrays = true;
            break;
        case Option::DryRun:
            line.dryRun = true;
            break;
        case Option::Json:
            line.json = true;
            break;
        case Option::Map:
            line.map = true;
            break;
        // These take values.
        case Option::Directory:
        case Option::Disk:
        case Option::Output:
            break;
    }
}

// A disk number: decimal digits only, small enough to count.
bool readDiskNumber(const char* value, std::int32_t& number) {
    constexpr std::size_t MAX_DIGITS = 9;
    const std::size_t digits = std::strspn(value, "0123456789");
    if (digits == 0 || digits > MAX_DIGITS || value[digits] != '\0') {
        return false;
    }
    number = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        number = number * 10 + (value[i] - '0');
    }
    return true;
}

void addDisk(DiskChoice& disks, std::int32_t number) {
    if (number < MAX_DISKS) {
        disks.mask |= std::uint64_t{1} << number;
    } else if (disks.beyond < 0 || number < disks.beyond) {
        disks.beyond = number;
    }
}

ParseResult usage(CommandLine& line, UsageProblem problem, const char* argument) {
    line.problem = problem;
    line.problemArgument = argument;
    return ParseResult::Usage;
}

}  // namespace

ParseResult parseCommandLine(int argc, const char* const* argv, const OptionSet& options, CommandLine& line) {
    line = CommandLine{};
    if (argc == 2) {
        if (std::strcmp(argv[1], HELP) == 0) {
            return ParseResult::Help;
        }
        if (std::strcmp(argv[1], VERSION) == 0) {
            return ParseResult::Version;
        }
        if (options.loneArgumentIsImage) {
            line.image = argv[1];
            return ParseResult::Run;
        }
    }
    bool optionsEnded = false;
    unsigned given = 0;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (line.image != nullptr) {
            // Options stand before the image: one after it is a mistake,
            // not a NAME, unless "--" came first, before the image or
            // right after it.
            if (!optionsEnded && line.nameCount == 0 && std::strcmp(argument, END_OF_OPTIONS) == 0
                && options.takesNames) {
                optionsEnded = true;
                continue;
            }
            if (!options.takesNames || (!optionsEnded && looksLikeOption(argument))
                || line.nameCount == MAX_NAMES) {
                return usage(line, UsageProblem::ExtraArgument, argument);
            }
            if (line.nameCount == 0) {
                line.names = argv + i;
            }
            ++line.nameCount;
            continue;
        }
        if (optionsEnded || !looksLikeOption(argument)) {
            line.image = argument;
            continue;
        }
        if (std::strcmp(argument, END_OF_OPTIONS) == 0) {
            optionsEnded = true;
            continue;
        }
        if (std::strcmp(argument, HELP) == 0 || std::strcmp(argument, VERSION) == 0) {
            return usage(line, UsageProblem::NotAlone, argument);
        }
        const char* value = nullptr;
        const OptionInfo* option = findOption(argument, value);
        if (option == nullptr || !options.accepts(option->option)
            || (option->valueName == nullptr && value != nullptr)) {
            return usage(line, UsageProblem::UnknownOption, argument);
        }
        given |= optionBit(option->option);
        if (option->valueName == nullptr) {
            setFlag(line, option->option);
            continue;
        }
        if (value == nullptr && i + 1 < argc) {
            value = argv[++i];
        }
        // An empty folder name is never meant: it is a value left out.
        if (value == nullptr || value[0] == '\0') {
            return usage(line, UsageProblem::MissingValue, argument);
        }
        if (option->option == Option::Disk) {
            std::int32_t number = 0;
            if (!readDiskNumber(value, number)) {
                return usage(line, UsageProblem::BadValue, argument);
            }
            addDisk(line.disks, number);
            continue;
        }
        // A second value would silently win.
        const char*& slot = option->option == Option::Output ? line.output : line.directory;
        if (slot != nullptr) {
            return usage(line, UsageProblem::RepeatedOption, argument);
        }
        slot = value;
    }
    if (line.image == nullptr) {
        return usage(line, UsageProblem::NoImage, nullptr);
    }
    if ((options.required & ~given) != 0) {
        return usage(line, UsageProblem::MissingOption, nullptr);
    }
    return ParseResult::Run;
}
