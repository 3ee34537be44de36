#include "tool/host/utf8_stream.h"

// Bytes pass unchanged already; a terminal reads them as its locale says.
Utf8Stream::Utf8Stream(std::FILE* stream) : stream(stream) {}
Utf8Stream::~Utf8Stream() { std::fflush(stream); }
