#include <windows.h>

#include "tool/host/arguments.h"

namespace {

// The longest command line Windows passes, in UTF-16 units, bounds every
// argument; a code page character takes at most two bytes per unit.
constexpr int MAX_COMMAND_LINE = 32768;
constexpr int MAX_ANSI_BYTES_PER_UNIT = 2;

wchar_t wideArgument[MAX_COMMAND_LINE];
char shownArgument[MAX_COMMAND_LINE * MAX_ANSI_BYTES_PER_UNIT];

}  // namespace

const char* argumentAsShown(const char* argument) {
    // Windows makes the narrow command line of a narrow main the same way:
    // the ANSI code page, best fit for what it lacks.
    if (MultiByteToWideChar(CP_UTF8, 0, argument, -1, wideArgument, MAX_COMMAND_LINE) == 0
        || WideCharToMultiByte(CP_ACP, 0, wideArgument, -1, shownArgument,
                               static_cast<int>(sizeof shownArgument), nullptr, nullptr)
               == 0) {
        return argument;
    }
    return shownArgument;
}
