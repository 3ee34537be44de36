#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/host/file_system.h"

namespace {

// Names on the disks are Shift_JIS; reading them in the system's own code
// page would garble them on any Windows not set to Japanese.
constexpr UINT NAME_CODE_PAGE = 932;
// The longest path the wide interface takes, in UTF-16 units.
constexpr int MAX_WIDE_PATH = 32768;

wchar_t widePath[MAX_WIDE_PATH];
// The second path of a rename.
wchar_t otherWidePath[MAX_WIDE_PATH];

// Appends `text` read in `codePage` to the UTF-16 path in widePath, which
// holds `used` units; returns the new length, or -1 with errno set. Bytes
// that are no character of the code page become its default character
// (U+30FB for 932) rather than a refusal.
int widen(UINT codePage, const char* text, int used) {
    const int room = MAX_WIDE_PATH - used;
    const int added = room > 0 ? MultiByteToWideChar(codePage, 0, text, -1, widePath + used, room) : 0;
    if (added == 0) {
        errno = room <= 0 || GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ENAMETOOLONG : EINVAL;
        return -1;
    }
    return used + added - 1;  // without the terminating 0
}

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Whether a name joins `folder` (of `length` units) without a separator:
// after one, or after a bare drive ("D:" is that drive's current folder).
bool joinsDirectly(const wchar_t* folder, int length) {
    return length > 0 && (isSeparator(folder[length - 1]) || (length == 2 && folder[1] == L':'));
}

// The wide path of an output file: its folder (UTF-8), a separator, and its
// name read as Shift_JIS. Null with errno set.
const wchar_t* outputPath(const OutputName& output) {
    int length = 0;
    if (output.folder[0] != '\0') {
        length = widen(CP_UTF8, output.folder, 0);
        if (length < 0 || length + 1 >= MAX_WIDE_PATH) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        if (!joinsDirectly(widePath, length)) {
            widePath[length++] = L'\\';
        }
    }
    return widen(NAME_CODE_PAGE, output.name, length) < 0 ? nullptr : widePath;
}

// Past `count` more components of `path` from `at`, and the separator
// after each.
int skipComponents(const wchar_t* path, int length, int at, int count) {
    for (int k = 0; k < count; ++k) {
        while (at < length && !isSeparator(path[at])) {
            ++at;
        }
        if (at < length) {
            ++at;
        }
    }
    return at;
}

// How much of `path` names something no folder can be made of: a drive
// ("C:", "C:\"), a root "\", a network share ("\\server\share\") or
// a "\\?\" prefix with either.
int rootLength(const wchar_t* path, int length) {
    int at = 0;
    if (length >= 4 && isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.')
        && isSeparator(path[3])) {
        at = 4;
        if (length >= at + 4 && (path[at] | 0x20) == L'u' && (path[at + 1] | 0x20) == L'n'
            && (path[at + 2] | 0x20) == L'c' && isSeparator(path[at + 3])) {
            return skipComponents(path, length, at + 4, 2);
        }
    } else if (length >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        return skipComponents(path, length, 2, 2);
    }
    if (length >= at + 2 && path[at + 1] == L':') {
        at += 2;
    }
    if (at < length && isSeparator(path[at])) {
        ++at;
    }
    return at;
}

FileIdentity identityOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || GetFileInformationByHandle(handle, &info) == 0) {
        return FileIdentity{};
    }
    FileIdentity identity;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.known = true;
    return identity;
}

