// The host layer (tool/host): everything that differs by platform, in pairs
// of files the build chooses. It uses the standard library and the host's
// own interfaces, nothing else of this system.
//
// How the programs reach the file system: opening the image, recognising it
// under another name, and creating output folders and files. One
// implementation per host (file_system_posix.cpp, file_system_windows.cpp).
#ifndef TOOL_HOST_FILE_SYSTEM_H
#define TOOL_HOST_FILE_SYSTEM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The longest path the programs build, in bytes: a folder given on the
// command line, a disk folder and a name.
inline constexpr std::size_t PATH_SIZE = 4096;

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
    // written in UTF-8, rather than its raw bytes. Only a name whose UTF-8
    // form converts back to the same bytes is written so: the others keep
    // their raw bytes, so that no two names share a file. Where names are
    // Unicode anyway (Windows) this changes nothing.
    bool utf8 = false;
};

// Opens the image at `path`, an argument as the command line carries it,
// for binary reading; null with errno set when it cannot.
std::FILE* openImageFile(const char* path);

// openImageFile for a program that reads only a regular file: null with
// `special` set when something else stands at `path` (a folder, a device, a
// pipe), which is never opened in a way that waits or reads from it.
std::FILE* openRegularImageFile(const char* path, bool& special);

// What tells whether a file changed: its length, and the time of its last
// change as the file system keeps it (any write moves it).
struct FileVersion {
    std::int64_t length = 0;
    std::int64_t changeSeconds = 0;
    // Nanoseconds into that second.
    std::int64_t changeFraction = 0;
    bool known = false;
};

// The version of an open stream's file; not known when the host cannot tell.
FileVersion versionOfStream(std::FILE* stream);

// Whether both are known and alike.
inline bool sameVersion(const FileVersion& a, const FileVersion& b) {
    return a.known && b.known && a.length == b.length && a.changeSeconds == b.changeSeconds
           && a.changeFraction == b.changeFraction;
}

// The identity of an open stream; not known when the host cannot tell.
FileIdentity identifyStream(std::FILE* stream);

// Whether the output file exists and is `identity` (a symbolic or hard link
// to it counts).
bool isSameFile(const OutputName& output, const FileIdentity& identity);

// Creates the output file for binary writing. `exclusive`: only a name that
// does not exist yet, never opening an existing one (a link included);
// otherwise one that exists is replaced. Null with errno set when it cannot.
std::FILE* createOutputFile(const OutputName& output, bool exclusive);

// What opening an existing output file found.
struct ExistingFile {
    std::int64_t length = 0;
    FileIdentity identity;
    // Something that is no regular file stands under the name (a folder, a
    // device, a pipe): not opened.
    bool special = false;
};

// Opens the existing output file for binary reading, as a program that
// puts files back reads what d88extract wrote, telling what it found in
// `found`. Null when it cannot (errno ENOENT when there is none) or when
// the name is no regular file (found.special); opening never waits on a
// pipe.
std::FILE* openOutputFile(const OutputName& output, ExistingFile& found);

// What `path` (as the command line carries it) names now.
enum class PathKind { Missing, File, Folder, Other };
PathKind pathKind(const char* path);

// Whether a file could be made at `path` (as the command line carries it):
// its folder is there and may be written. False with errno set.
bool canCreateFileAt(const char* path);

// Whether `path` (as the command line carries it) exists and is
// `identity`, a link to it included.
bool isSameFileAt(const char* path, const FileIdentity& identity);

// The identity of what `path` (as the command line carries it) names, a
// link followed; not known when nothing is there.
FileIdentity identifyPath(const char* path);

// Whether `path` (as the command line carries it) names a folder.
bool isFolderPath(const char* path);

// Creates a file that did not exist, in the folder of `path` (as the command
// line carries it), for binary writing: the place where a new file is made
// before it takes the name `path`, with the permissions of a file that has
// that name now. Its path goes to `tempPath`. Null with errno set when it
// cannot.
std::FILE* createFileBeside(const char* path, char* tempPath, std::size_t size);

// While one of these lives, an interruption of the process (Ctrl-C, a
// hang-up, a termination or quit request) removes the file it made, so that
// no temporary file is left behind. The handling is set up first, and the
// file is made under it: no moment is left where the file exists unguarded.
// One at a time.
class RemovedOnInterrupt {
public:
    RemovedOnInterrupt();
    ~RemovedOnInterrupt();
    RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
    RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;

    // createFileBeside, the file removed on an interruption from the moment
    // it exists.
    std::FILE* createFileBeside(const char* path, char* tempPath, std::size_t size);
};

// Writes what `file` holds out to the disk and closes it; false with errno
// set when any of that failed (the file is closed all the same).
bool commitFile(std::FILE* file);

// Gives the file `from` the name `to` in one step, replacing a file that
// has it; false with errno set.
bool replaceFile(const char* from, const char* to);

// Removes the file `path`; false with errno set.
bool removeFile(const char* path);

// `name` inside `folder` (both as the command line carries paths; folder
// "" for the current one) in `out`; false when it does not fit.
bool joinFolderPath(const char* folder, const char* name, char* out, std::size_t size);

// Whether the output names `a` and `b` (entries' raw names, in one folder,
// both written as `utf8` says, see OutputName) lead to the same file: the
// same file name bytes on POSIX; on Windows the same Unicode name once
// trailing spaces and dots are dropped, compared as the file system does,
// ignoring case.
bool sameOutputName(const char* a, const char* b, bool utf8);

// Why the entry name `name`, written as `utf8` says (see OutputName),
// would not be a file name of its own, or null: under --utf8, a name kept
// in its raw bytes whose bytes are another name's UTF-8 form.
const char* outputNameProblem(const char* name, bool utf8);

// The name of the file that output name `name` (written as `utf8` says)
// becomes, in UTF-8 where names are Unicode (Windows, which drops trailing
// spaces and dots), else in its own bytes; cut short to `size`.
void createdFileName(const char* name, bool utf8, char* out, std::size_t size);

// A number that is the same for any two names sameOutputName finds alike
// (with the same `utf8`), so that names can be sorted into buckets.
std::uint32_t outputNameHash(const char* name, bool utf8);

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
