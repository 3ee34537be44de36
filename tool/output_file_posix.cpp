#include <sys/stat.h>

#include "tool/output_file.h"
#include "tool/output_name.h"

namespace {

FileIdentity identityOf(const struct stat& status) {
    FileIdentity identity;
    identity.volume = static_cast<std::uint64_t>(status.st_dev);
    identity.index = static_cast<std::uint64_t>(status.st_ino);
    identity.known = true;
    return identity;
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

bool isSameFile(const char* name, const FileIdentity& identity) {
    struct stat status;
    // stat follows a symbolic link to what it names, which is what opening
    // the name for writing would truncate.
    if (!identity.known || stat(name, &status) != 0) {
        return false;
    }
    const FileIdentity other = identityOf(status);
    return other.volume == identity.volume && other.index == identity.index;
}

std::FILE* createOutputFile(const char* name) { return std::fopen(name, "wb"); }