bool isFolder(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

const NameRules HOST_NAME_RULES = NameRules::Windows;

std::FILE* openImageFile(const char* path) {
    return widen(CP_UTF8, path, 0) >= 0 ? _wfopen(widePath, L"rb") : nullptr;
}

std::FILE* openRegularImageFile(const char* path, bool& special) {
    special = false;
    if (widen(CP_UTF8, path, 0) < 0) {
        return nullptr;
    }
    if (isFolder(widePath)) {
        special = true;
        return nullptr;
    }
    std::FILE* file = _wfopen(widePath, L"rb");
    // A device (CON, NUL, a port) opens like a file and is no file on a disk.
    if (file != nullptr && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        special = true;
        return nullptr;
    }
    return file;
}

FileVersion versionOfStream(std::FILE* stream) {
    BY_HANDLE_FILE_INFORMATION info;
    if (stream == nullptr
        || GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &info) == 0) {
        return FileVersion{};
    }
    // Every write moves the last write's time, kept in 100 ns ticks.
    constexpr std::uint64_t TICKS_PER_SECOND = 10000000;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    FileVersion version;
    version.length = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32)
                                               | info.nFileSizeLow);
    version.changeSeconds = static_cast<std::int64_t>(ticks / TICKS_PER_SECOND);
    version.changeFraction = static_cast<std::int64_t>(ticks % TICKS_PER_SECOND) * 100;
    version.known = true;
    return version;
}

