// Which disks and files a run takes: the disks --disk names (all when none
// is named) and, on them, the files whose names match one of the NAMEs
// given after the image (all when none is given). It also keeps which
// NAMEs matched, for the ones that found nothing.
#ifndef TOOL_CLI_SELECTION_H
#define TOOL_CLI_SELECTION_H

#include <cstddef>
#include <cstdint>

#include "tool/cli/messages.h"
#include "tool/cli/options.h"
#include "tool/host/arguments.h"

// Whether `name` matches `pattern` as a whole: '*' stands for any run of
// characters, '?' for one character, every other character for itself,
// case included. Characters are UTF-8 ones when `utf8`, otherwise Shift_JIS
// ones (a lead byte and its trail byte are one). A byte that begins no
// whole character is a character of its own.
bool nameMatches(const char* pattern, const char* name, bool utf8);

class Selection {
public:
    // Every disk and every file.
    Selection() = default;
    // What `line` asks for. Its NAMEs stay in argv, which outlives the run.
    explicit Selection(const CommandLine& line);

    bool takesDisk(std::int32_t disk) const;
    // Every disk and every file: no --disk, no NAME.
    bool takesEverything() const { return nameCount == 0 && !disks.any(); }

    // Whether the file `name` (an entry's raw name, or TTLPRG) is taken,
    // noting every NAME that matches it. Ask once for each file met.
    bool takesFile(const char* name);

    // Whether a folder's file named `file`, whose entry name is `name` (its
    // name turned back), is taken, as takesFile does. Under --utf8 its name
    // is matched as the folder holds it, whole: a stray's name may be longer
    // than any entry's, or not turn back at all.
    bool takesFolderFile(const char* name, const char* file);

    // "PROGRAM: no disk N in the image" on standard error for each disk
    // asked for that an image of `diskCount` disks does not hold; true when
    // there was any.
    bool reportMissingDisks(Console& console, std::int32_t diskCount) const;

    // "PROGRAM: NAME: not found in the image" on standard error for each
    // NAME that matched no file taken; true when there was any.
    bool reportNamesNotFound(Console& console) const;

private:
    bool matched(std::int32_t index) const { return ((found[index / 8] >> (index % 8)) & 1u) != 0; }
    // NAME `index` as it is compared; null for one no entry can bear.
    const char* patternOf(std::int32_t index) const;
    // Notes every NAME that matches `compared`, a name in the form NAMEs
    // are compared in; whether any does.
    bool notesMatches(const char* compared);

    // The NAMEs as they are compared, made once for the run: converting each
    // again for every file met costs seconds with thousands of them. Where a
    // NAME needs no conversion it is its argument; converted ones (Windows,
    // where a command line holds at most 32767 units of at most two bytes
    // each) are kept in the pool. Kept as places in the pool, not pointers,
    // so that a copy of the selection is whole.
    static constexpr std::size_t PATTERN_POOL_SIZE = 2 * MAX_COMMAND_LINE + MAX_NAMES;
    static constexpr std::int32_t PATTERN_IS_NAME = -1;
    static constexpr std::int32_t NO_PATTERN = -2;
    std::int32_t patternStart[MAX_NAMES];
    char patternPool[PATTERN_POOL_SIZE];

    const char* const* names = nullptr;
    std::int32_t nameCount = 0;
    DiskChoice disks;
    // Names are matched in their UTF-8 form, not as raw bytes.
    bool utf8 = false;
    // One bit per NAME: whether a file taken matched it.
    std::uint8_t found[MAX_NAMES / 8] = {};
};

#endif
