// A stream that carries UTF-8 bytes as they are, whatever it reaches: on
// Windows text mode would put CR before every LF, and a console would read
// the bytes in its own code page.
#ifndef TOOL_HOST_UTF8_STREAM_H
#define TOOL_HOST_UTF8_STREAM_H

#include <cstdio>

// From now on `stream` passes its bytes unchanged, and a console shows them
// as UTF-8, until endUtf8Stream, which flushes it and restores the console.
void beginUtf8Stream(std::FILE* stream);
void endUtf8Stream(std::FILE* stream);

#endif
