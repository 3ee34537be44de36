// How the tool reaches the file system: opening the image, recognising it
// under another name, and creating output files. One implementation per
// host (output_file_posix.cpp, output_file_windows.cpp).
#ifndef TOOL_OUTPUT_FILE_H
#define TOOL_OUTPUT_FILE_H

#include <cstdint>
#include <cstdio>

// What makes a file the same file whatever name or link leads to it: device
// and inode on POSIX, volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool known = false;
};

// Opens the image at `path`, an argument as the command line carries it
// (UTF-8 on Windows, see arguments.h), for binary reading; null with errno
// set when it cannot.
std::FILE* openImageFile(const char* path);

// The identity of an open stream; not known when the host cannot tell.
FileIdentity identifyStream(std::FILE* stream);

// Output names are entries' names, raw bytes: Shift_JIS by the disks'
// design. POSIX takes the bytes as they are; Windows reads them as code page
// 932 whatever its own code page, and makes its name of them in UTF-16.

// Whether the file `name` in the current folder exists and is `identity`
// (a symbolic or hard link to it counts).
bool isSameFile(const char* name, const FileIdentity& identity);

// Creates the file `name` in the current folder for binary writing,
// replacing one that exists; null with errno set when it cannot.
std::FILE* createOutputFile(const char* name);

#endif
