#include "tool/disk/output_place.h"

#include <cerrno>
#include <cstdio>

namespace {

// Longest folder path the programs build: the output folder and a disk's.
constexpr std::size_t FOLDER_SIZE = 4096;

}  // namespace

void OutputPlace::enterDisk(std::int32_t index) {
    disk = index;
    diskFolderMade = false;
}

bool OutputPlace::currentFolder(char* out, std::size_t size) const {
    if (!settings.diskFolders) {
        const int length = std::snprintf(out, size, "%s", settings.folder);
        if (length >= 0 && static_cast<std::size_t>(length) < size) {
            return true;
        }
    } else {
        // Two digits: a file holds at most 64 disks.
        char name[16];
        std::snprintf(name, sizeof name, "disk%02ld", static_cast<long>(disk));
        if (joinFolderPath(settings.folder, name, out, size)) {
            return true;
        }
    }
    errno = ENAMETOOLONG;
    return false;
}

bool OutputPlace::prepareFolder() const { return settings.folder[0] == '\0' || makeFolders(settings.folder); }

bool OutputPlace::isImage(const char* name) const {
    char folder[FOLDER_SIZE];
    return currentFolder(folder, sizeof folder)
           && isSameFile(OutputName{folder, name, settings.utf8Names}, image);
}

std::FILE* OutputPlace::create(const char* name) {
    char folder[FOLDER_SIZE];
    if (!currentFolder(folder, sizeof folder)) {
        return nullptr;
    }
    if (settings.diskFolders && !diskFolderMade) {
        if (!makeFolders(folder)) {
            return nullptr;
        }
        diskFolderMade = true;
    }
    return createOutputFile(OutputName{folder, name, settings.utf8Names}, settings.keepOldFiles);
}
