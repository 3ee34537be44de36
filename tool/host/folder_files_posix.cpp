#include "tool/host/folder_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

bool FolderFiles::open(const char* path) {
    close();
    DIR* folder = opendir(path[0] != '\0' ? path : ".");
    handle = folder;
    return folder != nullptr;
}

bool FolderFiles::next(char (&name)[FOLDER_FILE_NAME_SIZE]) {
    DIR* folder = static_cast<DIR*>(handle);
    if (folder == nullptr) {
        return false;
    }
    while (const dirent* entry = readdir(folder)) {
        const std::size_t length = std::strlen(entry->d_name);
        if (length >= FOLDER_FILE_NAME_SIZE) {
            continue;
        }
        // The entry's type alone misses links, and some file systems tell
        // no type at all: ask for what the name leads to.
        struct stat status;
        if (fstatat(dirfd(folder), entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        std::memcpy(name, entry->d_name, length + 1);
        return true;
    }
    return false;
}

void FolderFiles::close() {
    if (handle != nullptr) {
        closedir(static_cast<DIR*>(handle));
        handle = nullptr;
    }
}
