#include "tool/cli/selection.h"

#include <cstdio>
#include <cstring>

#include "tool/disk/dir_entry.h"
#include "tool/disk/shift_jis.h"
#include "tool/host/arguments.h"
#include "tool/host/sjis_text.h"

namespace {

constexpr char ANY_RUN = '*';
constexpr char ANY_ONE = '?';

// The bytes of the character at `text` (which is not at its end).
std::size_t characterLength(const char* text, bool utf8) {
    const auto first = static_cast<unsigned char>(text[0]);
    if (!utf8) {
        return startsDoubleByte(text) ? 2 : 1;
    }
    std::size_t length = 1;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

}  // namespace

bool nameMatches(const char* pattern, const char* name, bool utf8) {
    // Backtracking to the last '*' alone is enough: a later '*' can take
    // over whatever an earlier one would have taken.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*pattern == ANY_RUN) {
            starPattern = ++pattern;
            starName = name;
            continue;
        }
        const std::size_t length = characterLength(name, utf8);
        if (*pattern == ANY_ONE) {
            ++pattern;
            name += length;
            continue;
        }
        if (*pattern != '\0' && characterLength(pattern, utf8) == length
            && std::memcmp(pattern, name, length) == 0) {
            pattern += length;
            name += length;
            continue;
        }
        if (starPattern == nullptr) {
            return false;
        }
        // Let the last '*' take one character more.
        starName += characterLength(starName, utf8);
        name = starName;
        pattern = starPattern;
    }
    while (*pattern == ANY_RUN) {
        ++pattern;
    }
    return *pattern == '\0';
}

Selection::Selection(const CommandLine& line)
    : names(line.names), nameCount(line.nameCount), disks(line.disks), utf8(matchesNamesInUtf8(line.utf8)) {
    std::size_t used = 0;
    for (std::int32_t i = 0; i < nameCount; ++i) {
        const char* pattern = utf8 ? names[i] : argumentAsShiftJis(names[i]);
        if (pattern == names[i]) {
            patternStart[i] = PATTERN_IS_NAME;
            continue;
        }
        const std::size_t size = pattern != nullptr ? std::strlen(pattern) + 1 : 0;
        // None, as for a NAME no entry can bear, should the pool be full.
        patternStart[i] = NO_PATTERN;
        if (pattern != nullptr && size <= PATTERN_POOL_SIZE - used) {
            std::memcpy(patternPool + used, pattern, size);
            patternStart[i] = static_cast<std::int32_t>(used);
            used += size;
        }
    }
}

const char* Selection::patternOf(std::int32_t index) const {
    const std::int32_t start = patternStart[index];
    return start == PATTERN_IS_NAME ? names[index] : start == NO_PATTERN ? nullptr : patternPool + start;
}

bool Selection::takesDisk(std::int32_t disk) const {
    return !disks.any() || (disk >= 0 && disk < MAX_DISKS && ((disks.mask >> disk) & 1u) != 0);
}

bool Selection::takesFile(const char* name) {
    if (nameCount == 0) {
        return true;
    }
    // An entry's name is six bytes at most, as is TTLPRG.
    char utf8Name[utf8BufferSize(DIR_NAME_SIZE + 1)];
    const char* compared = name;
    if (utf8) {
        (void)sjisToUtf8(name, std::strlen(name), utf8Name, sizeof utf8Name);
        compared = utf8Name;
    }
    return notesMatches(compared);
}

bool Selection::takesFolderFile(const char* name, const char* file) {
    return nameCount == 0 || notesMatches(utf8 ? file : name);
}

bool Selection::notesMatches(const char* compared) {
    bool taken = false;
    for (std::int32_t i = 0; i < nameCount; ++i) {
        // Once the file is taken, only NAMEs that found nothing yet matter.
        if (taken && matched(i)) {
            continue;
        }
        const char* pattern = patternOf(i);
        if (pattern != nullptr && nameMatches(pattern, compared, utf8)) {
            found[i / 8] = static_cast<std::uint8_t>(found[i / 8] | (1u << (i % 8)));
            taken = true;
        }
    }
    return taken;
}

bool Selection::reportMissingDisks(Console& console, std::int32_t diskCount) const {
    bool any = false;
    for (std::int32_t disk = diskCount; disk < MAX_DISKS; ++disk) {
        if (((disks.mask >> disk) & 1u) != 0) {
            std::fprintf(stderr, "%s: no disk %ld in the image\n", console.program, static_cast<long>(disk));
            any = true;
        }
    }
    if (disks.beyond >= 0) {
        std::fprintf(stderr, "%s: no disk %ld in the image\n", console.program, static_cast<long>(disks.beyond));
        any = true;
    }
    return any;
}

bool Selection::reportNamesNotFound(Console& console) const {
    std::fflush(stdout);
    watchStandardOutput(console);
    bool any = false;
    for (std::int32_t i = 0; i < nameCount; ++i) {
        if (!matched(i)) {
            std::fprintf(stderr, "%s: %s: not found in the image\n", console.program, argumentAsShown(names[i]));
            any = true;
        }
    }
    return any;
}
