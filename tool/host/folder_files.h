// The regular files a folder holds, one name at a time, for a program that
// must know what is in a folder besides the names it looks for. One
// implementation per host (folder_files_posix.cpp, folder_files_windows.cpp).
#ifndef TOOL_HOST_FOLDER_FILES_H
#define TOOL_HOST_FOLDER_FILES_H

#include <cstddef>

// Room for any one file name with its 0: 255 bytes on POSIX file systems,
// 255 UTF-16 units (at most three UTF-8 bytes each) on Windows.
inline constexpr std::size_t FOLDER_FILE_NAME_SIZE = 1024;

class FolderFiles {
public:
    FolderFiles() = default;
    ~FolderFiles() { close(); }
    FolderFiles(const FolderFiles&) = delete;
    FolderFiles& operator=(const FolderFiles&) = delete;

    // Starts listing the folder `path` (as the command line carries it; ""
    // for the current one); false with errno set when it cannot be read.
    bool open(const char* path);

    // The name of the next regular file (a link to one counts), in the form
    // paths take on the command line (UTF-8 on Windows, the bytes as they
    // are on POSIX); false when no file is left. Folders, devices, pipes and
    // names too long for FOLDER_FILE_NAME_SIZE are passed over.
    bool next(char (&name)[FOLDER_FILE_NAME_SIZE]);

    void close();

private:
    // The host's listing handle, and on Windows the entry it found last:
    // kept as bytes so that this header needs no host header (POSIX uses
    // the handle alone).
    void* handle = nullptr;
    [[maybe_unused]] alignas(8) unsigned char found[640] = {};
    [[maybe_unused]] bool pending = false;
};

#endif
