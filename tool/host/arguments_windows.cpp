#include <windows.h>

#include "tool/host/arguments.h"

namespace {

// A code page character takes at most two bytes per UTF-16 unit.
constexpr int MAX_ANSI_BYTES_PER_UNIT = 2;
// Entries' names are Shift_JIS whatever the system's own code page.
constexpr UINT NAME_CODE_PAGE = 932;

wchar_t wideArgument[MAX_COMMAND_LINE];
char shownArgument[MAX_COMMAND_LINE * MAX_ANSI_BYTES_PER_UNIT];
char nameArgument[MAX_COMMAND_LINE * MAX_ANSI_BYTES_PER_UNIT];

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

bool matchesNamesInUtf8(bool) { return false; }

const char* argumentAsShiftJis(const char* argument) {
    // No best fit: a character code page 932 lacks must not turn into one
    // it has (an accented e into a plain one) and match a name it is not.
    BOOL defaultUsed = FALSE;
    if (MultiByteToWideChar(CP_UTF8, 0, argument, -1, wideArgument, MAX_COMMAND_LINE) == 0
        || WideCharToMultiByte(NAME_CODE_PAGE, WC_NO_BEST_FIT_CHARS, wideArgument, -1, nameArgument,
                               static_cast<int>(sizeof nameArgument), nullptr, &defaultUsed)
               == 0
        || defaultUsed != FALSE) {
        return nullptr;
    }
    return nameArgument;
}
