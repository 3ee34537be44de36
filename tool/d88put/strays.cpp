#include "tool/d88put/strays.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tool/disk/disk_layout.h"
#include "tool/disk/disk_plan.h"
#include "tool/host/sjis_text.h"

namespace {

// A name some disk's entry or TTLPRG writes, and the disk (whose folder
// holds it under --disk-folders).
struct KnownName {
    std::uint32_t hash;
    std::int32_t disk;
    char name[DIR_NAME_SIZE + 1];
};

class KnownNames final : public DiskPlanSteps {
public:
    static constexpr std::int32_t MAX_KNOWN = MAX_DISKS * (1 + DIRECTORY_ENTRIES);

    void start(bool utf8Names) {
        utf8 = utf8Names;
        count = 0;
    }
    void enterDisk(std::int32_t index) { disk = index; }
    void finish() {
        std::sort(list, list + count, [](const KnownName& a, const KnownName& b) { return a.hash < b.hash; });
    }
    // Whether an entry of disk `onDisk` (any disk when it is -1) writes the
    // file of entry name `name`.
    bool holds(const char* name, std::int32_t onDisk) const;
    // Whether an entry of disk `onDisk` (any disk when it is -1) writes a
    // file named `file` exactly: for names that do not turn back, such as
    // bytes no character stands for, which Windows writes as a stand-in.
    bool creates(const char* file, std::int32_t onDisk) const;

    void boot(const BootPlan&) override {}
    void title(const FilePlan& file) override { note(file); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t, const DirEntry&, const FilePlan& file) override { note(file); }

private:
    void note(const FilePlan& file) {
        if (file.name[0] == '\0' || count == MAX_KNOWN) {
            return;
        }
        KnownName& known = list[count++];
        known.disk = disk;
        std::snprintf(known.name, sizeof known.name, "%s", file.name);
        known.hash = outputNameHash(known.name, utf8);
    }

    KnownName list[MAX_KNOWN];
    std::int32_t count = 0;
    std::int32_t disk = 0;
    bool utf8 = false;
};

bool KnownNames::holds(const char* name, std::int32_t onDisk) const {
    const std::uint32_t hash = outputNameHash(name, utf8);
    const KnownName* first = std::lower_bound(
        list, list + count, hash, [](const KnownName& known, std::uint32_t value) { return known.hash < value; });
    for (const KnownName* known = first; known != list + count && known->hash == hash; ++known) {
        if ((onDisk < 0 || known->disk == onDisk) && sameOutputName(known->name, name, utf8)) {
            return true;
        }
    }
    return false;
}

bool KnownNames::creates(const char* file, std::int32_t onDisk) const {
    char created[FOLDER_FILE_NAME_SIZE];
    for (std::int32_t i = 0; i < count; ++i) {
        if (onDisk < 0 || list[i].disk == onDisk) {
            createdFileName(list[i].name, utf8, created, sizeof created);
            if (std::strcmp(created, file) == 0) {
                return true;
            }
        }
    }
    return false;
}


// The entry name of the file `file` as d88extract makes file names of entry
// names, in `out`: under --utf8 (and on Windows, whose names are Unicode)
// turned back to Shift_JIS; a name that does not turn back stays as it is,
// as d88extract keeps such names' raw bytes.
void entryNameOf(const char* file, bool utf8, char* out, std::size_t size) {
    if (utf8 || HOST_NAME_RULES == NameRules::Windows) {
        const SjisResult result = utf8ToSjis(file, std::strlen(file), out, size);
        if (result.status == SjisStatus::Complete) {
            return;
        }
    }
    std::snprintf(out, size, "%s", file);
}

// Whether `file` in `folder` is IMAGE or NEW.
bool isImageOrNew(const Run& run, const char* folder, const char* file, const FileIdentity& newImage) {
    char filePath[PATH_SIZE];
    if (!joinFolderPath(folder, file, filePath, sizeof filePath)) {
        return false;
    }
    const FileIdentity identity = identifyPath(filePath);
    return run.output.isImage(identity)
           || (identity.known && newImage.known && identity.volume == newImage.volume
               && identity.index == newImage.index);
}

void listFolder(Run& run, const KnownNames& knownNames, const char* folder, std::int32_t disk,
                const FileIdentity& newImage, Strays& strays) {
    FolderFiles folderFiles;
    char fileName[FOLDER_FILE_NAME_SIZE];
    char turnedBack[FOLDER_FILE_NAME_SIZE];
    char createdName[FOLDER_FILE_NAME_SIZE];
    // A disk's folder that is not there holds nothing (d88extract makes one
    // only for a disk with files); a -C folder that is not there was
    // reported before.
    if (!folderFiles.open(folder)) {
        return;
    }
    const bool utf8 = run.output.getSettings().utf8Names;
    while (folderFiles.next(fileName)) {
        // Editors and systems leave such files beside the user's.
        if (fileName[0] == '.') {
            continue;
        }
        entryNameOf(fileName, utf8, turnedBack, sizeof turnedBack);
        const bool entryLength = turnedBack[0] != '\0' && std::strlen(turnedBack) <= DIR_NAME_SIZE;
        // Several characters turn back to one Shift_JIS character, which
        // d88extract writes as one of them: a file named with another is
        // none it writes, though its name turns back to an entry's.
        createdFileName(turnedBack, utf8, createdName, sizeof createdName);
        const bool turnsBackWhole = std::strcmp(createdName, fileName) == 0;
        // Asked last: a NAME that a stray matches counts as found.
        if ((entryLength && turnsBackWhole && knownNames.holds(turnedBack, disk))
            || isImageOrNew(run, folder, fileName, newImage)
            || knownNames.creates(fileName, disk) || !run.selection.takesFolderFile(turnedBack, fileName)) {
            continue;
        }
        Stray* stray = strays.add();
        if (stray != nullptr) {
            stray->disk = disk;
            std::snprintf(stray->file, sizeof stray->file, "%s", fileName);
            if (entryLength) {
                std::snprintf(stray->name, sizeof stray->name, "%s", turnedBack);
            }
        }
    }
    folderFiles.close();
}

}  // namespace

Stray* Strays::add() {
    ++total;
    return kept < MAX_STRAYS ? &(list[kept++] = Stray{}) : nullptr;
}

void findStrays(D88Image& image, Run& run, const FileIdentity& newImage, Strays& strays) {
    // Large: static storage, not the stack.
    static KnownNames knownNames;
    strays.clear();
    const OutputSettings& settings = run.output.getSettings();
    // Every disk's names, taken or not: d88extract with the same options
    // would write them all into the folders.
    knownNames.start(settings.utf8Names);
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        (void)image.selectDisk(disk);
        knownNames.enterDisk(disk);
        OutputPlace planned(settings, FileIdentity{});
        planned.enterDisk(disk);
        planDisk(image, planned, knownNames, PlanReads::Places);
    }
    knownNames.finish();
    if (!settings.diskFolders) {
        listFolder(run, knownNames, settings.folder, -1, newImage, strays);
        return;
    }
    char folder[PATH_SIZE];
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        if (!run.selection.takesDisk(disk)) {
            continue;
        }
        run.output.enterDisk(disk);
        if (run.output.diskFolderPath(folder, sizeof folder)) {
            listFolder(run, knownNames, folder, disk, newImage, strays);
        }
    }
}

void strayShownName(const Run& run, const Stray& stray, char* out, std::size_t size) {
    if (stray.disk >= 0) {
        const ShownName folder = run.output.shownName(stray.disk, "");
        std::snprintf(out, size, "%s%s", folder.text, stray.file);
    } else {
        std::snprintf(out, size, "%s", stray.file);
    }
}
