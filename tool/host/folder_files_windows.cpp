#include "tool/host/folder_files.h"

#include <windows.h>

#include <cerrno>

namespace {

static_assert(sizeof(WIN32_FIND_DATAW) <= 640);

// The folder's pattern, "PATH\*", in UTF-16.
constexpr int MAX_PATTERN = 32768;
wchar_t pattern[MAX_PATTERN];

WIN32_FIND_DATAW& foundData(unsigned char* bytes) { return *reinterpret_cast<WIN32_FIND_DATAW*>(bytes); }

bool isRegularFile(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

bool FolderFiles::open(const char* path) {
    close();
    int length = 0;
    if (path[0] != '\0') {
        length = MultiByteToWideChar(CP_UTF8, 0, path, -1, pattern, MAX_PATTERN - 2);
        if (length == 0) {
            errno = ENAMETOOLONG;
            return false;
        }
        --length;  // without the terminating 0
        if (length > 0 && pattern[length - 1] != L'\\' && pattern[length - 1] != L'/'
            && !(length == 2 && pattern[1] == L':')) {
            pattern[length++] = L'\\';
        }
    }
    pattern[length++] = L'*';
    pattern[length] = L'\0';
    HANDLE search = FindFirstFileW(pattern, &foundData(found));
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? ENOENT : EACCES;
        return false;
    }
    handle = search;
    pending = true;
    return true;
}

bool FolderFiles::next(char (&name)[FOLDER_FILE_NAME_SIZE]) {
    if (handle == nullptr) {
        return false;
    }
    for (;;) {
        if (!pending && FindNextFileW(static_cast<HANDLE>(handle), &foundData(found)) == 0) {
            return false;
        }
        pending = false;
        const WIN32_FIND_DATAW& data = foundData(found);
        if (!isRegularFile(data)) {
            continue;
        }
        if (WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, name, static_cast<int>(FOLDER_FILE_NAME_SIZE),
                                nullptr, nullptr)
            != 0) {
            return true;
        }
    }
}

void FolderFiles::close() {
    if (handle != nullptr) {
        FindClose(static_cast<HANDLE>(handle));
        handle = nullptr;
    }
    pending = false;
}