FileIdentity identifyStream(std::FILE* stream) {
    if (stream == nullptr) {
        return FileIdentity{};
    }
    return identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

namespace {

// Whether the wide `path` exists and is `identity`. Opened for no access at
// all, shared every way, so that the image's own open handle does not stand
// in the way; a link is followed.
bool wideIsIdentity(const wchar_t* path, const FileIdentity& identity) {
    HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FileIdentity other = identityOf(handle);
    CloseHandle(handle);
    return other.known && other.volume == identity.volume && other.index == identity.index;
}

}  // namespace

bool isSameFile(const OutputName& output, const FileIdentity& identity) {
    const wchar_t* path = identity.known ? outputPath(output) : nullptr;
    return path != nullptr && wideIsIdentity(path, identity);
}

std::FILE* createOutputFile(const OutputName& output, bool exclusive) {
    const wchar_t* path = outputPath(output);
    if (path == nullptr) {
        return nullptr;
    }
    if (!exclusive) {
        return _wfopen(path, L"wb");
    }
    // _O_EXCL, as fopen's "x" does where the C runtime knows it (msvcrt.dll
    // does not): an existing name is never opened.
    const int descriptor = _wopen(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
    }
    return file;
}

std::FILE* openOutputFile(const OutputName& output, ExistingFile& found) {
    const wchar_t* path = outputPath(output);
    if (path == nullptr) {
        return nullptr;
    }
    if (isFolder(path)) {
        found.special = true;
        return nullptr;
    }
    std::FILE* file = _wfopen(path, L"rb");
    struct _stat64 status;
    if (file != nullptr && _fstat64(_fileno(file), &status) != 0) {
        std::fclose(file);
        return nullptr;
    }
    if (file != nullptr && (status.st_mode & _S_IFREG) == 0) {
        std::fclose(file);
        found.special = true;
        return nullptr;
    }
    if (file != nullptr) {
        found.length = static_cast<std::int64_t>(status.st_size);
        found.identity = identifyStream(file);
    }
    return file;
}

PathKind pathKind(const char* path) {
    if (widen(CP_UTF8, path, 0) < 0) {
        return PathKind::Missing;
    }
    const DWORD attributes = GetFileAttributesW(widePath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return PathKind::Folder;
    }
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? PathKind::Other : PathKind::File;
}

bool canCreateFileAt(const char* path) {
    const int length = widen(CP_UTF8, path, 0);
    if (length < 0) {
        return false;
    }
    // The folder named before the last separator (or the current one); the
    // right to write in it shows only when a file is made.
    int end = length;
    while (end > 0 && !isSeparator(widePath[end - 1]) && widePath[end - 1] != L':') {
        --end;
    }
    if (end == 0) {
        return true;
    }
    const int root = rootLength(widePath, end);
    if (end > root && isSeparator(widePath[end - 1])) {
        --end;
    }
    widePath[end] = L'\0';
    if (!isFolder(widePath)) {
        errno = ENOENT;
        return false;
    }
    return true;
}

bool isSameFileAt(const char* path, const FileIdentity& identity) {
    return identity.known && widen(CP_UTF8, path, 0) >= 0 && wideIsIdentity(widePath, identity);
}

FileIdentity identifyPath(const char* path) {
    if (widen(CP_UTF8, path, 0) < 0) {
        return FileIdentity{};
    }
    // Opened for no access, as wideIsIdentity does.
    HANDLE handle = CreateFileW(widePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return FileIdentity{};
    }
    const FileIdentity identity = identityOf(handle);
    CloseHandle(handle);
    return identity;
}

bool isFolderPath(const char* path) { return widen(CP_UTF8, path, 0) >= 0 && isFolder(widePath); }

std::FILE* createFileBeside(const char* path, char* tempPath, std::size_t size) {
    // The process number keeps two runs apart; the count, leftovers of
    // runs that were killed.
    constexpr int ATTEMPTS = 100;
    // A name of its own length in the same folder: one made of `path`'s
    // would pass the file system's limit where `path` nearly reaches it.
    int folderLength = static_cast<int>(std::strlen(path));
    while (folderLength > 0 && path[folderLength - 1] != '\\' && path[folderLength - 1] != '/'
           && path[folderLength - 1] != ':') {
        --folderLength;
    }
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        const int length = std::snprintf(tempPath, size, "%.*s.d88put-%lu-%d.tmp", folderLength, path,
                                         static_cast<unsigned long>(GetCurrentProcessId()), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= size) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        if (widen(CP_UTF8, tempPath, 0) < 0) {
            return nullptr;
        }
        const int descriptor =
            _wopen(widePath, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            std::FILE* file = _fdopen(descriptor, "wb");
            if (file == nullptr) {
                const int error = errno;
                _close(descriptor);
                _wremove(widePath);
                errno = error;
            }
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    errno = EEXIST;
    return nullptr;
}

namespace {

// The file to remove when the console is closed or interrupted.
wchar_t interruptedPath[MAX_WIDE_PATH];

BOOL WINAPI removeAndStop(DWORD) {
    if (interruptedPath[0] != L'\0') {
        DeleteFileW(interruptedPath);
    }
    // Not handled: the process ends as it would have.
    return FALSE;
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt() {
    interruptedPath[0] = L'\0';
    SetConsoleCtrlHandler(removeAndStop, TRUE);
}

RemovedOnInterrupt::~RemovedOnInterrupt() { SetConsoleCtrlHandler(removeAndStop, FALSE); }

std::FILE* RemovedOnInterrupt::createFileBeside(const char* path, char* tempPath, std::size_t size) {
    std::FILE* file = ::createFileBeside(path, tempPath, size);
    if (file != nullptr && MultiByteToWideChar(CP_UTF8, 0, tempPath, -1, interruptedPath, MAX_WIDE_PATH) == 0) {
        interruptedPath[0] = L'\0';
    }
    return file;
}

bool commitFile(std::FILE* file) {
    errno = 0;
    bool written = std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
    const int error = errno;
    written = std::fclose(file) == 0 && written;
    if (!written && error != 0) {
        errno = error;
    }
    return written;
}

bool replaceFile(const char* from, const char* to) {
    if (widen(CP_UTF8, from, 0) < 0) {
        return false;
    }
    std::memcpy(otherWidePath, widePath, sizeof widePath);
    if (widen(CP_UTF8, to, 0) < 0) {
        return false;
    }
    if (MoveFileExW(otherWidePath, widePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const DWORD error = GetLastError();
        errno = error == ERROR_ACCESS_DENIED ? EACCES : error == ERROR_PATH_NOT_FOUND ? ENOENT : EIO;
        return false;
    }
    return true;
}

bool removeFile(const char* path) { return widen(CP_UTF8, path, 0) >= 0 && _wremove(widePath) == 0; }

bool joinFolderPath(const char* folder, const char* name, char* out, std::size_t size) {
    const std::size_t length = std::strlen(folder);
    const char last = length > 0 ? folder[length - 1] : '\\';
    const bool direct = last == '\\' || last == '/' || (length == 2 && folder[1] == ':');
    const int written = std::snprintf(out, size, "%s%s%s", folder, direct ? "" : "\\", name);
    return written >= 0 && static_cast<std::size_t>(written) < size;
}

namespace {

// Entry names are at most a few bytes; each byte is at most one unit.
constexpr int NAME_UNITS = 64;

// The entry name `name` as a file's name: in UTF-16, without the spaces and
// dots Windows drops from the end of a file name. Its length in units, or
// -1 when it does not convert.
int fileNameUnits(const char* name, wchar_t (&wide)[NAME_UNITS]) {
    int length = MultiByteToWideChar(NAME_CODE_PAGE, 0, name, -1, wide, NAME_UNITS) - 1;
    while (length > 0 && (wide[length - 1] == L' ' || wide[length - 1] == L'.')) {
        --length;
    }
    return length;
}

}  // namespace

bool sameOutputName(const char* a, const char* b, bool) {
    wchar_t wideA[NAME_UNITS];
    wchar_t wideB[NAME_UNITS];
    const int lengthA = fileNameUnits(a, wideA);
    const int lengthB = fileNameUnits(b, wideB);
    if (lengthA < 0 || lengthB < 0) {
        return std::strcmp(a, b) == 0;
    }
    return CompareStringOrdinal(wideA, lengthA, wideB, lengthB, TRUE) == CSTR_EQUAL;
}

const char* outputNameProblem(const char*, bool) { return nullptr; }

std::uint32_t outputNameHash(const char* name, bool) {
    wchar_t wide[NAME_UNITS];
    const int units = fileNameUnits(name, wide);
    const int length = units > 0 ? units : 0;
    // The file system's own upper case, as CompareStringOrdinal ignoring
    // case uses it: the same for names that differ only in case.
    wchar_t upper[NAME_UNITS];
    const int mapped =
        length > 0 ? LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide, length, upper, NAME_UNITS,
                                   nullptr, nullptr, 0)
                   : 0;
    std::uint32_t hash = 2166136261u;
    for (int i = 0; i < mapped; ++i) {
        hash = (hash ^ static_cast<std::uint32_t>(upper[i])) * 16777619u;
    }
    return hash;
}

namespace {

enum class Step { Next, Fail, Done };

// Walks the folders of `path` (as the command line carries it), each parent
// in turn and the path itself last, handing `step` the wide path up to each;
// false when a step fails. A drive, a root or a share alone has nothing to
// make.
template <typename StepOn>
bool eachFolder(const char* path, StepOn step) {
    const int length = widen(CP_UTF8, path, 0);
    if (length < 0) {
        return false;
    }
    const int root = rootLength(widePath, length);
    if (root == length) {
        if (root == 0 || isFolder(widePath)) {
            return true;
        }
        errno = ENOENT;
        return false;
    }
    for (int i = root + 1; i <= length; ++i) {
        if (i < length && !isSeparator(widePath[i])) {
            continue;
        }
        const wchar_t kept = widePath[i];
        widePath[i] = L'\0';
        const Step next = step(widePath);
        if (next != Step::Next) {
            return next == Step::Done;
        }
        widePath[i] = kept;
    }
    return true;
}

}  // namespace

bool makeFolders(const char* path) {
    // One that exists is fine.
    return eachFolder(path, [](const wchar_t* partial) {
        if (CreateDirectoryW(partial, nullptr) == 0) {
            const DWORD error = GetLastError();
            if (!isFolder(partial)) {
                errno = error == ERROR_ALREADY_EXISTS ? ENOTDIR : error == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
                return Step::Fail;
            }
        }
        return Step::Next;
    });
}

bool canMakeFolders(const char* path) {
    // The first folder missing ends the walk; whether one could be made
    // there is not known before trying.
    return eachFolder(path, [](const wchar_t* partial) {
        const DWORD attributes = GetFileAttributesW(partial);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return Step::Done;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            errno = ENOTDIR;
            return Step::Fail;
        }
        return Step::Next;
    });
}

void createdFileName(const char* name, bool, char* out, std::size_t size) {
    wchar_t wide[NAME_UNITS];
    const int units = fileNameUnits(name, wide);
    const int length = units > 0 ? units : 0;
    const int bytes = length == 0 ? 0
                                  : WideCharToMultiByte(CP_UTF8, 0, wide, length, out, static_cast<int>(size) - 1,
                                                        nullptr, nullptr);
    if (size > 0) {
        out[bytes > 0 ? bytes : 0] = '\0';
    }
}
