#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "tool/output_file.h"

namespace {

constexpr std::size_t PATH_SIZE = 4096;

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

bool joinPath(const OutputName& output, char (&path)[PATH_SIZE]) {
    const int length = output.folder[0] == '\0'
                           ? std::snprintf(path, PATH_SIZE, "%s", output.name)
                           : std::snprintf(path, PATH_SIZE, "%s\\%s", output.folder, output.name);
    if (length < 0 || static_cast<std::size_t>(length) >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::FILE* openImageFile(const char* path) { return std::fopen(path, "rb"); }

FileIdentity identifyStream(std::FILE* stream) {
    if (stream == nullptr) {
        return FileIdentity{};
    }
    return identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

bool isSameFile(const OutputName& output, const FileIdentity& identity) {
    char path[PATH_SIZE];
    if (!identity.known || !joinPath(output, path)) {
        return false;
    }
    // Opened for no access at all, shared every way, so that the image's
    // own open handle does not stand in the way; a link is followed.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FileIdentity other = identityOf(handle);
    CloseHandle(handle);
    return other.known && other.volume == identity.volume && other.index == identity.index;
}

std::FILE* createOutputFile(const OutputName& output, bool exclusive) {
    char path[PATH_SIZE];
    if (!joinPath(output, path)) {
        return nullptr;
    }
    if (!exclusive) {
        return std::fopen(path, "wb");
    }
    // _O_EXCL, as fopen's "x" does where the C runtime knows it (msvcrt.dll
    // does not): an existing name is never opened.
    const int descriptor = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
    }
    return file;
}

bool makeFolders(const char* path) {
    char partial[PATH_SIZE];
    const std::size_t length = std::strlen(path);
    if (length >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && !isSeparator(partial[i])) {
            continue;
        }
        const char kept = partial[i];
        partial[i] = '\0';
        // "C:" alone, or a bare separator, is no folder to make.
        const bool drive = i == 2 && partial[1] == ':';
        if (!drive && CreateDirectoryA(partial, nullptr) == 0) {
            const DWORD error = GetLastError();
            const DWORD attributes = GetFileAttributesA(partial);
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                errno = error == ERROR_ALREADY_EXISTS ? ENOTDIR : error == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
                return false;
            }
        }
        partial[i] = kept;
    }
    return true;
}
