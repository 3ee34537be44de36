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

// The names some disk's entry or TTLPRG writes, each with its disk (whose
// folder holds it under --disk-folders).
class KnownNames {
public:
    static constexpr std::int32_t MAX_KNOWN = MAX_DISKS * (1 + DIRECTORY_ENTRIES);

    void start(bool utf8Names) {
        utf8 = utf8Names;
        count = 0;
    }
    // The name of a file of disk `disk`, as the plan gives it ("" for none).
    void note(std::int32_t disk, const char* name);
    // Once every name is noted, before they are asked.
    void finish();
    // Whether an entry of disk `onDisk` (any disk when it is -1) writes the
    // file of entry name `name`.
    bool holds(const char* name, std::int32_t onDisk) const;
    // Whether an entry of disk `onDisk` (any disk when it is -1) writes a
    // file named `file` exactly: for names that do not turn back, such as
    // bytes no character stands for, which Windows writes as a stand-in.
    bool creates(const char* file, std::int32_t onDisk) const;

private:
    struct KnownName {
        std::uint32_t hash;
        std::int32_t disk;
        char name[DIR_NAME_SIZE + 1];
    };
    KnownName list[MAX_KNOWN];
    std::int32_t count = 0;
    bool utf8 = false;
};

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
// neither IMAGE nor `newImage`. `knownNames` are found from every disk's
// plan, unless `namesKnown` says the run has noted them all already.
void findStrays(D88Image& image, Run& run, const FileIdentity& newImage, KnownNames& knownNames, bool namesKnown,
                Strays& strays);

// The name messages show for `stray`: its disk's folder under
// --disk-folders, then its file name.
void strayShownName(const Run& run, const Stray& stray, char* out, std::size_t size);

#endif
