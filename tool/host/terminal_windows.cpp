#include <io.h>
#include <windows.h>

#include "tool/host/terminal.h"

bool isTerminal(std::FILE* stream) {
    // Only a console has a console mode; a file, a pipe or the null device
    // has none.
    DWORD mode = 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}
