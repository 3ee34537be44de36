// The files a put read, by what they are rather than by name: names that
// open one file (the same device and file number: a link, or a file system
// that folds case, where `data` and `DATA` are one file) are one file, and
// d88extract left in it the bytes of the entry it wrote last.
#ifndef TOOL_D88PUT_OPENED_FILES_H
#define TOOL_D88PUT_OPENED_FILES_H

#include <cstdint>

#include "tool/disk/later_writes.h"
#include "tool/host/file_system.h"

class OpenedFiles {
public:
    void clear();
    // The file of `place` was opened and is `identity`; `writes`: its entry
    // writes the file (see writesFile). In the order of the run, each place
    // once.
    void note(WritePlace place, const FileIdentity& identity, bool writes);
    // Call once all are noted, before the questions below.
    void finish();

    // Whether the file of `place` belongs to another entry: one noted later
    // that writes it, or, when the entry of `place` writes no file, any
    // that does.
    bool ownedByOther(WritePlace place) const;
    // Whether a file of the run is `identity`.
    bool holds(const FileIdentity& identity) const;

private:
    struct Opened {
        FileIdentity identity;
        std::int32_t order = 0;
        bool writes = false;
        // The order of the last one of its file that writes it, or -1.
        std::int32_t lastWriter = -1;
    };
    // TTLPRG and every entry of every catalogued disk.
    static constexpr std::int32_t MAX_OPENED = MAX_DISKS * (1 + DIRECTORY_ENTRIES);
    static constexpr std::int32_t NONE = -1;

    static bool before(const Opened& a, const Opened& b);
    std::int32_t& slotOf(WritePlace place);

    Opened opened[MAX_OPENED];
    std::int32_t count = 0;
    // Each place's entry in `opened` (NONE when its file was not opened).
    std::int32_t byPlace[MAX_DISKS][1 + DIRECTORY_ENTRIES];
    // `opened` by identity once finished: an index into it, for holds().
    std::int32_t sorted[MAX_OPENED];
};

#endif
