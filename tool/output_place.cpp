#include "tool/output_place.h"

#include <cerrno>
#include <cstdio>

namespace {

OutputSettings current;
FileIdentity imageIdentity;

// "FOLDER/diskNN" for the disk being walked, when disks get folders.
constexpr std::size_t FOLDER_SIZE = 4096;
char diskFolder[FOLDER_SIZE];
bool diskFolderMade = false;

const char* folderFor() { return current.diskFolders ? diskFolder : current.folder; }

OutputName outputName(const char* name) {
    OutputName output;
    output.folder = folderFor();
    output.name = name;
    output.utf8 = current.utf8Names;
    return output;
}

}  // namespace

void setOutputSettings(const OutputSettings& settings) {
    current = settings;
    setOutputDisk(0);
}

void setImageIdentity(const FileIdentity& identity) { imageIdentity = identity; }

void setOutputDisk(std::int32_t index) {
    diskFolderMade = false;
    // Two digits: a file holds at most 64 disks.
    char name[16];
    std::snprintf(name, sizeof name, "disk%02ld", static_cast<long>(index));
    if (!joinFolderPath(current.folder, name, diskFolder, FOLDER_SIZE)) {
        diskFolder[0] = '\0';  // refused when a file is to go there
    }
}

bool prepareOutputFolder() { return current.folder[0] == '\0' || makeFolders(current.folder); }

bool outputIsImage(const char* name) { return isSameFile(outputName(name), imageIdentity); }

std::FILE* createOutput(const char* name) {
    if (current.diskFolders && !diskFolderMade) {
        if (diskFolder[0] == '\0') {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        // Only a disk that writes a file gets a folder.
        if (!makeFolders(diskFolder)) {
            return nullptr;
        }
        diskFolderMade = true;
    }
    return createOutputFile(outputName(name), current.keepOldFiles);
}
