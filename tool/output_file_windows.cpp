#include <io.h>
#include <windows.h>

#include <cerrno>

#include "tool/output_file.h"
#include "tool/output_name.h"

namespace {

// Names on the disks are Shift_JIS; reading them in the system's own code
// page would garble them on any Windows not set to Japanese.
constexpr UINT NAME_CODE_PAGE = 932;
// The longest path the wide interface takes, in UTF-16 units.
constexpr int MAX_WIDE_PATH = 32768;

wchar_t widePath[MAX_WIDE_PATH];

// `text` read in `codePage` as a UTF-16 path in widePath, or null with errno
// set. Bytes that are no character of the code page become its default
// character (U+30FB for 932) rather than a refusal.
const wchar_t* widen(UINT codePage, const char* text) {
    if (MultiByteToWideChar(codePage, 0, text, -1, widePath, MAX_WIDE_PATH) == 0) {
        errno = GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ENAMETOOLONG : EINVAL;
        return nullptr;
    }
    return widePath;
}

// The wide path of the output file `name`; an output folder would be joined
// here.
const wchar_t* outputPath(const char* name) { return widen(NAME_CODE_PAGE, name); }

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

const NameRules HOST_NAME_RULES = NameRules::Windows;

std::FILE* openImageFile(const char* path) {
    const wchar_t* wide = widen(CP_UTF8, path);
    return wide != nullptr ? _wfopen(wide, L"rb") : nullptr;
}

FileIdentity identifyStream(std::FILE* stream) {
    if (stream == nullptr) {
        return FileIdentity{};
    }
    return identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

bool isSameFile(const char* name, const FileIdentity& identity) {
    const wchar_t* path = identity.known ? outputPath(name) : nullptr;
    if (path == nullptr) {
        return false;
    }
    // Opened for no access at all, shared every way, so that the image's
    // own open handle does not stand in the way; a link is followed.
    HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const FileIdentity other = identityOf(handle);
    CloseHandle(handle);
    return other.known && other.volume == identity.volume && other.index == identity.index;
}

std::FILE* createOutputFile(const char* name) {
    const wchar_t* path = outputPath(name);
    return path != nullptr ? _wfopen(path, L"wb") : nullptr;
}
