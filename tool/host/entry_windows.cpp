#include <windows.h>

#include "tool/host/arguments.h"

namespace {

// In UTF-8 a UTF-16 unit of the command line takes at most three bytes (a
// pair of units four), and each argument one more for its terminator.
constexpr int MAX_UTF8_BYTES_PER_UNIT = 3;
constexpr int MAX_ARGUMENTS = MAX_COMMAND_LINE;

char argumentBytes[MAX_COMMAND_LINE * (MAX_UTF8_BYTES_PER_UNIT + 1)];
char* argumentList[MAX_ARGUMENTS + 1];

}  // namespace

// Arguments arrive in UTF-16 so that none is lost to the ANSI code page; the
// tool reads them as UTF-8. Should a command line ever exceed what Windows
// passes, the arguments that fit are the ones handed on.
int wmain(int argc, wchar_t** argv) {
    int used = 0;
    int count = 0;
    for (; count < argc && count < MAX_ARGUMENTS; ++count) {
        const int space = static_cast<int>(sizeof argumentBytes) - used;
        const int length =
            WideCharToMultiByte(CP_UTF8, 0, argv[count], -1, argumentBytes + used, space, nullptr, nullptr);
        if (length == 0) {
            break;
        }
        argumentList[count] = argumentBytes + used;
        used += length;
    }
    argumentList[count] = nullptr;
    return toolMain(count, argumentList);
}
