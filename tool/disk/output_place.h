// Where a run's output files go, how they are created, and the one file they
// must never replace: the image being read.
#ifndef TOOL_DISK_OUTPUT_PLACE_H
#define TOOL_DISK_OUTPUT_PLACE_H

#include <cstdint>
#include <cstdio>

#include "tool/disk/dir_entry.h"
#include "tool/host/file_system.h"

// The longest name messages show for a file: "diskNN/" and an entry's name
// (or TTLPRG), with room to spare.
inline constexpr std::size_t SHOWN_NAME_SIZE = 32;
static_assert(sizeof "disk00/" - 1 + DIR_NAME_SIZE + 1 <= SHOWN_NAME_SIZE);

// A file's name as messages show it (see OutputPlace::shownName).
struct ShownName {
    char text[SHOWN_NAME_SIZE];
};

struct OutputSettings {
    // The output folder as given on the command line; "" for the current one.
    const char* folder = "";
    // Each disk's files in a folder of their own, "diskNN" inside `folder`.
    bool diskFolders = false;
    // Never open an existing file: such an entry is refused.
    bool keepOldFiles = false;
    // File names in UTF-8 rather than raw Shift_JIS bytes.
    bool utf8Names = false;
};

// What became of the current disk's folder (DiskFolder::Ready when each
// disk has none).
enum class DiskFolder {
    Ready,
    FailedNow,     // it could not be made just now: errno says why
    FailedBefore,  // an earlier file of this disk found it could not be made
};

// The output files of one run. A default one is the plain call's: the
// current folder, files replaced, raw names, and no image to protect.
class OutputPlace {
public:
    OutputPlace() = default;
    OutputPlace(const OutputSettings& settings, const FileIdentity& image) : settings(settings), image(image) {}

    // Whether `identity` is the image's.
    bool isImage(const FileIdentity& identity) const {
        return image.known && identity.known && image.volume == identity.volume && image.index == identity.index;
    }

    const OutputSettings& getSettings() const { return settings; }
    const FileIdentity& getImage() const { return image; }

    // The disk whose files come next, for the per-disk folders.
    void enterDisk(std::int32_t index);

    // Makes the output folder if it is missing, or when `checkOnly` only
    // checks that it could be made; false with errno set when it cannot.
    bool prepareFolder(bool checkOnly) const;

    // Makes the current disk's folder for its files, or when `checkOnly`
    // only checks that it could be made. Tried once per disk: a disk whose
    // folder cannot be made reports it once, not once for each file.
    DiskFolder prepareDiskFolder(bool checkOnly);

    // The current disk's folder as messages name it: the output folder as
    // given, then "diskNN"; false (errno set) when it does not fit.
    bool diskFolderPath(char* out, std::size_t size) const { return currentFolder(out, size); }

    // Why the entry name `name` would not be a file name of its own as this
    // run writes names, or null (see outputNameProblem).
    const char* nameProblem(const char* name) const { return outputNameProblem(name, settings.utf8Names); }

    // Whether creating the output file `name` (an entry's name, already
    // checked by refusedNameReason) would replace the image.
    bool isImage(const char* name) const;

    // How messages name the output file `name` of the current disk, or of
    // disk `onDisk`: "diskNN/NAME" when each disk has a folder, NAME alone
    // otherwise; the output folder is left out, as the user gave it.
    ShownName shownName(const char* name) const { return shownName(disk, name); }
    ShownName shownName(std::int32_t onDisk, const char* name) const;

    // Creates the output file `name` for binary writing, making the disk's
    // folder first if it is missing; null with errno set when it cannot
    // (EEXIST when keepOldFiles refuses an existing name; see
    // prepareDiskFolder for a disk folder that cannot be made).
    std::FILE* create(const char* name);

    // Opens the existing output file `name` of the current disk for binary
    // reading, telling what it found (see openOutputFile).
    std::FILE* openExisting(const char* name, ExistingFile& found) const;

private:
    // "diskNN" and its 0, with room to spare.
    static constexpr std::size_t DISK_FOLDER_NAME_SIZE = 16;
    // The folder name of disk `index`, "diskNN".
    static void diskFolderName(std::int32_t index, char (&out)[DISK_FOLDER_NAME_SIZE]);
    // The folder of the current disk's files in `out`; false (errno set)
    // when the path does not fit.
    bool currentFolder(char* out, std::size_t size) const;

    OutputSettings settings;
    FileIdentity image;
    std::int32_t disk = 0;
    // Only a disk that writes a file gets a folder, made (or checked) when
    // its first file is.
    enum class FolderState { Untried, Ready, Failed };
    FolderState diskFolderState = FolderState::Untried;
};

#endif
