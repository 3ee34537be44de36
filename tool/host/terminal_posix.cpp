#include <unistd.h>

#include "tool/host/terminal.h"

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }
