// Files in the folders d88put reads that d88extract, with the same options,
// writes for no entry and no TTLPRG of any disk: files the user added (or
// a sign that the folder is not the one d88extract wrote).
#ifndef TOOL_D88PUT_STRAYS_H
#define TOOL_D88PUT_STRAYS_H

#include <cstdint>

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/disk/dir_entry.h"
#include "tool/host/file_system.h"
#include "tool/host/folder_files.h"

struct Stray {
    // The disk whose folder holds it under --disk-folders, else -1: the
    // one folder of every disk.
    std::int32_t disk = -1;
    // Its name in the folder, as paths are given.
    char file[FOLDER_FILE_NAME_SIZE] = {};
    // The entry name it is when turned back as d88extract turns entry names
    // into file names (Shift_JIS under --utf8); "" when it turns back to
    // none of 1 to 6 bytes.
    char name[DIR_NAME_SIZE + 1] = {};
};

class Strays {
public:
    // More than a full directory's worth on each of several disks; a run
    // with more refuses them all the same, naming the first ones.
    static constexpr std::int32_t MAX_STRAYS = 512;

    void clear() { kept = total = 0; }
    // Every stray found, kept or not.
    std::int32_t count() const { return total; }
    // Those kept, in the order found.
    std::int32_t keptCount() const { return kept; }
    const Stray& at(std::int32_t index) const { return list[index]; }
    // A new stray to fill, or null once the list is full (it counts all the
    // same).
    Stray* add();

private:
    Stray list[MAX_STRAYS];
    std::int32_t kept = 0;
    std::int32_t total = 0;
};

// Lists the folders the run reads (the -C folder, or each taken disk's
// folder under --disk-folders) and keeps in `strays` each regular file that
// no disk's entry or TTLPRG names there, that the run's NAMEs take (all
// when none is given), whose name does not begin with '.', and that is
// neither IMAGE nor `newImage`.
void findStrays(D88Image& image, Run& run, const FileIdentity& newImage, Strays& strays);

// The name messages show for `stray`: its disk's folder under
// --disk-folders, then its file name.
void strayShownName(const Run& run, const Stray& stray, char* out, std::size_t size);

#endif
