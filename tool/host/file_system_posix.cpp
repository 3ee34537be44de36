#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/host/file_system.h"
#include "tool/host/sjis_text.h"

namespace {

// Longest path the tool builds: a folder given on the command line, a disk
// folder and a name.
constexpr std::size_t PATH_SIZE = 4096;
// The longest name converted to UTF-8: a directory entry's (6 bytes) or
// TTLPRG.
constexpr std::size_t NAME_SIZE = 16;

FileIdentity identityOf(const struct stat& status) {
    FileIdentity identity;
    identity.volume = static_cast<std::uint64_t>(status.st_dev);
    identity.index = static_cast<std::uint64_t>(status.st_ino);
    identity.known = true;
    return identity;
}

// "folder/name" in `path`; false (errno ENAMETOOLONG) when it does not fit.
bool joinPath(const OutputName& output, char (&path)[PATH_SIZE]) {
    const char* name = output.name;
    char utf8Name[utf8BufferSize(NAME_SIZE)];
    if (output.utf8) {
        const std::size_t length = std::strlen(name);
        if (length > NAME_SIZE
            || sjisToUtf8(name, length, utf8Name, sizeof utf8Name).status != SjisStatus::Complete) {
            errno = EILSEQ;
            return false;
        }
        name = utf8Name;
    }
    const int length = output.folder[0] == '\0'
                           ? std::snprintf(path, PATH_SIZE, "%s", name)
                           : std::snprintf(path, PATH_SIZE, "%s/%s", output.folder, name);
    if (length < 0 || static_cast<std::size_t>(length) >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    return true;
}

bool isFolder(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

const NameRules HOST_NAME_RULES = NameRules::Posix;

std::FILE* openImageFile(const char* path) { return std::fopen(path, "rb"); }

FileIdentity identifyStream(std::FILE* stream) {
    struct stat status;
    if (stream == nullptr || fstat(fileno(stream), &status) != 0) {
        return FileIdentity{};
    }
    return identityOf(status);
}

bool isSameFile(const OutputName& output, const FileIdentity& identity) {
    char path[PATH_SIZE];
    struct stat status;
    // stat follows a symbolic link to what it names, which is what opening
    // the name for writing would truncate.
    if (!identity.known || !joinPath(output, path) || stat(path, &status) != 0) {
        return false;
    }
    const FileIdentity other = identityOf(status);
    return other.volume == identity.volume && other.index == identity.index;
}

std::FILE* createOutputFile(const OutputName& output, bool exclusive) {
    char path[PATH_SIZE];
    if (!joinPath(output, path)) {
        return nullptr;
    }
    // "x" creates with O_EXCL: an existing name, a dangling link too, fails.
    return std::fopen(path, exclusive ? "wbx" : "wb");
}

bool joinFolderPath(const char* folder, const char* name, char* out, std::size_t size) {
    const std::size_t length = std::strlen(folder);
    const bool direct = length == 0 || folder[length - 1] == '/';
    const int written = std::snprintf(out, size, "%s%s%s", folder, direct ? "" : "/", name);
    return written >= 0 && static_cast<std::size_t>(written) < size;
}

bool sameOutputName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool makeFolders(const char* path) {
    char partial[PATH_SIZE];
    const std::size_t length = std::strlen(path);
    if (length >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    // Each parent in turn, then the folder itself; one that exists is fine.
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && partial[i] != '/') {
            continue;
        }
        const char kept = partial[i];
        partial[i] = '\0';
        if (mkdir(partial, 0777) != 0) {
            // mkdir's own reason, unless it was only that a file is there.
            const int error = errno == EEXIST ? ENOTDIR : errno;
            if (!isFolder(partial)) {
                errno = error;
                return false;
            }
        }
        partial[i] = kept;
    }
    return true;
}

bool canMakeFolders(const char* path) {
    char partial[PATH_SIZE];
    const std::size_t length = std::strlen(path);
    if (length >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    // The same steps as makeFolders; the first folder missing ends the walk,
    // as everything below it would be made afresh.
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && partial[i] != '/') {
            continue;
        }
        const char kept = partial[i];
        partial[i] = '\0';
        struct stat status;
        if (stat(partial, &status) == 0) {
            if (!S_ISDIR(status.st_mode)) {
                errno = ENOTDIR;
                return false;
            }
            partial[i] = kept;
            continue;
        }
        if (errno != ENOENT) {
            return false;
        }
        // mkdir needs to write and search the folder it makes one in.
        std::size_t parentEnd = i;
        while (parentEnd > 0 && partial[parentEnd - 1] != '/') {
            --parentEnd;
        }
        while (parentEnd > 1 && partial[parentEnd - 1] == '/') {
            --parentEnd;
        }
        partial[parentEnd] = '\0';
        const char* parent = parentEnd == 0 ? (path[0] == '/' ? "/" : ".") : partial;
        return access(parent, W_OK | X_OK) == 0;
    }
    return true;
}
