// The host layer (tool/host): everything that differs by platform, in pairs
// of files the build chooses. It uses the standard library and the host's
// own interfaces, nothing else of this system.
//
// How the programs reach the file system: opening the image, recognising it
// under another name, and creating output folders and files. One
// implementation per host (file_system_posix.cpp, file_system_windows.cpp).
#ifndef TOOL_HOST_FILE_SYSTEM_H
#define TOOL_HOST_FILE_SYSTEM_H

#include <cstdint>
#include <cstdio>

// The naming rules of a file system, for deciding which directory-entry
// names may become file names (tool/disk/output_name.h).
enum class NameRules {
    // '/' separates folders; "." and ".." are folders. Everything else,
    // backslash and ':' included, is an ordinary byte (a Shift_JIS trail
    // byte can be 0x5C).
    Posix,
    // Names are Shift_JIS, read by characters: '\\' and ':' (folder, drive
    // and stream separators) are refused where they stand as characters of
    // their own, not as the second byte of a double-byte character; so are
    // the reserved device names CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$
    // and CONOUT$ in any case, alone or before spaces or an extension. The
    // characters < > " | ? * and control bytes, which no Windows name may
    // hold, and names of only dots and spaces, which Windows trims to a
    // folder or to nothing, are refused too.
    Windows,
};

// The rules of this host's file system.
extern const NameRules HOST_NAME_RULES;

// What makes a file the same file whatever name or link leads to it: device
// and inode on POSIX, volume serial number and file index on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool known = false;
};

// An output file: a directory entry's name inside a folder ("" for the
// current folder). The folder is a path as the command line carries it
// (UTF-8 on Windows, see tool/host/arguments.h). The name is an entry's raw
// bytes, Shift_JIS by the disks' design: POSIX takes the bytes as they are;
// Windows reads them as code page 932 whatever its own code page, and makes
// its name of them in UTF-16.
struct OutputName {
    const char* folder = "";
    const char* name = "";
    // Whether the file's name is the entry's name read as Shift_JIS and
    // written in UTF-8, rather than its raw bytes. Where names are Unicode
    // anyway (Windows) this changes nothing.
    bool utf8 = false;
};

// Opens the image at `path`, an argument as the command line carries it,
// for binary reading; null with errno set when it cannot.
std::FILE* openImageFile(const char* path);

// The identity of an open stream; not known when the host cannot tell.
FileIdentity identifyStream(std::FILE* stream);

// Whether the output file exists and is `identity` (a symbolic or hard link
// to it counts).
bool isSameFile(const OutputName& output, const FileIdentity& identity);

// Creates the output file for binary writing. `exclusive`: only a name that
// does not exist yet, never opening an existing one (a link included);
// otherwise one that exists is replaced. Null with errno set when it cannot.
std::FILE* createOutputFile(const OutputName& output, bool exclusive);

// `name` inside `folder` (both as the command line carries paths; folder
// "" for the current one) in `out`; false when it does not fit.
bool joinFolderPath(const char* folder, const char* name, char* out, std::size_t size);

// Whether the output names `a` and `b` (entries' raw names, in one folder)
// lead to the same file: the same bytes on POSIX; on Windows the same
// Unicode name once trailing spaces and dots are dropped, compared as the
// file system does, ignoring case.
bool sameOutputName(const char* a, const char* b);

// Creates the folder `path` (as the command line carries it) and any of its
// parents that are missing; true when it exists as a folder afterwards,
// else false with errno set.
bool makeFolders(const char* path);

// Whether makeFolders(path) would succeed, making nothing: false with errno
// set as makeFolders would set it when something stands in the way (a file
// where a folder belongs, a parent that cannot be written), so that a run
// that writes nothing can say what the run would.
bool canMakeFolders(const char* path);

#endif
