#include "tool/disk/output_place.h"

#include <cerrno>
#include <cstdio>

void OutputPlace::enterDisk(std::int32_t index) {
    disk = index;
    diskFolderState = FolderState::Untried;
}

bool OutputPlace::currentFolder(char* out, std::size_t size) const {
    if (!settings.diskFolders) {
        const int length = std::snprintf(out, size, "%s", settings.folder);
        if (length >= 0 && static_cast<std::size_t>(length) < size) {
            return true;
        }
    } else {
        char name[DISK_FOLDER_NAME_SIZE];
        diskFolderName(disk, name);
        if (joinFolderPath(settings.folder, name, out, size)) {
            return true;
        }
    }
    errno = ENAMETOOLONG;
    return false;
}

void OutputPlace::diskFolderName(std::int32_t index, char (&out)[DISK_FOLDER_NAME_SIZE]) {
    // Two digits: a file holds at most 64 disks.
    std::snprintf(out, sizeof out, "disk%02ld", static_cast<long>(index));
}

ShownName OutputPlace::shownName(std::int32_t onDisk, const char* name) const {
    ShownName shown{};
    if (settings.diskFolders) {
        char folder[DISK_FOLDER_NAME_SIZE];
        diskFolderName(onDisk, folder);
        std::snprintf(shown.text, sizeof shown.text, "%s/%s", folder, name);
    } else {
        std::snprintf(shown.text, sizeof shown.text, "%s", name);
    }
    return shown;
}

bool OutputPlace::prepareFolder(bool checkOnly) const {
    if (settings.folder[0] == '\0') {
        return true;
    }
    return checkOnly ? canMakeFolders(settings.folder) : makeFolders(settings.folder);
}

DiskFolder OutputPlace::prepareDiskFolder(bool checkOnly) {
    if (!settings.diskFolders || diskFolderState == FolderState::Ready) {
        return DiskFolder::Ready;
    }
    if (diskFolderState == FolderState::Failed) {
        return DiskFolder::FailedBefore;
    }
    char folder[PATH_SIZE];
    const bool ready =
        currentFolder(folder, sizeof folder) && (checkOnly ? canMakeFolders(folder) : makeFolders(folder));
    diskFolderState = ready ? FolderState::Ready : FolderState::Failed;
    return ready ? DiskFolder::Ready : DiskFolder::FailedNow;
}

bool OutputPlace::isImage(const char* name) const {
    char folder[PATH_SIZE];
    return currentFolder(folder, sizeof folder)
           && isSameFile(OutputName{folder, name, settings.utf8Names}, image);
}

std::FILE* OutputPlace::create(const char* name) {
    char folder[PATH_SIZE];
    if (!currentFolder(folder, sizeof folder)) {
        return nullptr;
    }
    switch (prepareDiskFolder(false)) {
    case DiskFolder::Ready:
        break;
    case DiskFolder::FailedNow:
        return nullptr;
    case DiskFolder::FailedBefore:
        errno = ENOENT;
        return nullptr;
    }
    return createOutputFile(OutputName{folder, name, settings.utf8Names}, settings.keepOldFiles);
}

std::FILE* OutputPlace::openExisting(const char* name, ExistingFile& found) const {
    char folder[PATH_SIZE];
    if (!currentFolder(folder, sizeof folder)) {
        return nullptr;
    }
    return openOutputFile(OutputName{folder, name, settings.utf8Names}, found);
}
