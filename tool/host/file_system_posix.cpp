#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/host/file_system.h"
#include "tool/host/sjis_text.h"

namespace {

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

// The file name of entry name `name`: under `utf8` its UTF-8 form, but only
// when that form converts back to the very same bytes: two names that the
// conversion would make one (bytes it cannot convert, or two codes of one
// character) keep their raw bytes, so that one file never replaces the
// other. Points into `out` or at `name`.
const char* fileNameOf(const char* name, bool utf8, char (&out)[utf8BufferSize(NAME_SIZE)]) {
    const std::size_t length = std::strlen(name);
    if (!utf8 || length > NAME_SIZE
        || sjisToUtf8(name, length, out, sizeof out).status != SjisStatus::Complete) {
        return name;
    }
    char back[NAME_SIZE + 1];
    const SjisResult result = utf8ToSjis(out, std::strlen(out), back, sizeof back);
    const bool same = result.status == SjisStatus::Complete && result.length == length
                      && std::memcmp(back, name, length) == 0;
    return same ? out : name;
}

// "folder/name" in `path`; false (errno ENAMETOOLONG) when it does not fit.
bool joinPath(const OutputName& output, char (&path)[PATH_SIZE]) {
    char utf8Name[utf8BufferSize(NAME_SIZE)];
    const char* name = fileNameOf(output.name, output.utf8, utf8Name);
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

// Opens `path` for reading when it is a regular file, with `status` its
// state. Opening a device can do things (a tape rewinds), and a pipe would
// wait for a writer for ever: should the name change in between, the open
// still never waits, and what it opened is looked at again. Null with errno
// set, and `special` true when `path` is no regular file.
std::FILE* openRegularFile(const char* path, struct stat& status, bool& special) {
    special = false;
    if (stat(path, &status) != 0) {
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        special = true;
        return nullptr;
    }
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        return nullptr;
    }
    if (fstat(descriptor, &status) != 0) {
        const int error = errno;
        close(descriptor);
        errno = error;
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        close(descriptor);
        special = true;
        return nullptr;
    }
    // O_NONBLOCK changes nothing for a regular file's reads, which never
    // wait: it stays, saving two calls for each of thousands of files.
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) {
        const int error = errno;
        close(descriptor);
        errno = error;
    }
    return file;
}

}  // namespace

const NameRules HOST_NAME_RULES = NameRules::Posix;

std::FILE* openImageFile(const char* path) { return std::fopen(path, "rb"); }

std::FILE* openRegularImageFile(const char* path, bool& special) {
    struct stat status;
    return openRegularFile(path, status, special);
}

FileVersion versionOfStream(std::FILE* stream) {
    struct stat status;
    if (stream == nullptr || fstat(fileno(stream), &status) != 0) {
        return FileVersion{};
    }
    FileVersion version;
    version.length = static_cast<std::int64_t>(status.st_size);
    version.changeSeconds = static_cast<std::int64_t>(status.st_ctim.tv_sec);
    version.changeFraction = static_cast<std::int64_t>(status.st_ctim.tv_nsec);
    version.known = true;
    return version;
}

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
    // O_EXCL: an existing name, a dangling link too, fails. O_NONBLOCK: a
    // pipe in the folder with no reader fails at once (ENXIO) rather than
    // holding the run for ever.
    const int flags = O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | (exclusive ? O_EXCL : O_TRUNC);
    const int descriptor = open(path, flags, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    const int now = fcntl(descriptor, F_GETFL);
    std::FILE* file =
        now >= 0 && fcntl(descriptor, F_SETFL, now & ~O_NONBLOCK) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (file == nullptr) {
        const int error = errno;
        close(descriptor);
        errno = error;
    }
    return file;
}

std::FILE* openOutputFile(const OutputName& output, ExistingFile& found) {
    char path[PATH_SIZE];
    if (!joinPath(output, path)) {
        return nullptr;
    }
    struct stat status;
    std::FILE* file = openRegularFile(path, status, found.special);
    if (file != nullptr) {
        found.length = static_cast<std::int64_t>(status.st_size);
        found.identity = identityOf(status);
    }
    return file;
}

