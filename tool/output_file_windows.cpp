#include <io.h>
#include <windows.h>

#include "tool/output_file.h"

namespace {

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

}  // namespace

std::FILE* openImageFile(const char* path) { return std::fopen(path, "rb"); }

FileIdentity identifyStream(std::FILE* stream) {
    if (stream == nullptr) {
        return FileIdentity{};
    }
    return identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

bool isSameFile(const char* name, const FileIdentity& identity) {
    if (!identity.known) {
        return false;
    }
    // Opened for no access at all, shared every way, so that the image's
    // own open handle does not stand in the way; a link is followed.
    HANDLE handle = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FileIdentity other = identityOf(handle);
    CloseHandle(handle);
    return other.known && other.volume == identity.volume && other.index == identity.index;
}

std::FILE* createOutputFile(const char* name) { return std::fopen(name, "wb"); }
