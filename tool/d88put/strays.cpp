#include "tool/d88put/strays.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tool/disk/disk_layout.h"
#include "tool/disk/disk_plan.h"
#include "tool/host/sjis_text.h"

namespace {

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

void KnownNames::note(std::int32_t disk, const char* name) {
    if (name[0] == '\0' || count == MAX_KNOWN) {
        return;
    }
    KnownName& known = list[count++];
    known.disk = disk;
    std::snprintf(known.name, sizeof known.name, "%s", name);
    known.hash = outputNameHash(known.name, utf8);
}

void KnownNames::finish() {
    std::sort(list, list + count, [](const KnownName& a, const KnownName& b) { return a.hash < b.hash; });
}

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

Stray* Strays::add() {
    ++total;
    return kept < MAX_STRAYS ? &(list[kept++] = Stray{}) : nullptr;
}

// Notes each file's name of the selected disk, whatever the run takes.
class NameSteps final : public DiskPlanSteps {
public:
    NameSteps(KnownNames& names, std::int32_t disk) : names(names), disk(disk) {}

    void boot(const BootPlan&) override {}
    void title(const FilePlan& file) override { names.note(disk, file.name); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t, const DirEntry&, const FilePlan& file) override { names.note(disk, file.name); }

private:
    KnownNames& names;
    std::int32_t disk;
};

void findStrays(D88Image& image, Run& run, const FileIdentity& newImage, KnownNames& knownNames, bool namesKnown,
                Strays& strays) {
    strays.clear();
    const OutputSettings& settings = run.output.getSettings();
    // Every disk's names, taken or not: d88extract with the same options
    // would write them all into the folders. A run that took every file
    // has noted them while it compared them.
    if (!namesKnown) {
        knownNames.start(settings.utf8Names);
        for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
            (void)image.selectDisk(disk);
            OutputPlace planned(settings, FileIdentity{});
            planned.enterDisk(disk);
            NameSteps steps(knownNames, disk);
            planDisk(image, planned, steps, PlanReads::Places);
        }
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
