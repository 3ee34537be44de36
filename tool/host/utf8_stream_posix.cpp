#include "tool/host/utf8_stream.h"

// Bytes pass unchanged already; a terminal reads them as its locale says.
void beginUtf8Stream(std::FILE*) {}
void endUtf8Stream(std::FILE* stream) { std::fflush(stream); }
