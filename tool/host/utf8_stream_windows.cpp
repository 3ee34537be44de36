#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tool/host/terminal.h"
#include "tool/host/utf8_stream.h"

namespace {

// The console's code page before, to give back: it outlives the program.
UINT savedCodePage = 0;

}  // namespace

void beginUtf8Stream(std::FILE* stream) {
    std::fflush(stream);
    (void)_setmode(_fileno(stream), _O_BINARY);
    if (isTerminal(stream)) {
        savedCodePage = GetConsoleOutputCP();
        (void)SetConsoleOutputCP(CP_UTF8);
    }
}

void endUtf8Stream(std::FILE* stream) {
    std::fflush(stream);
    if (savedCodePage != 0) {
        (void)SetConsoleOutputCP(savedCodePage);
        savedCodePage = 0;
    }
}