PathKind pathKind(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0) {
        return PathKind::Missing;
    }
    return S_ISREG(status.st_mode) ? PathKind::File : S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool canCreateFileAt(const char* path) {
    char folder[PATH_SIZE];
    const char* slash = std::strrchr(path, '/');
    const std::size_t length = slash == nullptr ? 1 : slash == path ? 1 : static_cast<std::size_t>(slash - path);
    if (length >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(folder, slash == nullptr ? "." : path, length);
    folder[length] = '\0';
    if (access(folder, W_OK | X_OK) != 0) {
        return false;
    }
    // In a folder that keeps others' files (the sticky bit, as /tmp), a file
    // of that name owned by someone else cannot be replaced.
    struct stat folderStatus;
    struct stat fileStatus;
    const uid_t user = geteuid();
    if (stat(folder, &folderStatus) == 0 && (folderStatus.st_mode & S_ISVTX) != 0
        && lstat(path, &fileStatus) == 0 && user != 0 && fileStatus.st_uid != user
        && folderStatus.st_uid != user) {
        errno = EPERM;
        return false;
    }
    return true;
}

bool isSameFileAt(const char* path, const FileIdentity& identity) {
    struct stat status;
    if (!identity.known || stat(path, &status) != 0) {
        return false;
    }
    const FileIdentity other = identityOf(status);
    return other.volume == identity.volume && other.index == identity.index;
}

FileIdentity identifyPath(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 ? identityOf(status) : FileIdentity{};
}

bool isFolderPath(const char* path) { return isFolder(path); }

std::FILE* createFileBeside(const char* path, char* tempPath, std::size_t size) {
    // The process number keeps two runs apart; the count, leftovers of
    // runs that were killed.
    constexpr int ATTEMPTS = 100;
    // A name of its own length in the same folder: one made of `path`'s
    // would pass a file system's limit where `path` nearly reaches it.
    const char* slash = std::strrchr(path, '/');
    const int folderLength = slash != nullptr ? static_cast<int>(slash - path + 1) : 0;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        const int length = std::snprintf(tempPath, size, "%.*s.d88put-%ld-%d.tmp", folderLength, path,
                                         static_cast<long>(getpid()), attempt);
        if (length < 0 || static_cast<std::size_t>(length) >= size) {
            errno = ENAMETOOLONG;
            return nullptr;
        }
        const int descriptor = open(tempPath, O_WRONLY | O_CREAT | O_EXCL, 0666);
        // The new file replaces one of that name with the same permissions.
        struct stat status;
        if (descriptor >= 0 && stat(path, &status) == 0 && S_ISREG(status.st_mode)) {
            (void)fchmod(descriptor, status.st_mode & 07777);
        }
        if (descriptor >= 0) {
            std::FILE* file = fdopen(descriptor, "wb");
            if (file == nullptr) {
                const int error = errno;
                close(descriptor);
                unlink(tempPath);
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

// The file to remove on an interruption; unlink is safe in a signal handler.
char interruptedPath[PATH_SIZE];
constexpr int INTERRUPTS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int INTERRUPT_COUNT = sizeof INTERRUPTS / sizeof INTERRUPTS[0];
using Handler = void (*)(int);
Handler before[INTERRUPT_COUNT];

extern "C" void removeAndStop(int signal) {
    if (interruptedPath[0] != '\0') {
        unlink(interruptedPath);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt() {
    interruptedPath[0] = '\0';
    for (int i = 0; i < INTERRUPT_COUNT; ++i) {
        before[i] = std::signal(INTERRUPTS[i], removeAndStop);
        // A signal the process was told to ignore (nohup) stays ignored.
        if (before[i] == SIG_IGN) {
            std::signal(INTERRUPTS[i], SIG_IGN);
        }
    }
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
    for (int i = 0; i < INTERRUPT_COUNT; ++i) {
        std::signal(INTERRUPTS[i], before[i] == SIG_ERR ? SIG_DFL : before[i]);
    }
}

std::FILE* RemovedOnInterrupt::createFileBeside(const char* path, char* tempPath, std::size_t size) {
    // An interruption waits until the handler knows the file's name.
    sigset_t interrupts;
    sigset_t previous;
    sigemptyset(&interrupts);
    for (const int signal : INTERRUPTS) {
        sigaddset(&interrupts, signal);
    }
    const bool blocked = sigprocmask(SIG_BLOCK, &interrupts, &previous) == 0;
    std::FILE* file = ::createFileBeside(path, tempPath, size);
    const int error = errno;
    if (file != nullptr) {
        std::snprintf(interruptedPath, sizeof interruptedPath, "%s", tempPath);
    }
    if (blocked) {
        sigprocmask(SIG_SETMASK, &previous, nullptr);
    }
    errno = error;
    return file;
}

bool commitFile(std::FILE* file) {
    errno = 0;
    bool written = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const int error = errno;
    written = std::fclose(file) == 0 && written;
    if (!written && error != 0) {
        errno = error;
    }
    return written;
}

bool replaceFile(const char* from, const char* to) {
    if (std::rename(from, to) != 0) {
        return false;
    }
    // The new name is on the disk only once its folder is.
    char folder[PATH_SIZE];
    const char* slash = std::strrchr(to, '/');
    const std::size_t length = slash == nullptr ? 0 : slash == to ? 1 : static_cast<std::size_t>(slash - to);
    if (length >= PATH_SIZE) {
        return true;
    }
    std::memcpy(folder, length == 0 ? "." : to, length == 0 ? 1 : length);
    folder[length == 0 ? 1 : length] = '\0';
    const int descriptor = open(folder, O_RDONLY);
    if (descriptor >= 0) {
        (void)fsync(descriptor);
        close(descriptor);
    }
    return true;
}

bool removeFile(const char* path) { return std::remove(path) == 0; }

bool joinFolderPath(const char* folder, const char* name, char* out, std::size_t size) {
    const std::size_t length = std::strlen(folder);
    const bool direct = length == 0 || folder[length - 1] == '/';
    const int written = std::snprintf(out, size, "%s%s%s", folder, direct ? "" : "/", name);
    return written >= 0 && static_cast<std::size_t>(written) < size;
}

bool sameOutputName(const char* a, const char* b, bool utf8) {
    char utf8A[utf8BufferSize(NAME_SIZE)];
    char utf8B[utf8BufferSize(NAME_SIZE)];
    return std::strcmp(fileNameOf(a, utf8, utf8A), fileNameOf(b, utf8, utf8B)) == 0;
}

const char* outputNameProblem(const char* name, bool utf8) {
    char utf8Name[utf8BufferSize(NAME_SIZE)];
    const std::size_t length = std::strlen(name);
    if (!utf8 || length == 0 || length > NAME_SIZE || fileNameOf(name, utf8, utf8Name) != name) {
        return nullptr;
    }
    // Raw bytes that read as UTF-8 for Shift_JIS characters are the file
    // name those characters are written under.
    char sjis[NAME_SIZE + 1];
    const SjisResult back = utf8ToSjis(name, length, sjis, sizeof sjis);
    if (back.status != SjisStatus::Complete
        || sjisToUtf8(sjis, back.length, utf8Name, sizeof utf8Name).status != SjisStatus::Complete
        || std::strcmp(utf8Name, name) != 0) {
        return nullptr;
    }
    return "its bytes are another name in UTF-8";
}

std::uint32_t outputNameHash(const char* name, bool utf8) {
    char utf8Name[utf8BufferSize(NAME_SIZE)];
    // FNV-1a over the file name's bytes, which decide sameness here.
    std::uint32_t hash = 2166136261u;
    for (const char* at = fileNameOf(name, utf8, utf8Name); *at != '\0'; ++at) {
        hash = (hash ^ static_cast<unsigned char>(*at)) * 16777619u;
    }
    return hash;
}

namespace {

enum class Step { Next, Fail, Done };

// Walks the folders of `path`, each parent in turn and the path itself
// last, handing `step` the path up to each (in a buffer it may cut further)
// and where that ends; false when a step fails or the path does not fit.
template <typename StepOn>
bool eachFolder(const char* path, StepOn step) {
    char partial[PATH_SIZE];
    const std::size_t length = std::strlen(path);
    if (length >= PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(partial, path, length + 1);
    for (std::size_t i = 1; i <= length; ++i) {
        if (i < length && partial[i] != '/') {
            continue;
        }
        const char kept = partial[i];
        partial[i] = '\0';
        const Step next = step(partial, i);
        if (next != Step::Next) {
            return next == Step::Done;
        }
        partial[i] = kept;
    }
    return true;
}

}  // namespace

bool makeFolders(const char* path) {
    // One that exists is fine.
    return eachFolder(path, [](char* partial, std::size_t) {
        if (mkdir(partial, 0777) != 0) {
            // mkdir's own reason, unless it was only that a file is there.
            const int error = errno == EEXIST ? ENOTDIR : errno;
            if (!isFolder(partial)) {
                errno = error;
                return Step::Fail;
            }
        }
        return Step::Next;
    });
}

bool canMakeFolders(const char* path) {
    // The first folder missing ends the walk, as everything below it would
    // be made afresh.
    return eachFolder(path, [path](char* partial, std::size_t end) {
        struct stat status;
        if (stat(partial, &status) == 0) {
            if (!S_ISDIR(status.st_mode)) {
                errno = ENOTDIR;
                return Step::Fail;
            }
            return Step::Next;
        }
        if (errno != ENOENT) {
            return Step::Fail;
        }
        // A link that leads nowhere stands in mkdir's way as a file would.
        if (lstat(partial, &status) == 0) {
            errno = ENOTDIR;
            return Step::Fail;
        }
        // mkdir needs to write and search the folder it makes one in.
        std::size_t parentEnd = end;
        while (parentEnd > 0 && partial[parentEnd - 1] != '/') {
            --parentEnd;
        }
        while (parentEnd > 1 && partial[parentEnd - 1] == '/') {
            --parentEnd;
        }
        partial[parentEnd] = '\0';
        const char* parent = parentEnd == 0 ? (path[0] == '/' ? "/" : ".") : partial;
        return access(parent, W_OK | X_OK) == 0 ? Step::Done : Step::Fail;
    });
}

void createdFileName(const char* name, bool utf8, char* out, std::size_t size) {
    char utf8Name[utf8BufferSize(NAME_SIZE)];
    std::snprintf(out, size, "%s", fileNameOf(name, utf8, utf8Name));
}
