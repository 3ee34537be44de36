#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "tool/host/terminal.h"
#include "tool/host/utf8_stream.h"

Utf8Stream::Utf8Stream(std::FILE* stream) : stream(stream) {
    std::fflush(stream);
    (void)_setmode(_fileno(stream), _O_BINARY);
    if (isTerminal(stream)) {
        savedCodePage = GetConsoleOutputCP();
        (void)SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Stream::~Utf8Stream() {
    std::fflush(stream);
    if (savedCodePage != 0) {
        (void)SetConsoleOutputCP(savedCodePage);
    }
}
